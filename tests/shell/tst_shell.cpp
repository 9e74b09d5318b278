#include "app/shell/arkaplan.h"
#include "app/shell/ayarlar.h"
#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"
#include "app/shell/tema.h"
#include "protocol/dataset.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <stdexcept>

using namespace varo;
using namespace varo::shell;

Q_DECLARE_METATYPE(varo::shell::DugmeSeti)

class TstShell : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void mevsim_data();
    void mevsim();

    void rozet_data();
    void rozet();
    void rozetCizimi();
    void gizliSayfaAcilmaz();

    void mesajDialogu_data();
    void mesajDialogu();
    void mesajKlavye_data();
    void mesajKlavye();
    void mesajBasliklari();
    void mesajSunucusu();

    void seciliVarmi_data();
    void seciliVarmi();
    void kayitVarmi();
    void paraFormati();

    void ayarDosyasi_data();
    void ayarDosyasi();
    void ayarYazma();

    void arkaplanSirasi();
    void arkaplanHatasi();
    void arayuzdeCalistirHatasi();

    void urlKodla();
    void chromeYolu();
};

void TstShell::mevsim_data()
{
    QTest::addColumn<QDate>("gun");
    QTest::addColumn<bool>("kis");
    QTest::newRow("25 Aralik") << QDate(2026, 12, 25) << false;
    QTest::newRow("26 Aralik") << QDate(2026, 12, 26) << true;
    QTest::newRow("31 Aralik") << QDate(2026, 12, 31) << true;
    QTest::newRow("1 Ocak") << QDate(2027, 1, 1) << true;
    QTest::newRow("5 Ocak") << QDate(2027, 1, 5) << true;
    QTest::newRow("6 Ocak") << QDate(2027, 1, 6) << false;
    QTest::newRow("26 Kasim") << QDate(2026, 11, 26) << false;
    QTest::newRow("3 Subat") << QDate(2027, 2, 3) << false;
}

void TstShell::mevsim()
{
    QFETCH(QDate, gun);
    QFETCH(bool, kis);
    QCOMPARE(KisMevsimi(gun), kis);
    const QString tema = temaAdi(gun);
    QCOMPARE(tema, kis ? QStringLiteral("kis") : QStringLiteral("mavi"));
    QVERIFY(!stilSayfasi(tema).isEmpty());
}

void TstShell::rozet_data()
{
    QTest::addColumn<double>("deger");
    QTest::addColumn<int>("beklenen");
    QTest::newRow("2.5 to even") << 2.5 << 2;
    QTest::newRow("3.5 to even") << 3.5 << 4;
    QTest::newRow("3.7") << 3.7 << 4;
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("2.49") << 2.49 << 2;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
}

void TstShell::rozet()
{
    QFETCH(double, deger);
    QFETCH(int, beklenen);
    QCOMPARE(rozetDegeri(deger), beklenen);
}

// The badge shows only above 0, in red, in the tab's top-right corner, and a
// change repaints the tab bar.
void TstShell::rozetCizimi()
{
    TsPageControl pc;
    pc.resize(400, 200);
    TsTabSheet *a = pc.sayfaEkle(QStringLiteral("a"), QStringLiteral("Bir\r\nİki"), QIcon());
    pc.sayfaEkle(QStringLiteral("b"), QStringLiteral("Sepet"), QIcon());
    pc.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pc));
    const QRect alan = pc.sekmeCubugu()->rozetAlani(0);
    QCOMPARE(alan.size(), QSize(25, 25));
    QCOMPARE(alan.right(), pc.sekmeCubugu()->tabRect(0).right());
    const auto merkezRengi = [&] {
        return pc.sekmeCubugu()->grab().toImage().pixelColor(alan.center() + QPoint(-7, 0));
    };
    QVERIFY(merkezRengi() != QColor(Qt::red));
    a->setBagTag(7);
    QCOMPARE(merkezRengi(), QColor(Qt::red));
    a->setBagTag(0);
    QVERIFY(merkezRengi() != QColor(Qt::red));
    a->setBagTag(-3);
    QVERIFY(merkezRengi() != QColor(Qt::red));

    // A balance of five digits stays inside its badge, which keeps to the corner.
    a->setBagTag(98765);
    const QRect genis = pc.sekmeCubugu()->rozetAlani(0);
    QVERIFY(genis.width() > 25);
    QCOMPARE(genis.right(), pc.sekmeCubugu()->tabRect(0).right());
    QVERIFY(genis.width() >= QFontMetrics(QFont(QStringLiteral("Arial"), 9)).horizontalAdvance(QStringLiteral("98765")));
    QCOMPARE(pc.sekmeCubugu()->grab().toImage().pixelColor(genis.left() + 4, genis.center().y()), QColor(Qt::red));
}

// Hidden sheets belong to other user types: activating one leaves the current page as it is.
void TstShell::gizliSayfaAcilmaz()
{
    TsPageControl pc;
    TsTabSheet *a = pc.sayfaEkle(QStringLiteral("a"), QStringLiteral("A"), QIcon());
    TsTabSheet *b = pc.sayfaEkle(QStringLiteral("b"), QStringLiteral("B"), QIcon());
    TsTabSheet *c = pc.sayfaEkle(QStringLiteral("c"), QStringLiteral("C"), QIcon());
    pc.setTabVisible(pc.indexOf(b), false);
    pc.setActivePage(c);
    QCOMPARE(pc.activePage(), c);
    pc.setActivePage(b);
    QCOMPARE(pc.activePage(), c);
    pc.setActivePage(a);
    QCOMPARE(pc.activePage(), a);
}

void TstShell::mesajDialogu_data()
{
    QTest::addColumn<int>("tur");
    QTest::addColumn<DugmeSeti>("dugmeler");
    QTest::addColumn<int>("odak");
    QTest::addColumn<QString>("baslik");
    QTest::addColumn<QStringList>("yazilar"); // in tab order
    QTest::addColumn<int>("varsayilan");      // result of the default button, 0 for none
    QTest::addColumn<int>("kacis");

    QTest::newRow("notice") << int(mtError) << DugmeSeti{mbOK} << int(mbOK) << "Hata" << QStringList{"Tamam"}
                            << int(mrOk) << int(mrOk);
    QTest::newRow("question focus yes") << int(mtConfirmation) << DugmeSeti{mbYes, mbNo} << int(mbYes) << "Soru"
                                        << QStringList{"Evet", "Hayır"} << int(mrYes) << int(mrNo);
    QTest::newRow("question focus no") << int(mtConfirmation) << DugmeSeti{mbYes, mbNo} << int(mbNo) << "Soru"
                                       << QStringList{"Hayır", "Evet"} << int(mrYes) << int(mrNo);
    QTest::newRow("ok cancel focus cancel") << int(mtWarning) << DugmeSeti{mbOK, mbCancel} << int(mbCancel)
                                            << "Uyarı" << QStringList{"Vazgeç", "Tamam"} << int(mrOk) << int(mrCancel);
    QTest::newRow("retry ignore abort") << int(mtInformation) << DugmeSeti{mbAbort, mbRetry, mbIgnore}
                                        << int(mbAbort) << "Bilgi" << QStringList{"İptal", "Tekrar", "Atla"}
                                        << int(mrRetry) << int(mrCancel);
    QTest::newRow("yes no cancel") << int(mtConfirmation) << DugmeSeti{mbYes, mbNo, mbCancel} << int(mbCancel)
                                   << "Soru" << QStringList{"Vazgeç", "Evet", "Hayır"} << int(mrYes) << int(mrCancel);
    QTest::newRow("to all") << int(mtWarning) << DugmeSeti{mbYesToAll, mbNoToAll, mbHelp} << int(mbHelp)
                            << "Uyarı" << QStringList{"Yardım", "Tümüne Hayır", "Tümüne Evet"} << 0 << int(mrCancel);
}

void TstShell::mesajDialogu()
{
    QFETCH(int, tur);
    QFETCH(DugmeSeti, dugmeler);
    QFETCH(int, odak);
    QFETCH(QString, baslik);
    QFETCH(QStringList, yazilar);
    QFETCH(int, varsayilan);
    QFETCH(int, kacis);

    std::unique_ptr<QDialog> d(mesajDialoguOlustur({QStringLiteral("Metin"), MesajTuru(tur), dugmeler, MesajDugmesi(odak)}));
    QCOMPARE(d->windowTitle(), baslik);
    QStringList sira;
    for (QPushButton *p : sekmeSirasi(d.get()))
        sira << p->text();
    QCOMPARE(sira, yazilar);
    QPushButton *def = nullptr;
    for (QPushButton *p : d->findChildren<QPushButton *>())
        if (p->isDefault())
            def = p;
    QCOMPARE(def ? def->property("sonuc").toInt() : 0, varsayilan);
    QCOMPARE(kacisSonucu(dugmeler), kacis);
    QCOMPARE(d->findChild<QLabel *>(QStringLiteral("Message"))->font().pointSize(), 15);
}

// Through the real dialog: Enter presses the default, Escape gives the
// escape answer, clicking a button gives its result.
void TstShell::mesajKlavye_data()
{
    QTest::addColumn<DugmeSeti>("dugmeler");
    QTest::addColumn<int>("odak");
    QTest::addColumn<int>("tus");
    QTest::addColumn<int>("sonuc");
    QTest::newRow("enter on yes/no focus no") << DugmeSeti{mbYes, mbNo} << int(mbNo) << int(Qt::Key_Return) << int(mrYes);
    QTest::newRow("escape on yes/no") << DugmeSeti{mbYes, mbNo} << int(mbYes) << int(Qt::Key_Escape) << int(mrNo);
    QTest::newRow("escape on ok") << DugmeSeti{mbOK} << int(mbOK) << int(Qt::Key_Escape) << int(mrOk);
    QTest::newRow("escape on ok cancel") << DugmeSeti{mbOK, mbCancel} << int(mbOK) << int(Qt::Key_Escape) << int(mrCancel);
    QTest::newRow("enter on ok cancel") << DugmeSeti{mbOK, mbCancel} << int(mbCancel) << int(Qt::Key_Enter) << int(mrOk);
}

void TstShell::mesajKlavye()
{
    QFETCH(DugmeSeti, dugmeler);
    QFETCH(int, odak);
    QFETCH(int, tus);
    QFETCH(int, sonuc);
    setMesajSunucu({});
    int alinan = -1;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
        QWidget *d = QApplication::activeModalWidget();
        QWidget *hedef = QApplication::focusWidget() ? QApplication::focusWidget() : d;
        QTest::keyClick(hedef, Qt::Key(tus));
    });
    alinan = MesajKutusu(QStringLiteral("Soru metni"), mtConfirmation, dugmeler, MesajDugmesi(odak));
    QCOMPARE(alinan, sonuc);
}

void TstShell::mesajBasliklari()
{
    QCOMPARE(dugmeYazisi(mbCancel), QStringLiteral("Vazgeç"));
    QCOMPARE(dugmeSonucu(mbNo), 7);
    QCOMPARE(dugmeSonucu(mbYes), 6);
    QCOMPARE(dugmeSonucu(mbOK), 1);
    QVERIFY(mesajBasligi(mtCustom).isEmpty());
    QCOMPARE(QString::fromLatin1(mesajSesi(mtWarning)), QStringLiteral("dialog-warning"));
    QCOMPARE(QString::fromLatin1(mesajSesi(mtError)), QStringLiteral("dialog-error"));
    QCOMPARE(QString::fromLatin1(mesajSesi(mtInformation)), QStringLiteral("dialog-information"));
    QCOMPARE(QString::fromLatin1(mesajSesi(mtConfirmation)), QStringLiteral("dialog-question"));
    QVERIFY(!mesajSesi(mtCustom));
}

void TstShell::mesajSunucusu()
{
    QList<MesajIstegi> gorulen;
    setMesajSunucu([&](const MesajIstegi &i) {
        gorulen << i;
        return int(mrNo);
    });
    QCOMPARE(Sor(QStringLiteral("Emin misiniz ?"), mbNo), int(mrNo));
    QCOMPARE(Bildir(QStringLiteral("Tamam"), mtInformation), int(mrNo));
    setMesajSunucu({});
    QCOMPARE(gorulen.size(), 2);
    QCOMPARE(gorulen[0].tur, mtConfirmation);
    QCOMPARE(gorulen[0].dugmeler, (DugmeSeti{mbYes, mbNo}));
    QCOMPARE(gorulen[0].odak, mbNo);
    QCOMPARE(gorulen[1].dugmeler, (DugmeSeti{mbOK}));
}

void TstShell::seciliVarmi_data()
{
    QTest::addColumn<QList<int>>("sec");
    QTest::addColumn<bool>("sonuc");
    QTest::addColumn<int>("konum"); // recNo afterwards; -1: past the end
    QTest::newRow("third selected") << QList<int>{0, 0, 1, 1} << true << 2;
    QTest::newRow("first selected") << QList<int>{1, 0} << true << 0;
    QTest::newRow("none selected") << QList<int>{0, 0, 0} << false << -1;
    QTest::newRow("other values") << QList<int>{2, -1} << false << -1;
}

void TstShell::seciliVarmi()
{
    QFETCH(QList<int>, sec);
    QFETCH(bool, sonuc);
    QFETCH(int, konum);
    DataSet ds;
    ds.addField(QStringLiteral("SIRANO"), FieldType::Int32);
    ds.addField(QStringLiteral("SEC"), FieldType::Int32);
    ds.open();
    for (int v : sec) {
        ds.appendRecord();
        ds.fieldByName(QStringLiteral("SEC"))->setValue(v);
    }
    ds.last();
    QCOMPARE(SeciliVarmi(&ds), sonuc);
    if (konum >= 0) {
        QCOMPARE(ds.recNo(), konum);
        QVERIFY(!ds.eof());
    } else {
        QVERIFY(ds.eof());
    }
}

void TstShell::kayitVarmi()
{
    DataSet ds;
    ds.addField(QStringLiteral("SEC"), FieldType::Int32);
    QVERIFY(!KayitVarmi(nullptr));
    QVERIFY(!KayitVarmi(&ds));
    ds.open();
    QVERIFY(!KayitVarmi(&ds));
    QVERIFY(!SeciliVarmi(&ds));
    ds.appendRecord();
    QVERIFY(KayitVarmi(&ds));
    ds.close();
    QVERIFY(!KayitVarmi(&ds));
}

void TstShell::paraFormati()
{
    DataSet ds;
    const QList<FieldType> turler = {FieldType::Int32, FieldType::Int64, FieldType::Float, FieldType::Currency,
                                     FieldType::AnsiString, FieldType::WideString, FieldType::Date, FieldType::Boolean};
    for (int i = 0; i < turler.size(); ++i)
        ds.addField(QStringLiteral("F%1").arg(i), turler[i]);
    ds.field(3)->setDisplayFormat(QStringLiteral("0.0000"));
    ParaFormatiUygula(&ds);
    for (int i = 0; i < turler.size(); ++i) {
        const QString beklenen = turler[i] == FieldType::Float      ? QStringLiteral("#,###,##0.00")
                                 : turler[i] == FieldType::Currency ? QStringLiteral("0.0000")
                                                                    : QString();
        QCOMPARE(ds.field(i)->displayFormat(), beklenen);
    }
}

void TstShell::ayarDosyasi_data()
{
    QTest::addColumn<QByteArray>("icerik");
    QTest::addColumn<QString>("isim");
    QTest::addColumn<QString>("sifre");
    QTest::addColumn<bool>("hatirla");
    QTest::newRow("missing file") << QByteArray() << "" << "" << true;
    QTest::newRow("without hatırla") << QByteArray("[kullanici]\r\nisim=AHMET\r\nsifre=GIZLI\r\n") << "AHMET"
                                     << "GIZLI" << true;
    QTest::newRow("hatırla 0") << QByteArray("[kullanici]\r\nisim=AHMET\r\nsifre=GIZLI\r\nhat\xc4\xb1rla=0\r\n")
                               << "AHMET" << "GIZLI" << false;
    QTest::newRow("hatırla 1") << QByteArray("[kullanici]\nisim=A\nsifre=B\nhat\xc4\xb1rla=1\n") << "A" << "B" << true;
    QTest::newRow("escaped key") << QByteArray("[kullanici]\nisim=A\nhat%U0131rla=0\n") << "A" << "" << false;
    QTest::newRow("other section") << QByteArray("[baska]\nisim=X\n[kullanici]\nsifre=S;1,2\n") << "" << "S;1,2"
                                   << true;
}

void TstShell::ayarDosyasi()
{
    QFETCH(QByteArray, icerik);
    QFETCH(QString, isim);
    QFETCH(QString, sifre);
    QFETCH(bool, hatirla);
    QTemporaryDir dir;
    const QString yol = dir.filePath(QStringLiteral("ayar.ini"));
    if (!icerik.isNull()) {
        QFile f(yol);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(icerik);
    }
    const KullaniciAyari a = AyarOku(yol);
    QCOMPARE(a.isim, isim);
    QCOMPARE(a.sifre, sifre);
    QCOMPARE(a.hatirla, hatirla);
}

void TstShell::ayarYazma()
{
    const QString klasor = AyarKlasoru();
    QVERIFY(klasor.endsWith(QStringLiteral("/varodilva")));
    QVERIFY(QFileInfo(klasor).isDir());

    QTemporaryDir dir;
    const QString yol = dir.filePath(QStringLiteral("ayar.ini"));
    {
        QFile f(yol); // an older file everyone could read
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.setPermissions(QFileDevice::Permissions(0x6644));
    }
    QVERIFY(AyarKaydet({QStringLiteral("ŞÜKRÜ"), QStringLiteral("A;B,C"), false}, yol));
    const KullaniciAyari a = AyarOku(yol);
    QCOMPARE(a.isim, QStringLiteral("ŞÜKRÜ"));
    QCOMPARE(a.sifre, QStringLiteral("A;B,C"));
    QCOMPARE(a.hatirla, false);
    QFile f(yol);
    QCOMPARE(f.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString metin = QString::fromUtf8(f.readAll());
    QVERIFY(metin.contains(QStringLiteral("hatırla=0")));
    QVERIFY(metin.startsWith(QStringLiteral("[kullanici]")));
    QVERIFY(!AyarKaydet({}, dir.filePath(QStringLiteral("yok/ayar.ini"))));
}

void TstShell::arkaplanSirasi()
{
    struct Durum {
        QStringList olaylar;
        QThread *govdeIpligi = nullptr;
        QThread *tamamlamaIpligi = nullptr;
    };
    auto durum = std::make_shared<Durum>();
    std::weak_ptr<Durum> izle = durum;
    QStringList hatalar;
    setGenelHataGosterici([&](const QString &m) { hatalar << m; });
    bool bitti = false;
    Async([durum] {
        durum->govdeIpligi = QThread::currentThread();
        durum->olaylar << QStringLiteral("body");
        ArayuzdeCalistir([&] { durum->olaylar << QStringLiteral("handoff"); });
        durum->olaylar << QStringLiteral("body end");
    }).Await([durum, &bitti] {
        durum->tamamlamaIpligi = QThread::currentThread();
        durum->olaylar << QStringLiteral("completion");
        bitti = true;
    });
    durum->olaylar << QStringLiteral("started");
    QTRY_VERIFY(bitti);
    QVERIFY(durum->govdeIpligi != QThread::currentThread());
    QCOMPARE(durum->tamamlamaIpligi, QThread::currentThread());
    QCOMPARE(durum->olaylar.first(), QStringLiteral("started"));
    QCOMPARE(durum->olaylar.mid(1), (QStringList{"body", "handoff", "body end", "completion"}));
    QVERIFY(hatalar.isEmpty());
    durum.reset();
    QTRY_VERIFY(izle.expired()); // the closure state goes with its last holder
    setGenelHataGosterici({});
}

void TstShell::arkaplanHatasi()
{
    QStringList olaylar;
    setGenelHataGosterici([&](const QString &m) { olaylar << QStringLiteral("error: ") + m; });
    Async([] { throw std::runtime_error("Sunucu cevap vermedi"); }).Await([&] { olaylar << QStringLiteral("completion"); });
    QTRY_COMPARE(olaylar.size(), 2);
    QCOMPARE(olaylar, (QStringList{"completion", "error: Sunucu cevap vermedi"}));
    setGenelHataGosterici({});
}

void TstShell::arayuzdeCalistirHatasi()
{
    QString yakalanan;
    bool bitti = false;
    Async([&] {
        try {
            ArayuzdeCalistir([] { throw std::runtime_error("arayüz hatası"); });
        } catch (const std::exception &e) {
            yakalanan = QString::fromUtf8(e.what());
        }
    }).Await([&] { bitti = true; });
    QTRY_VERIFY(bitti);
    QCOMPARE(yakalanan, QStringLiteral("arayüz hatası"));
}

void TstShell::urlKodla()
{
    QCOMPARE(UrlKodla(QStringLiteral("http://host/zafirkart.html?carino=12&firmasi=AB ÇE")),
             QStringLiteral("http://host/zafirkart.html?carino=12&firmasi=AB%20%C3%87E"));
    QCOMPARE(UrlKodla(QString()), QString());
}

void TstShell::chromeYolu()
{
    QTemporaryDir dir;
    const QString ev = dir.path();
    QVERIFY(QDir().mkpath(ev + QStringLiteral("/.local/bin")));
    const QStringList adaylar = {ev + QStringLiteral("/yok"), ev + QStringLiteral("/.local/bin/chromium")};
    QCOMPARE(ilkVarOlan(adaylar), QString());
    QFile f(adaylar[1]);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(ilkVarOlan(adaylar), adaylar[1]);
    QVERIFY(chromeAdaylari(ev).contains(adaylar[1]));
    QVERIFY(ilkVarOlan({ev}).isEmpty()); // a folder is no browser
}

QTEST_MAIN(TstShell)
#include "tst_shell.moc"

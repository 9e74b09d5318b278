#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "catalogue/stoksekmesi.h"
#include "grid/columnrules.h"
#include "grid/gridview.h"
#include "protocol/dataset.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QtTest>

using namespace varo;
using namespace varo::katalog;

namespace {

void stokDoldur(DataSet &d, const QList<int> &numaralar)
{
    d.setFieldDefs({{QStringLiteral("STOK_STOKNO"), FieldType::Int32},
                    {QStringLiteral("BARKOD"), FieldType::WideString},
                    {QStringLiteral("FINISHKOD"), FieldType::WideString},
                    {QStringLiteral("FIYAT"), FieldType::Float}});
    d.open();
    for (int n : numaralar) {
        d.appendRecord();
        d.edit();
        d.fieldByName(QStringLiteral("STOK_STOKNO"))->setValue(n);
        d.fieldByName(QStringLiteral("BARKOD"))->setValue(QStringLiteral("B%1").arg(n));
        d.fieldByName(QStringLiteral("FINISHKOD"))->setValue(QStringLiteral("K%1").arg(n));
        d.fieldByName(QStringLiteral("FIYAT"))->setValue(1234.5);
        d.post();
    }
}

// A small main window: a search bar, two tabs and the busy indicator.
struct Pencere {
    QWidget pencere;
    QWidget cubuk{&pencere};
    QHBoxLayout *duzen = new QHBoxLayout(&cubuk);
    shell::TsPageControl sayfalar{&pencere};
    shell::TsTabSheet *stoklar = sayfalar.sayfaEkle(QStringLiteral("sstoklistesi"), QStringLiteral("Stok\r\nListesi"), {});
    shell::TsTabSheet *diger = sayfalar.sayfaEkle(QStringLiteral("ssepet"), QStringLiteral("Sepet"), {});
    shell::TMesgulAnimasyonu gif{&pencere};

    QStringList gelenler;  // texts the server received
    bool sunucuHatasi = false;
    QSemaphore *bekle = nullptr;  // holds the server's answer back until released
    DataSet sepet;
    QList<int> eklenen, degisen;
    int yenileme = 0;
    std::unique_ptr<StokSekmesi> sekme;

    Pencere()
    {
        auto *dikey = new QVBoxLayout(&pencere);
        dikey->addWidget(&cubuk);
        dikey->addWidget(&sayfalar);
        StokSekmesiIslemleri is;
        is.stokAraVaro = [this](const QString &kod, DataSet &hedef) {
            gelenler << kod;
            if (bekle)
                bekle->acquire();
            if (sunucuHatasi)
                throw std::runtime_error("connection refused");
            stokDoldur(hedef, {11, 12, 13});
        };
        is.sepet = [this] { return &sepet; };
        is.sepetiYenile = [this] {
            ++yenileme;
            sepet.setFieldDefs({{QStringLiteral("STOKNO"), FieldType::Int32}, {QStringLiteral("SIRANO"), FieldType::Int32}});
            sepet.open();
            sepet.appendRecord();
            sepet.edit();
            sepet.fieldByName(QStringLiteral("STOKNO"))->setValue(12);
            sepet.fieldByName(QStringLiteral("SIRANO"))->setValue(901);
            sepet.post();
        };
        is.stoktanSepeteEkle = [this](int n) { eklenen << n; };
        is.sepetSatiriDegistir = [this](int s) { degisen << s; };
        sekme = std::make_unique<StokSekmesi>(
            StokSekmesiYeri{duzen, &sayfalar, stoklar, &gif}, is);
        pencere.resize(1200, 700);
        pencere.show();
    }

    void ara(const QString &metin)
    {
        QSignalSpy bitti(sekme.get(), &StokSekmesi::aramaBitti);
        sekme->araedit->setText(metin);
        QTest::keyClick(sekme->araedit, Qt::Key_Return);
        QVERIFY(bitti.wait(3000));
    }
};

}  // namespace

class TstStokSekmesi : public QObject {
    Q_OBJECT
    QList<shell::MesajIstegi> m_mesajlar;

private slots:
    void init()
    {
        m_mesajlar.clear();
        shell::setMesajSunucu([this](const shell::MesajIstegi &m) {
            m_mesajlar << m;
            return int(shell::mrOk);
        });
    }

    void harfEslemesi()
    {
        Pencere p;
        p.sekme->araedit->setFocus();
        // Typed as a keyboard would send them, Turkish letters included.
        for (QChar c : QStringLiteral("şaft ı")) {
            QKeyEvent basma(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(p.sekme->araedit, &basma);
        }
        QCOMPARE(p.sekme->araedit->text(), QStringLiteral("SAFT I"));
    }

    void kisaMetinBaskaSekmede()
    {
        Pencere p;
        p.sayfalar.setActivePage(p.diger);
        p.sekme->araedit->setText(QStringLiteral(" A "));
        QTest::keyClick(p.sekme->araedit, Qt::Key_Return);
        QCOMPARE(p.sayfalar.activePage(), p.stoklar);
        QCOMPARE(m_mesajlar.size(), 1);
        QCOMPARE(m_mesajlar[0].metin, QStringLiteral("Lütfen en az 3 harf giriniz !"));
        QCOMPARE(int(m_mesajlar[0].tur), int(shell::mtWarning));
        QVERIFY(p.gelenler.isEmpty());
        QVERIFY(p.sekme->araedit->isEnabled());
    }

    void basariliArama()
    {
        Pencere p;
        p.ara(QStringLiteral(" FRE"));
        QCOMPARE(p.gelenler, QStringList{QStringLiteral(" FRE")});  // leading blank kept
        QCOMPARE(p.sekme->stok->recordCount(), 3);
        QCOMPARE(p.stoklar->BagTag(), 3);
        QCOMPARE(p.sekme->cxGrid1DBTableView1->rowCount(), 3);
        QCOMPARE(p.sekme->cxGrid1DBTableView1->displayText(0, QStringLiteral("FIYAT")), QStringLiteral("1.234,50"));
        QVERIFY(p.sekme->araedit->isEnabled());
        QVERIFY(p.gif.isHidden());
        QVERIFY(m_mesajlar.isEmpty());
    }

    // The caption turns to one line when the list is emptied by a failure or
    // "Temizle", and back to two lines with the next search that succeeds.
    void basligiVeListe_data()
    {
        QTest::addColumn<QStringList>("adimlar");  // "ara", "hata" (a failed search), "temizle"
        QTest::addColumn<QString>("baslik");
        QTest::addColumn<int>("kayit");
        QTest::addColumn<int>("hataMesaji");
        const QString iki = QStringLiteral("Stok\r\nListesi"), tek = QStringLiteral("Stok Listesi");
        QTest::newRow("found") << QStringList{"ara"} << iki << 3 << 0;
        QTest::newRow("failed after found") << QStringList{"ara", "hata"} << tek << 0 << 1;
        QTest::newRow("failed first") << QStringList{"hata"} << tek << 0 << 1;
        QTest::newRow("found again after a failure") << QStringList{"ara", "hata", "ara"} << iki << 3 << 1;
        QTest::newRow("cleared") << QStringList{"ara", "temizle"} << tek << 0 << 0;
        QTest::newRow("found again after clearing") << QStringList{"ara", "temizle", "ara"} << iki << 3 << 0;
    }
    void basligiVeListe()
    {
        QFETCH(QStringList, adimlar);
        Pencere p;
        for (const QString &adim : adimlar) {
            if (adim == QLatin1String("temizle")) {
                p.sekme->SpeedButton1Click();
                continue;
            }
            p.sunucuHatasi = adim == QLatin1String("hata");
            p.ara(QStringLiteral("FREN"));
            QVERIFY(p.sekme->araedit->isEnabled());
        }
        QTEST(p.sayfalar.tabText(p.sayfalar.indexOf(p.stoklar)), "baslik");
        QTEST(p.sekme->stok->recordCount(), "kayit");
        QTEST(int(m_mesajlar.size()), "hataMesaji");
        for (const shell::MesajIstegi &m : std::as_const(m_mesajlar)) {
            QCOMPARE(m.metin, StokSekmesi::kBaglantiHatasi);
            QCOMPARE(int(m.tur), int(shell::mtError));
        }
    }

    // An item already in the basket opens its line for change, others the add dialog.
    void ciftTiklama_data()
    {
        QTest::addColumn<int>("satir");
        QTest::addColumn<QList<int>>("eklenen");
        QTest::addColumn<QList<int>>("degisen");
        QTest::newRow("not in basket") << 0 << QList<int>{11} << QList<int>{};
        QTest::newRow("in basket") << 1 << QList<int>{} << QList<int>{901};
    }
    void ciftTiklama()
    {
        QFETCH(int, satir);
        Pencere p;
        p.ara(QStringLiteral("FREN"));
        p.sekme->cxGrid1DBTableView1->setFocusedRow(satir);
        p.sekme->cxGrid1DBTableView1DblClick();
        QCOMPARE(p.yenileme, 1);  // the basket is loaded first when it never was
        QTEST(p.eklenen, "eklenen");
        QTEST(p.degisen, "degisen");
        QCOMPARE(p.sekme->stok->fieldByName(QStringLiteral("STOK_STOKNO"))->asInteger(), qint64(11 + satir));
    }

    // The columns the login rules adjust, on the stock list as built here.
    void musteriTipineGoreKolonlar_data()
    {
        QTest::addColumn<int>("tip");
        QTest::addColumn<QString>("carikod");
        QTest::addColumn<bool>("maliyet");
        QTest::addColumn<bool>("kampanyali");
        QTest::newRow("dealer") << 0 << QStringLiteral("120.01") << false << true;
        QTest::newRow("staff") << 1 << QStringLiteral("120.01") << true << true;
        QTest::newRow("own account") << 3 << QStringLiteral("120.RAZ") << true << true;
        QTest::newRow("type 4") << 4 << QStringLiteral("120.01") << false << false;
    }
    void musteriTipineGoreKolonlar()
    {
        QFETCH(int, tip);
        QFETCH(QString, carikod);
        Pencere p;
        applyColumnRules(loginColumnRules(), {tip, carikod}, &p.pencere);
        auto *g = p.sekme->cxGrid1DBTableView1;
        QTEST(g->isColumnVisible(QStringLiteral("MALIYET")), "maliyet");
        QTEST(g->isColumnVisible(QStringLiteral("KALAN")), "maliyet");
        QTEST(g->isColumnVisible(QStringLiteral("K")), "kampanyali");
        QTEST(g->isColumnCustomizable(QStringLiteral("K")), "kampanyali");
    }

    // The list has its own plain font inside the bold main window.
    void izgaraYazisi()
    {
        Pencere p;
        QFont kalin(QStringLiteral("Tahoma"));
        kalin.setBold(true);
        p.pencere.setFont(kalin);
        const QFont f = p.sekme->cxGrid1DBTableView1->table()->font();
        QVERIFY(!f.bold());
        QCOMPARE(f.family(), QStringLiteral("Arial"));
        QCOMPARE(f.pixelSize(), 13);
    }

    void temizle()
    {
        Pencere p;
        p.ara(QStringLiteral("FREN"));
        p.sayfalar.setActivePage(p.diger);
        p.sekme->SpeedButton1Click();
        QCOMPARE(p.sekme->stok->recordCount(), 0);
        QCOMPARE(p.sekme->araedit->text(), QString());
        QCOMPARE(p.sayfalar.activePage(), p.stoklar);
        QCOMPARE(p.stoklar->BagTag(), 3);  // the badge keeps the last count
    }

    // Another customer chosen while a search runs: its rows, priced for the
    // previous customer, are not shown when they arrive.
    void aramaSurerkenCariDegisir_data()
    {
        QTest::addColumn<bool>("cariDegisti");
        QTest::addColumn<int>("kayit");
        QTest::newRow("same customer") << false << 3;
        QTest::newRow("customer changed") << true << 0;
    }
    void aramaSurerkenCariDegisir()
    {
        QFETCH(bool, cariDegisti);
        Pencere p;
        QSemaphore sema;
        p.bekle = &sema;
        QSignalSpy bitti(p.sekme.get(), &StokSekmesi::aramaBitti);
        p.sekme->araedit->setText(QStringLiteral("FREN"));
        p.sekme->SpeedButton2Click();
        if (cariDegisti)
            p.sekme->cariDegisti();
        sema.release();
        QVERIFY(bitti.wait(3000));
        QTEST(p.sekme->stok->recordCount(), "kayit");
        QTEST(p.stoklar->BagTag(), "kayit");
        QVERIFY(m_mesajlar.isEmpty());
        QVERIFY(p.sekme->araedit->isEnabled());
    }

    void aramaSurerkenTemizleIslemez()
    {
        Pencere p;
        QSignalSpy bitti(p.sekme.get(), &StokSekmesi::aramaBitti);
        p.sekme->araedit->setText(QStringLiteral("FREN"));
        p.sekme->SpeedButton2Click();
        QVERIFY(!p.sekme->araedit->isEnabled());
        p.sekme->SpeedButton1Click();
        QCOMPARE(p.sekme->araedit->text(), QStringLiteral("FREN"));
        QVERIFY(bitti.wait(3000));
    }
};

QTEST_MAIN(TstStokSekmesi)
#include "tst_stoksekmesi.moc"

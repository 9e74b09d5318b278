#include "app/mainwindow/acilis.h"
#include "app/mainwindow/form1.h"
#include "app/shell/arkaplan.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"
#include "app/shell/tema.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <stdexcept>

using namespace varo;
using namespace varo::mainwindow;

namespace {

// A server whose answers and failures a test chooses.
struct SahteSunucu : AcilisSunucusu {
    struct Ayar {
        QString kayanYazi = QStringLiteral("<b>Haber</b> ");
        QByteArray banner = QByteArray(2500, 'x');
        qint64 bannerBoyut = 2500;
        int reklam = 2;
        double usd = 32.5, eur = 35.25;
        std::vector<std::vector<QVariant>> balon = {{3, 4, 5, 9, 2.5}};
        QSet<int> baglanmaz;     // step numbers whose connection fails (2..5)
        QSet<int> hata;          // step numbers whose server call throws
        bool kurHatasi = false;
    } ayar;
    QStringList *olaylar = nullptr;
    int adim = 1;

    struct Baglanti : AcilisBaglantisi {
        SahteSunucu *s;
        int adim;
        Baglanti(SahteSunucu *s, int adim) : s(s), adim(adim) {}
        void kontrol()
        {
            if (s->ayar.hata.contains(adim))
                throw std::runtime_error("sunucu hatası");
        }
        QString KayanYaziGetir() override { kontrol(); return s->ayar.kayanYazi; }
        std::unique_ptr<QIODevice> BannerResimVer(qint64 &boyut) override
        {
            kontrol();
            boyut = s->ayar.bannerBoyut;
            auto b = std::make_unique<QBuffer>();
            b->setData(s->ayar.banner);
            b->open(QIODevice::ReadOnly);
            b->seek(b->size()); // the server hands it over unrewound
            return b;
        }
        int AcilisReklamAdet() override { kontrol(); return s->ayar.reklam; }
        int KurlariAl(double &usd, double &eur) override
        {
            if (s->ayar.kurHatasi)
                throw std::runtime_error("kur");
            usd = s->ayar.usd;
            eur = s->ayar.eur;
            return 1;
        }
        std::vector<std::vector<QVariant>> BalonGetir() override { kontrol(); return s->ayar.balon; }
    };

    std::unique_ptr<AcilisBaglantisi> baglan() override
    {
        ++adim;
        if (olaylar)
            *olaylar << QStringLiteral("connect %1").arg(adim);
        if (ayar.baglanmaz.contains(adim))
            return nullptr;
        return std::make_unique<Baglanti>(this, adim);
    }
};

struct KayitliArayuz : AcilisArayuzu {
    QStringList olaylar;
    QHash<QString, int> rozetler;
    QByteArray banner;
    QString kurlar;
    bool hepArayuzde = true;
    void not_(const QString &s)
    {
        hepArayuzde = hepArayuzde && QThread::currentThread() == qApp->thread();
        olaylar << s;
    }
    void baslikYaz(const QString &k, const QString &c, const QString &s) override
    {
        not_(QStringLiteral("header ") + k + QLatin1Char('|') + c + QLatin1Char('|') + s);
    }
    void kayanYaziYukle(const QString &m) override { not_(QStringLiteral("ticker ") + m); }
    void bannerYukle(const QByteArray &r) override { banner = r; not_(QStringLiteral("banner")); }
    void rozetYaz(const QString &sayfa, int d) override
    {
        rozetler[sayfa] = d;
        not_(QStringLiteral("badge %1 %2").arg(sayfa).arg(d));
    }
    void kurlariYaz(double, double, const QString &m) override { kurlar = m; not_(QStringLiteral("rates")); }
};

BaslikBilgisi baslik()
{
    return {QStringLiteral("AHMET"), QStringLiteral("ORNEK OTO"), QStringLiteral("MEHMET"), QStringLiteral("555"),
            QStringLiteral("m@x")};
}

} // namespace

class TstForm1 : public QObject {
    Q_OBJECT
private slots:
    void musteriAyari_data();
    void musteriAyari();
    void kurMetni_data();
    void kurMetni();
    void bannerOku_data();
    void bannerOku();
    void acilisAdimlari_data();
    void acilisAdimlari();
    void acilisHatasi();
    void cerceve();
    void kapatmaSorusu_data();
    void kapatmaSorusu();
    void acilisGoster_data();
    void acilisGoster();
    void baslangicGorevi();
};

void TstForm1::musteriAyari_data()
{
    QTest::addColumn<int>("tip");
    QTest::addColumn<QString>("kod");
    QTest::addColumn<bool>("temsilci");
    QTest::addColumn<bool>("durumGizli");
    QTest::addColumn<bool>("kampanyaGizli");
    QTest::newRow("type 0") << 0 << "120.01" << false << false << false;
    QTest::newRow("type 0 RAZ") << 0 << "120.RAZ.1" << true << false << false;
    QTest::newRow("type 0 raz lower") << 0 << "120.raz" << false << false << false;
    QTest::newRow("type 1") << 1 << "" << true << false << false;
    QTest::newRow("type 2") << 2 << "" << true << false << false;
    QTest::newRow("type 3") << 3 << "" << false << true << false;
    QTest::newRow("type 4") << 4 << "" << false << false << true;
    QTest::newRow("type 4 RAZ") << 4 << "RAZ" << true << false << true;
}

void TstForm1::musteriAyari()
{
    QFETCH(int, tip);
    QFETCH(QString, kod);
    const MusteriAyari a = musteriAyariHesapla(tip, kod);
    QTEST(a.temsilciGorunumu, "temsilci");
    QTEST(a.sepetDurumGizli, "durumGizli");
    QTEST(a.kampanyaGizli, "kampanyaGizli");

    TForm1 f;
    f.musteriAyariUygula(a);
    QCOMPARE(f.musteritus->isVisibleTo(&f), a.temsilciGorunumu);
    QCOMPARE(f.sPageControl1->isTabVisible(f.sPageControl1->indexOf(f.skampanyali)), !a.kampanyaGizli);
}

void TstForm1::kurMetni_data()
{
    QTest::addColumn<QString>("yerel");
    QTest::addColumn<double>("usd");
    QTest::addColumn<double>("eur");
    QTest::addColumn<QString>("metin");
    QTest::newRow("turkish") << "tr_TR" << 32.5 << 35.25 << "           Kurlar: $: 32,5          €: 35,25   ";
    QTest::newRow("start values") << "tr_TR" << 1.0 << 1.0 << "           Kurlar: $: 1          €: 1   ";
    QTest::newRow("english") << "en_US" << 1234.5678 << 0.1 << "           Kurlar: $: 1234.5678          €: 0.1   ";
}

void TstForm1::kurMetni()
{
    QFETCH(QString, yerel);
    QFETCH(double, usd);
    QFETCH(double, eur);
    QFETCH(QString, metin);
    QCOMPARE(mainwindow::kurMetni(usd, eur, QLocale(yerel)), metin);
}

void TstForm1::bannerOku_data()
{
    QTest::addColumn<int>("gercek");
    QTest::addColumn<qint64>("duyurulan");
    QTest::addColumn<bool>("kabul");
    QTest::newRow("exact") << 5000 << qint64(5000) << true;
    QTest::newRow("one short") << 4999 << qint64(5000) << false;
    QTest::newRow("one over") << 5001 << qint64(5000) << false;
    QTest::newRow("size 0") << 300 << qint64(0) << false;
    QTest::newRow("multiple of block") << 2048 << qint64(2048) << true;
    QTest::newRow("small") << 10 << qint64(10) << true;
}

void TstForm1::bannerOku()
{
    QFETCH(int, gercek);
    QFETCH(qint64, duyurulan);
    QFETCH(bool, kabul);
    QByteArray veri(gercek, '\0');
    for (int i = 0; i < gercek; ++i)
        veri[i] = char(i * 7);
    QBuffer b(&veri);
    b.open(QIODevice::ReadOnly);
    b.seek(gercek);
    QByteArray cikti;
    QCOMPARE(mainwindow::bannerOku(b, duyurulan, cikti), kabul);
    if (kabul)
        QCOMPARE(cikti, veri);
    if (duyurulan == 0)
        QVERIFY(cikti.isEmpty());
}

void TstForm1::acilisAdimlari_data()
{
    QTest::addColumn<QSet<int>>("baglanmaz");
    QTest::addColumn<QStringList>("beklenen");
    QTest::addColumn<int>("adet");
    const QString header = QStringLiteral("header AHMET|ORNEK OTO|MEHMET Telefonu: 555 email: m@x");
    QTest::newRow("all reachable") << QSet<int>{}
                                   << QStringList{header, "ticker <b>Haber</b> ", "banner", "badge sTabSheetduyuru 2",
                                                  "rates", "badge ssepet 3", "badge syeniler 4", "badge skampanyali 5",
                                                  "badge sTabbakiyeler 2"}
                                   << 2;
    QTest::newRow("server gone") << QSet<int>{2, 3, 4, 5} << QStringList{header} << 0;
    QTest::newRow("only rates step fails") << QSet<int>{4}
                                           << QStringList{header, "ticker <b>Haber</b> ", "banner", "badge ssepet 3",
                                                          "badge syeniler 4", "badge skampanyali 5",
                                                          "badge sTabbakiyeler 2"}
                                           << 0;
}

void TstForm1::acilisAdimlari()
{
    QFETCH(QSet<int>, baglanmaz);
    QFETCH(QStringList, beklenen);
    auto sunucu = std::make_shared<SahteSunucu>();
    sunucu->ayar.baglanmaz = baglanmaz;
    KayitliArayuz arayuz;
    auto gorev = std::make_shared<AcilisGorevi>(baslik(), sunucu, &arayuz);
    bool bitti = false;
    shell::Async([gorev] { gorev->calistir(); }).Await([&] { bitti = true; });
    QTRY_VERIFY(bitti);
    QCOMPARE(arayuz.olaylar, beklenen);
    QVERIFY(arayuz.hepArayuzde);
    QTEST(gorev->acilisAdet(), "adet");
}

// Banner and count/rates swallow their errors; the ticker's error ends the
// body and reaches the general error box after the completion.
void TstForm1::acilisHatasi()
{
    QStringList kutular;
    shell::setGenelHataGosterici([&](const QString &m) { kutular << m; });
    {
        auto sunucu = std::make_shared<SahteSunucu>();
        sunucu->ayar.hata = {3, 4};
        sunucu->ayar.banner.chop(1); // size mismatch as well
        KayitliArayuz arayuz;
        auto gorev = std::make_shared<AcilisGorevi>(baslik(), sunucu, &arayuz);
        bool bitti = false;
        shell::Async([gorev] { gorev->calistir(); }).Await([&] { bitti = true; });
        QTRY_VERIFY(bitti);
        QVERIFY(!arayuz.olaylar.contains(QStringLiteral("banner")));
        QVERIFY(arayuz.olaylar.contains(QStringLiteral("badge ssepet 3")));
        QCOMPARE(gorev->acilisAdet(), 0);
        QVERIFY(kutular.isEmpty());
    }
    {
        auto sunucu = std::make_shared<SahteSunucu>();
        sunucu->ayar.kurHatasi = true;
        KayitliArayuz arayuz;
        auto gorev = std::make_shared<AcilisGorevi>(baslik(), sunucu, &arayuz);
        bool bitti = false;
        shell::Async([gorev] { gorev->calistir(); }).Await([&] { bitti = true; });
        QTRY_VERIFY(bitti);
        QCOMPARE(arayuz.rozetler.value(QStringLiteral("sTabSheetduyuru")), 2); // set before the rates failed
        QVERIFY(arayuz.kurlar.isEmpty());
        QCOMPARE(gorev->acilisAdet(), 0);
    }
    {
        auto sunucu = std::make_shared<SahteSunucu>();
        sunucu->ayar.hata = {2};
        KayitliArayuz arayuz;
        auto gorev = std::make_shared<AcilisGorevi>(baslik(), sunucu, &arayuz);
        QStringList sira;
        shell::setGenelHataGosterici([&](const QString &m) { sira << QStringLiteral("error ") + m; });
        shell::Async([gorev] { gorev->calistir(); }).Await([&] { sira << QStringLiteral("completion"); });
        QTRY_COMPARE(sira.size(), 2);
        QCOMPARE(sira, (QStringList{"completion", "error sunucu hatası"}));
        QCOMPARE(arayuz.olaylar.size(), 1); // header only; the rest was skipped
    }
    shell::setGenelHataGosterici({});
}

void TstForm1::cerceve()
{
    TForm1 f;
    QCOMPARE(f.windowTitle(), QStringLiteral("VARO Zorozizo Online Sipariş Programı (Dilva)"));
    QCOMPARE(TForm1::kUygulamaBasligi, QStringLiteral("VARO Zorozizo Online Sipariş Programı  (Dilva)"));
    QCOMPARE(f.size(), QSize(1344, 801));
    const QStringList adlar = {"sstoklistesi", "ssepet", "sonceki", "sccariekstre", "syeniler",
                               "skampanyali", "sTabSheetduyuru", "sTabbakiyeler", "sTabSheet2", "sanalcart"};
    const QStringList basliklar = {"Stok\r\nListesi", "Sepet", "Sipariş\r\nDurumları", "Cari Ekstre", "Yeni\r\nStoklar",
                                   "Kampanyalı", "Duyurular", "Bakiyeler", "Orjinal\r\nFiyatlar", "Sanal Pos"};
    QCOMPARE(f.sPageControl1->count(), adlar.size());
    for (int i = 0; i < adlar.size(); ++i) {
        QCOMPARE(f.sPageControl1->widget(i)->objectName(), adlar[i]);
        QCOMPARE(f.sPageControl1->tabText(i), basliklar[i]);
        QVERIFY(!f.sPageControl1->tabIcon(i).isNull());
        QCOMPARE(f.sPageControl1->tabBar()->tabRect(i).size(), QSize(110, 55));
    }
    QCOMPARE(f.sPageControl1->currentWidget(), f.sstoklistesi);
    QCOMPARE(f.Panel1->height(), 90);
    QCOMPARE(f.Panel2->height(), 35);
    QCOMPARE(f.Panel3->height(), 27);
    QCOMPARE(f.Panel5->height(), 125);
    QCOMPARE(f.RxGIFAnimator1->size(), QSize(405, 88));
    QVERIFY(!f.RxGIFAnimator1->resimVerisi().isEmpty());
    QCOMPARE(f.kurlar->text(), QStringLiteral("Kurlar"));
    for (auto *g : {f.gifstokara, f.gifyeniler, f.gifkampanyali, f.gifduyuru, f.gifekstre, f.gifoncekiler,
                    f.gifsanalpos, f.gifvaroara})
        QVERIFY(!g->isVisibleTo(&f));
    QVERIFY(!f.musteritus->isVisibleTo(&f));
    QStringList menu;
    for (QAction *a : f.Genelmenu->actions())
        menu << a->objectName() + QLatin1Char('=') + (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(menu, (QStringList{"M1=Mail Gönder", "N8=-", "N4=Şifre Değiştirme İsteği", "N3=-", "websitesi1=websitesi",
                                "N2=-", "G1=Çıkış"}));
    QCOMPARE(f.findChild<QLabel *>(QStringLiteral("kullanicilbl")), f.kullanicilbl);
}

void TstForm1::kapatmaSorusu_data()
{
    QTest::addColumn<int>("cevap");
    QTest::addColumn<bool>("biter");
    QTest::newRow("yes") << int(shell::mrYes) << true;
    QTest::newRow("no") << int(shell::mrNo) << false;
    QTest::newRow("cancel") << int(shell::mrCancel) << false;
}

void TstForm1::kapatmaSorusu()
{
    QFETCH(int, cevap);
    QFETCH(bool, biter);
    QList<shell::MesajIstegi> sorular;
    shell::setMesajSunucu([&](const shell::MesajIstegi &i) {
        sorular << i;
        return cevap;
    });
    QList<int> kodlar;
    shell::setSonlandirici([&](int kod) { kodlar << kod; });
    TForm1 f;
    f.show();
    f.G1->trigger();
    QCOMPARE(sorular.size(), 1);
    QCOMPARE(sorular[0].metin, QStringLiteral("Programdan Çıkmak İstiyor musunuz ?"));
    QCOMPARE(sorular[0].tur, shell::mtConfirmation);
    QCOMPARE(sorular[0].dugmeler, (shell::DugmeSeti{shell::mbYes, shell::mbNo}));
    QCOMPARE(sorular[0].odak, shell::mbYes);
    QCOMPARE(kodlar, biter ? QList<int>{0} : QList<int>{});
    if (!biter)
        QVERIFY(f.isVisible());
    shell::setMesajSunucu({});
    shell::setSonlandirici({});
}

void TstForm1::acilisGoster_data()
{
    QTest::addColumn<bool>("goruldu");
    QTest::addColumn<int>("adet");
    QTest::addColumn<QVariant>("sonuc"); // null: dialog not OK
    QTest::addColumn<QString>("aktif");
    QTest::addColumn<QString>("arama");
    QTest::addColumn<bool>("gosterildi");
    QTest::newRow("campaign") << false << 1 << QVariant(QStringLiteral("#KAMPANYA#")) << "skampanyali" << "" << true;
    QTest::newRow("new items") << false << 3 << QVariant(QStringLiteral("#YENİ#")) << "syeniler" << "" << true;
    QTest::newRow("stock code") << false << 1 << QVariant(QStringLiteral("ABC123")) << "sstoklistesi" << "ABC123" << true;
    QTest::newRow("cancelled") << false << 1 << QVariant() << "sstoklistesi" << "" << true;
    QTest::newRow("no adverts") << false << 0 << QVariant(QStringLiteral("#YENİ#")) << "sstoklistesi" << "" << false;
    QTest::newRow("already seen") << true << 2 << QVariant(QStringLiteral("#YENİ#")) << "sstoklistesi" << "" << false;
}

void TstForm1::acilisGoster()
{
    QFETCH(bool, goruldu);
    QFETCH(int, adet);
    QFETCH(QVariant, sonuc);
    QFETCH(QString, aktif);
    QFETCH(QString, arama);
    QFETCH(bool, gosterildi);
    bool acildi = false;
    QString aranan;
    auto &k = form1Kancalari();
    k.acilisReklami = [&](TForm1 &) -> std::optional<QString> {
        acildi = true;
        if (sonuc.isNull())
            return std::nullopt;
        return sonuc.toString();
    };
    k.stokAra = [&](TForm1 &, const QString &m) { aranan = m; };
    TForm1 f;
    f._acilisgoruldu = goruldu;
    f._acilisadet = adet;
    f.AcilisGoster();
    QCOMPARE(acildi, gosterildi);
    QCOMPARE(f.sPageControl1->currentWidget()->objectName(), aktif);
    QCOMPARE(aranan, arama);
    k = Form1Kancalari{};
}

// The whole start-up through the window: header, badges, rates and the
// advertisement count reach the window; the badge repaints the tab.
void TstForm1::baslangicGorevi()
{
    auto sunucu = std::make_shared<SahteSunucu>();
    sunucu->ayar.balon = {{1, 0, 12, 0, 3.7}};
    int reklam = 0;
    auto &k = form1Kancalari();
    k.acilisSunucusu = [&](TForm1 &) { return sunucu; };
    k.acilisReklami = [&](TForm1 &) -> std::optional<QString> {
        ++reklam;
        return std::nullopt;
    };
    // A look can be chosen for a visual check of the saved picture.
    if (const QString tema = qEnvironmentVariable("VARO_FORM1_TEMA"); !tema.isEmpty())
        qApp->setStyleSheet(shell::stilSayfasi(tema));
    TForm1 f;
    f.sbilgi.setADI(QStringLiteral("AHMET"));
    f.sbilgi.setCariAdi(QStringLiteral("ORNEK OTO"));
    f.show();
    f.baslangicGoreviniBaslat();
    QTRY_COMPARE(reklam, 1);
    QCOMPARE(f._acilisadet, 2);
    QCOMPARE(f.kullanicilbl->text(), QStringLiteral("AHMET"));
    QCOMPARE(f.cariadilbl->text(), QStringLiteral("ORNEK OTO"));
    QCOMPARE(f.sTabbakiyeler->BagTag(), 4);
    QCOMPARE(f.skampanyali->BagTag(), 12);
    QCOMPARE(f.sTabSheetduyuru->BagTag(), 2);
    QCOMPARE(f.ssepet->BagTag(), 1);
    QCOMPARE(f._USDKUR, 32.5);
    QVERIFY(f.kurlar->text().startsWith(QStringLiteral("           Kurlar: $: ")));
    if (const QByteArray yol = qgetenv("VARO_FORM1_SHOT"); !yol.isEmpty())
        f.grab().save(QString::fromLocal8Bit(yol));
    k = Form1Kancalari{};
}

QTEST_MAIN(TstForm1)
#include "tst_form1.moc"

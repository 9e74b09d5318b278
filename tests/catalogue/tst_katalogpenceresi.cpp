#include "app/mainwindow/form1.h"
#include "app/shell/mesajkutusu.h"
#include "basket/sepetdeposu.h"
#include "catalogue/katalog.h"
#include "catalogue/stoksekmesi.h"
#include "protocol/dataset.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace varo;
using namespace varo::katalog;
using varo::mainwindow::TForm1;

namespace {

// The server as the window sees it: stock rows for any text, a basket per
// customer account.
struct Sunucu {
    int carino = 10;  // the customer the session acts for
    bool sepetUlasilamaz = false;
    QList<int> sepetiIstenen;

    KatalogSunucusu baglar()
    {
        KatalogSunucusu s;
        s.stokAraVaro = [](const QString &, DataSet &d) {
            d.setFieldDefs({{QStringLiteral("STOK_STOKNO"), FieldType::Int32}});
            d.open();
            for (int n : {1, 2, 3}) {
                d.appendRecord();
                d.fieldByName(QStringLiteral("STOK_STOKNO"))->setValue(n);
            }
        };
        const auto bos = [](DataSet &d) {
            d.setFieldDefs({{QStringLiteral("STOK_STOKNO"), FieldType::Int32}});
            d.open();
        };
        s.varoYenilerVer = bos;
        s.varoKampanyaliVer = bos;
        s.sepetVer = [this](DataSet &d) {
            sepetiIstenen << carino;
            if (sepetUlasilamaz)
                throw std::runtime_error("down");
            d.setFieldDefs({{QStringLiteral("STOKNO"), FieldType::Int32}, {QStringLiteral("SIRANO"), FieldType::Int32}});
            d.open();
            // Customer 10 holds one line, customer 20 two.
            for (int i = 0; i < carino / 10; ++i) {
                d.appendRecord();
                d.fieldByName(QStringLiteral("STOKNO"))->setValue(i + 1);
                d.fieldByName(QStringLiteral("SIRANO"))->setValue(carino * 100 + i);
            }
        };
        return s;
    }
};

// The program's catalogue wiring on a real main window.
mainwindow::Form1Kancalari &katalogluPencere(Sunucu &sunucu)
{
    auto &kancalar = mainwindow::form1Kancalari();
    kancalar = {};
    kancalar.kurulumlar.push_back([&sunucu](TForm1 &f) {
        KatalogYeri yer;
        yer.pencere = &f;
        yer.aramaCubugu = f.Panel2Duzeni;
        yer.sayfalar = f.sPageControl1;
        yer.sstoklistesi = f.sstoklistesi;
        yer.syeniler = f.syeniler;
        yer.skampanyali = f.skampanyali;
        yer.sTabSheetduyuru = f.sTabSheetduyuru;
        yer.ssepet = f.ssepet;
        yer.gifstokara = f.gifstokara;
        new Katalog(yer, sunucu.baglar(), [&sunucu] { return Oturum{0, {}, sunucu.carino, 1, 1.0, 1.0}; }, &f);
    });
    kancalar.cariDegisti.push_back([](TForm1 &f) {
        if (auto *k = f.findChild<Katalog *>())
            k->cariDegisti();
    });
    kancalar.stokAra = [](TForm1 &f, const QString &t) {
        if (auto *k = f.findChild<Katalog *>())
            k->stokSekmesi->metniAra(t);
    };
    return kancalar;
}

}  // namespace

class TstKatalogPenceresi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        shell::setMesajSunucu([](const shell::MesajIstegi &) { return int(shell::mrOk); });
    }

    // "Başka Cari Seç": whatever the selection ended with, the header shows
    // the session's customer, the basket is that customer's, and the stock
    // list priced for the previous one is gone.
    void baskaCariSec_data()
    {
        QTest::addColumn<bool>("secildi");
        QTest::addColumn<bool>("sepetUlasilamaz");
        QTest::addColumn<QString>("cariAdi");
        QTest::addColumn<int>("sepetRozeti");
        QTest::addColumn<bool>("sepetAcik");
        QTest::newRow("another customer") << true << false << QStringLiteral("İKİNCİ OTO") << 2 << true;
        QTest::newRow("selection cancelled") << false << false << QStringLiteral("BİRİNCİ OTO") << 1 << true;
        // The old customer's lines must not stay on offer for change.
        QTest::newRow("basket unreachable") << true << true << QStringLiteral("İKİNCİ OTO") << 0 << false;
    }
    void baskaCariSec()
    {
        QFETCH(bool, secildi);
        QFETCH(bool, sepetUlasilamaz);

        Sunucu sunucu;
        auto &kancalar = katalogluPencere(sunucu);
        kancalar.cariSecimi = [&sunucu, secildi](TForm1 &f) {
            if (!secildi)
                return;
            sunucu.carino = 20;
            f.sbilgi.setCariAdi(QStringLiteral("İKİNCİ OTO"));
        };
        TForm1 f;
        f.sbilgi.setCariAdi(QStringLiteral("BİRİNCİ OTO"));
        f.musteritus->setVisible(true);
        f.show();
        auto *k = f.findChild<Katalog *>();
        QVERIFY(k);
        QSignalSpy bitti(k->stokSekmesi, &StokSekmesi::aramaBitti);
        k->stokSekmesi->metniAra(QStringLiteral("FREN"));
        QVERIFY(bitti.wait(3000));
        k->SepetiYenile();
        QCOMPARE(f.sstoklistesi->BagTag(), 3);
        QCOMPARE(f.ssepet->BagTag(), 1);
        f.sPageControl1->setActivePage(f.ssepet);

        sunucu.sepetUlasilamaz = sepetUlasilamaz;
        QTest::mouseClick(f.musteritus, Qt::LeftButton);

        QTEST(f.cariadilbl->text(), "cariAdi");
        QCOMPARE(sunucu.sepetiIstenen.last(), secildi ? 20 : 10);
        QTEST(f.ssepet->BagTag(), "sepetRozeti");
        QTEST(k->sepetDeposu->sepet->isActive(), "sepetAcik");
        QCOMPARE(k->stokSekmesi->stok->recordCount(), 0);
        QCOMPARE(f.sstoklistesi->BagTag(), 0);
        QCOMPARE(f.sPageControl1->activePage(), f.sstoklistesi);
        QCOMPARE(k->stokSekmesi->araedit->selectedText(), QStringLiteral("FREN"));
        kancalar = {};
    }

    // An announcement or opening advert pointing at the campaigns leads
    // there only for users who have the campaign tab.
    void kampanyaIsareti_data()
    {
        QTest::addColumn<bool>("duyurudan");  // announcement, or else opening advert
        QTest::addColumn<bool>("kampanyaGizli");
        QTest::addColumn<QString>("sayfa");
        QTest::newRow("announcement") << true << false << QStringLiteral("skampanyali");
        QTest::newRow("announcement, type 4") << true << true << QStringLiteral("sstoklistesi");
        QTest::newRow("advert") << false << false << QStringLiteral("skampanyali");
        QTest::newRow("advert, type 4") << false << true << QStringLiteral("sstoklistesi");
    }
    void kampanyaIsareti()
    {
        QFETCH(bool, duyurudan);
        QFETCH(bool, kampanyaGizli);
        Sunucu sunucu;
        auto &kancalar = katalogluPencere(sunucu);
        kancalar.acilisReklami = [](TForm1 &) -> std::optional<QString> { return QStringLiteral("#KAMPANYA#"); };
        TForm1 f;
        mainwindow::MusteriAyari a;
        a.kampanyaGizli = kampanyaGizli;
        f.musteriAyariUygula(a);
        f.sPageControl1->setActivePage(f.sstoklistesi);
        if (duyurudan) {
            f.findChild<Katalog *>()->duyurular->aramaYonlendir(QStringLiteral("#KAMPANYA#"));
        } else {
            f._acilisadet = 1;
            f.AcilisGoster();
        }
        QTEST(f.sPageControl1->activePage()->objectName(), "sayfa");
        kancalar = {};
    }
};

QTEST_MAIN(TstKatalogPenceresi)
#include "tst_katalogpenceresi.moc"

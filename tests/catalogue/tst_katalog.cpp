#include "app/shell/arkaplan.h"
#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "basket/sepetdeposu.h"
#include "catalogue/katalog.h"
#include "catalogue/stokayarinti.h"
#include "catalogue/stoksekmesi.h"
#include "grid/gridview.h"
#include "protocol/dataset.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

using namespace varo;
using namespace varo::katalog;

namespace {

void stokYaz(DataSet &d)
{
    d.setFieldDefs({{QStringLiteral("STOK_STOKNO"), FieldType::Int32}, {QStringLiteral("BARKOD"), FieldType::WideString},
                    {QStringLiteral("ADI"), FieldType::WideString},       {QStringLiteral("MARKA"), FieldType::WideString},
                    {QStringLiteral("FINISHKOD"), FieldType::WideString}, {QStringLiteral("MODEL"), FieldType::WideString},
                    {QStringLiteral("KDV"), FieldType::Float},            {QStringLiteral("FIYAT"), FieldType::Float},
                    {QStringLiteral("INDIRIM"), FieldType::Float},        {QStringLiteral("NETFIYAT"), FieldType::Float},
                    {QStringLiteral("KDVDAHIL"), FieldType::Float},       {QStringLiteral("K"), FieldType::Int32},
                    {QStringLiteral("MALIYET"), FieldType::WideString}});
    d.open();
    for (int n : {7, 8}) {
        d.appendRecord();
        d.fieldByName(QStringLiteral("STOK_STOKNO"))->setValue(n);
        d.fieldByName(QStringLiteral("BARKOD"))->setValue(QStringLiteral("B%1").arg(n));
        d.fieldByName(QStringLiteral("ADI"))->setValue(QStringLiteral("FREN DISKI %1").arg(n));
        d.fieldByName(QStringLiteral("KDV"))->setValue(20.0);
        d.fieldByName(QStringLiteral("FIYAT"))->setValue(100.0);
        d.fieldByName(QStringLiteral("INDIRIM"))->setValue(0.0);
        d.fieldByName(QStringLiteral("NETFIYAT"))->setValue(100.0);
        d.fieldByName(QStringLiteral("KDVDAHIL"))->setValue(120.0);
        d.fieldByName(QStringLiteral("K"))->setValue(0);
    }
}

// The basket columns the change dialog reads.
void sepetAlanlari(DataSet &d)
{
    d.setFieldDefs({{QStringLiteral("STOKNO"), FieldType::Int32}, {QStringLiteral("SIRANO"), FieldType::Int32},
                    {QStringLiteral("BARKOD"), FieldType::WideString}, {QStringLiteral("STOKADI"), FieldType::WideString},
                    {QStringLiteral("MARKA"), FieldType::WideString}, {QStringLiteral("FINISHKOD"), FieldType::WideString},
                    {QStringLiteral("MODEL"), FieldType::WideString}, {QStringLiteral("KDV"), FieldType::Float},
                    {QStringLiteral("BIRIMFIYAT"), FieldType::Float}, {QStringLiteral("NETBIRIMFIYAT"), FieldType::Float},
                    {QStringLiteral("INDIRIMORANI1"), FieldType::Float}, {QStringLiteral("MIKTAR"), FieldType::Float}});
}

}  // namespace

class TstKatalog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        shell::setMesajSunucu([](const shell::MesajIstegi &) { return int(shell::mrOk); });
    }

    // Search, double click, quantity 3, confirm: the line goes to the server
    // and the basket badge shows the reloaded count.
    void aramadanSepete()
    {
        QWidget pencere;
        QWidget cubuk(&pencere);
        auto *duzen = new QHBoxLayout(&cubuk);
        shell::TsPageControl sayfalar(&pencere);
        KatalogYeri yer;
        yer.pencere = &pencere;
        yer.aramaCubugu = duzen;
        yer.sayfalar = &sayfalar;
        yer.sstoklistesi = sayfalar.sayfaEkle(QStringLiteral("sstoklistesi"), QStringLiteral("Stok\r\nListesi"), {});
        yer.ssepet = sayfalar.sayfaEkle(QStringLiteral("ssepet"), QStringLiteral("Sepet"), {});

        QList<SepetSatiriArgumanlari> gonderilen;
        int sepetSatiri = 0;
        KatalogSunucusu s;
        s.stokAraVaro = [](const QString &, DataSet &d) { stokYaz(d); };
        s.sepetVer = [&sepetSatiri](DataSet &d) {
            d.setFieldDefs({{QStringLiteral("STOKNO"), FieldType::Int32}, {QStringLiteral("SIRANO"), FieldType::Int32}});
            d.open();
            for (int i = 0; i < sepetSatiri; ++i) {
                d.appendRecord();
                d.fieldByName(QStringLiteral("STOKNO"))->setValue(8);
                d.fieldByName(QStringLiteral("SIRANO"))->setValue(50 + i);
            }
        };
        s.sepetEkle = [&](const SepetSatiriArgumanlari &a) {
            gonderilen << a;
            ++sepetSatiri;
            return 1;
        };
        Oturum o;
        o.carino = 42;
        o.sirano = 5;
        Katalog k(yer, s, [o] { return o; });
        k.dialogCalistir = [](Tstokayarinti &d) {
            d.adet->setValue(3);
            return int(QDialog::Accepted);
        };
        pencere.show();

        QSignalSpy bitti(k.stokSekmesi, &StokSekmesi::aramaBitti);
        k.stokSekmesi->metniAra(QStringLiteral("FREN"));
        QVERIFY(bitti.wait(3000));
        k.stokSekmesi->cxGrid1DBTableView1->setFocusedRow(1);
        k.stokSekmesi->cxGrid1DBTableView1DblClick();

        QCOMPARE(gonderilen.size(), 1);
        QCOMPARE(gonderilen[0].stokno, 8);
        QCOMPARE(gonderilen[0].miktar, 3.0);
        QCOMPARE(gonderilen[0].fiyat, 100.0);
        QCOMPARE(gonderilen[0].carino, 42);
        QCOMPARE(gonderilen[0].kdv, 20);
        QCOMPARE(yer.ssepet->BagTag(), 1);
    }

    // New and campaign items: a double click on one already in the basket
    // changes its line, on any other adds it. The basket is loaded first.
    void vitrindenSepete_data()
    {
        QTest::addColumn<bool>("kampanyadan");
        QTest::addColumn<int>("satir");  // row of the list: stock numbers 7 and 8, 8 is in the basket
        QTest::addColumn<QString>("beklenen");
        QTest::newRow("new item") << false << 0 << QStringLiteral("add 7");
        QTest::newRow("new item in the basket") << false << 1 << QStringLiteral("change 60");
        QTest::newRow("campaign item") << true << 0 << QStringLiteral("add 7");
        QTest::newRow("campaign item in the basket") << true << 1 << QStringLiteral("change 60");
    }
    void vitrindenSepete()
    {
        QFETCH(bool, kampanyadan);
        QFETCH(int, satir);
        QWidget pencere;
        shell::TsPageControl sayfalar(&pencere);
        KatalogYeri yer;
        yer.pencere = &pencere;
        yer.sayfalar = &sayfalar;
        yer.syeniler = sayfalar.sayfaEkle(QStringLiteral("syeniler"), QStringLiteral("Yeni\r\nStoklar"), {});
        yer.skampanyali = sayfalar.sayfaEkle(QStringLiteral("skampanyali"), QStringLiteral("Kampanyalı"), {});
        QStringList yapilan;
        int sepetYuklemesi = 0;
        KatalogSunucusu s;
        s.varoYenilerVer = [](DataSet &d) { stokYaz(d); };
        s.varoKampanyaliVer = [](DataSet &d) { stokYaz(d); };
        s.sepetVer = [&sepetYuklemesi](DataSet &d) {
            ++sepetYuklemesi;
            sepetAlanlari(d);
            d.open();
            d.appendRecord();
            d.fieldByName(QStringLiteral("STOKNO"))->setValue(8);
            d.fieldByName(QStringLiteral("SIRANO"))->setValue(60);
            d.fieldByName(QStringLiteral("MIKTAR"))->setValue(2.0);
        };
        s.sepetEkle = [&](const SepetSatiriArgumanlari &a) {
            yapilan << QStringLiteral("add %1").arg(a.stokno);
            return 1;
        };
        s.sepetGuncelle = [&](const SepetSatiriArgumanlari &a) {
            yapilan << QStringLiteral("change %1").arg(a.sepetsirano);
            return 1;
        };
        Katalog k(yer, s, [] { return Oturum{}; });
        k.dialogCalistir = [](Tstokayarinti &) { return int(QDialog::Accepted); };
        UrunVitrini *v = kampanyadan ? k.kampanya : k.yeniler;
        QSignalSpy yuklendi(v, &UrunVitrini::yuklendi);
        v->Yukle();
        QVERIFY(yuklendi.wait(3000));
        v->izgara->setFocusedRow(satir);
        v->CiftTiklama();
        QFETCH(QString, beklenen);
        QCOMPARE(yapilan, QStringList{beklenen});
        QVERIFY(sepetYuklemesi >= 1);
    }

    // A result without a column the dialog reads: the error's text in the
    // general error box, no dialog, nothing sent.
    void eksikKolon()
    {
        QStringList hatalar;
        shell::setGenelHataGosterici([&hatalar](const QString &m) { hatalar << m; });
        QWidget pencere;
        KatalogYeri yer;
        yer.pencere = &pencere;
        int gonderilen = 0, dialog = 0;
        KatalogSunucusu s;
        s.sepetEkle = [&gonderilen](const SepetSatiriArgumanlari &) { return ++gonderilen; };
        Katalog k(yer, s, [] { return Oturum{}; });
        k.dialogCalistir = [&dialog](Tstokayarinti &) { return ++dialog, int(QDialog::Accepted); };
        DataSet &stok = *k.stokSekmesi->stok;
        stok.setFieldDefs({{QStringLiteral("STOK_STOKNO"), FieldType::Int32}, {QStringLiteral("BARKOD"), FieldType::WideString}});
        stok.open();
        stok.appendRecord();
        k.StoktanSepeteEkle(0);
        shell::setGenelHataGosterici({});
        QCOMPARE(hatalar.size(), 1);
        QVERIFY(hatalar[0].contains(QStringLiteral("KDV")));
        QCOMPARE(dialog, 0);
        QCOMPARE(gonderilen, 0);
    }

    // A reload that fails in any way keeps the lines held; an empty basket
    // is only one the server answered with.
    void sepetYenileme_data()
    {
        QTest::addColumn<int>("cevap");  // 0 lines, 2 lines, throws, hands back nothing
        QTest::addColumn<bool>("basarili");
        QTest::addColumn<int>("satir");
        QTest::newRow("two lines") << 2 << true << 2;
        QTest::newRow("empty basket") << 0 << true << 0;
        QTest::newRow("call fails") << -1 << false << 1;
        QTest::newRow("no connection, nothing handed back") << -2 << false << 1;
    }
    void sepetYenileme()
    {
        QFETCH(int, cevap);
        sepet::SepetDeposu d;
        int satir = 1;
        d.sepetVer = [&satir](DataSet &h) {
            if (satir == -1)
                throw std::runtime_error("down");
            if (satir == -2)
                return;
            h.setFieldDefs({{QStringLiteral("STOKNO"), FieldType::Int32}});
            h.open();
            for (int i = 0; i < satir; ++i)
                h.appendRecord();
        };
        QVERIFY(d.SepetiYenile());
        satir = cevap;
        QTEST(d.SepetiYenile(), "basarili");
        QTEST(d.satirSayisi(), "satir");
        QVERIFY(d.sepet->isActive());
    }

    // A basket line change reloads the basket even when the server failed.
    void degisiklikHatasindaSepetYenilenir()
    {
        QWidget pencere;
        KatalogYeri yer;
        yer.pencere = &pencere;
        int yenileme = 0;
        KatalogSunucusu s;
        s.sepetVer = [&yenileme](DataSet &d) {
            ++yenileme;
            sepetAlanlari(d);
            d.open();
            d.appendRecord();
            d.fieldByName(QStringLiteral("SIRANO"))->setValue(77);
            d.fieldByName(QStringLiteral("MIKTAR"))->setValue(2.0);
        };
        s.sepetGuncelle = [](const SepetSatiriArgumanlari &) -> int { throw std::runtime_error("down"); };
        Katalog k(yer, s, [] { return Oturum{}; });
        k.dialogCalistir = [](Tstokayarinti &) { return int(QDialog::Accepted); };
        k.SepetiYenile();
        QCOMPARE(yenileme, 1);
        k.SepetSatiriDegistir(77);
        QCOMPARE(yenileme, 2);
    }
};

QTEST_MAIN(TstKatalog)
#include "tst_katalog.moc"

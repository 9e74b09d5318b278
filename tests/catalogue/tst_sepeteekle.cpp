#include "catalogue/para.h"
#include "catalogue/sepeteekle.h"
#include "protocol/dataset.h"

#include <QtTest>

using namespace varo;
using namespace varo::katalog;

namespace {

// One stock row as the search, new-items and campaign lists deliver it.
void stokSatiri(DataSet &d, int k, double fiyat, double indirim, double net, double kdvdahil,
                const QString &maliyet = QStringLiteral("12.50 $"))
{
    d.setFieldDefs({{QStringLiteral("STOK_STOKNO"), FieldType::Int32},
                    {QStringLiteral("BARKOD"), FieldType::WideString},
                    {QStringLiteral("ADI"), FieldType::WideString},
                    {QStringLiteral("MARKA"), FieldType::WideString},
                    {QStringLiteral("FINISHKOD"), FieldType::WideString},
                    {QStringLiteral("MODEL"), FieldType::WideString},
                    {QStringLiteral("KDV"), FieldType::Float},
                    {QStringLiteral("FIYAT"), FieldType::Float},
                    {QStringLiteral("INDIRIM"), FieldType::Float},
                    {QStringLiteral("NETFIYAT"), FieldType::Float},
                    {QStringLiteral("KDVDAHIL"), FieldType::Float},
                    {QStringLiteral("K"), FieldType::Int32},
                    {QStringLiteral("MALIYET"), FieldType::WideString}});
    for (const char *n : {"FIYAT", "INDIRIM", "NETFIYAT", "KDVDAHIL"})
        d.fieldByName(QLatin1String(n))->setDisplayFormat(QStringLiteral("#,###,##0.00"));
    d.open();
    d.appendRecord();
    d.edit();
    d.fieldByName(QStringLiteral("STOK_STOKNO"))->setValue(4711);
    d.fieldByName(QStringLiteral("BARKOD"))->setValue(QStringLiteral("8690001"));
    d.fieldByName(QStringLiteral("ADI"))->setValue(QStringLiteral("FREN BALATASI"));
    d.fieldByName(QStringLiteral("MARKA"))->setValue(QStringLiteral("MRK"));
    d.fieldByName(QStringLiteral("FINISHKOD"))->setValue(QStringLiteral("FB-1"));
    d.fieldByName(QStringLiteral("MODEL"))->setValue(QStringLiteral("M1"));
    d.fieldByName(QStringLiteral("KDV"))->setValue(18.0);
    d.fieldByName(QStringLiteral("FIYAT"))->setValue(fiyat);
    d.fieldByName(QStringLiteral("INDIRIM"))->setValue(indirim);
    d.fieldByName(QStringLiteral("NETFIYAT"))->setValue(net);
    d.fieldByName(QStringLiteral("KDVDAHIL"))->setValue(kdvdahil);
    d.fieldByName(QStringLiteral("K"))->setValue(k);
    d.fieldByName(QStringLiteral("MALIYET"))->setValue(maliyet);
    d.post();
}

void sepetSatiri(DataSet &d, double birim, double net, double indirim, double miktar)
{
    d.setFieldDefs({{QStringLiteral("STOKNO"), FieldType::Int32},
                    {QStringLiteral("SIRANO"), FieldType::Int32},
                    {QStringLiteral("BARKOD"), FieldType::WideString},
                    {QStringLiteral("STOKADI"), FieldType::WideString},
                    {QStringLiteral("MARKA"), FieldType::WideString},
                    {QStringLiteral("FINISHKOD"), FieldType::WideString},
                    {QStringLiteral("MODEL"), FieldType::WideString},
                    {QStringLiteral("KDV"), FieldType::Float},
                    {QStringLiteral("BIRIMFIYAT"), FieldType::Float},
                    {QStringLiteral("NETBIRIMFIYAT"), FieldType::Float},
                    {QStringLiteral("INDIRIMORANI1"), FieldType::Float},
                    {QStringLiteral("MIKTAR"), FieldType::Float}});
    d.open();
    d.appendRecord();
    d.edit();
    d.fieldByName(QStringLiteral("STOKNO"))->setValue(4711);
    d.fieldByName(QStringLiteral("SIRANO"))->setValue(77);
    d.fieldByName(QStringLiteral("BARKOD"))->setValue(QStringLiteral("8690001"));
    d.fieldByName(QStringLiteral("STOKADI"))->setValue(QStringLiteral("FREN BALATASI"));
    d.fieldByName(QStringLiteral("MARKA"))->setValue(QStringLiteral("MRK"));
    d.fieldByName(QStringLiteral("FINISHKOD"))->setValue(QStringLiteral("FB-1"));
    d.fieldByName(QStringLiteral("MODEL"))->setValue(QStringLiteral("M1"));
    d.fieldByName(QStringLiteral("KDV"))->setValue(18.0);
    d.fieldByName(QStringLiteral("BIRIMFIYAT"))->setValue(birim);
    d.fieldByName(QStringLiteral("NETBIRIMFIYAT"))->setValue(net);
    d.fieldByName(QStringLiteral("INDIRIMORANI1"))->setValue(indirim);
    d.fieldByName(QStringLiteral("MIKTAR"))->setValue(miktar);
    d.post();
}

}  // namespace

class TstSepeteEkle : public QObject {
    Q_OBJECT
private slots:
    void yuvarla_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("sonuc");
        QTest::newRow("half up") << 2.675 << 2.68;
        QTest::newRow("half away from zero, negative") << -2.675 << -2.68;
        QTest::newRow("below one") << 0.505 << 0.51;
        QTest::newRow("below one, negative") << -0.125 << -0.13;
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("thousands") << 1234567.895 << 1234567.9;
        QTest::newRow("already two places") << 317.8 << 317.8;
    }
    void yuvarla()
    {
        QFETCH(double, x);
        QFETCH(double, sonuc);
        QCOMPARE(IkiHaneyeYuvarla(x), sonuc);
    }

    void maliyet_data()
    {
        QTest::addColumn<QString>("metin");
        QTest::addColumn<bool>("okunur");
        QTest::addColumn<double>("sonuc");
        QTest::newRow("dollar at 30") << QStringLiteral("12.50 $") << true << 317.80;
        QTest::newRow("euro at 32") << QStringLiteral("8.00 €") << true << 216.95;
        QTest::newRow("lira") << QStringLiteral("11.80 TL") << true << 10.0;
        QTest::newRow("both marks: euro wins") << QStringLiteral("11.80 $ €") << true << 320.0;
        QTest::newRow("no number") << QStringLiteral("? $") << false << 0.0;
    }
    void maliyet()
    {
        QFETCH(QString, metin);
        QFETCH(bool, okunur);
        QFETCH(double, sonuc);
        const auto c = MaliyetFiyatiHesapla(metin, 30.0, 32.0);
        QCOMPARE(c.has_value(), okunur);
        if (okunur)
            QCOMPARE(*c, sonuc);
    }

    void tutar_data()
    {
        QTest::addColumn<double>("birim");
        QTest::addColumn<double>("indoran");
        QTest::addColumn<int>("adet");
        QTest::addColumn<double>("indtutar");
        QTest::addColumn<double>("kdvdahil");
        QTest::addColumn<double>("genel");
        QTest::newRow("tiny discount leaves price unrounded")
            << 10.005 << 0.0001 << 1 << 10.005 << 11.81 << 11.81;
        QTest::newRow("no discount") << 100.0 << 0.0 << 2 << 100.0 << 118.0 << 236.0;
        QTest::newRow("discount rounded before subtracting")
            << 33.33 << 12.5 << 3 << 29.16 << 34.41 << 103.23;
    }
    void tutar()
    {
        QFETCH(double, birim);
        QFETCH(double, indoran);
        QFETCH(int, adet);
        FiyatSatiri p;
        p.kdvoran = 18;
        p.birimfiyat = birim;
        p.indoran = indoran;
        p.adet = adet;
        p.TutarHesapla();
        QTEST(p.indtutar, "indtutar");
        QTEST(p.kdvdahiltutar, "kdvdahil");
        QTEST(p.geneltutar, "genel");
    }

    void adetSiniri_data()
    {
        QTest::addColumn<int>("yeni");
        QTest::addColumn<int>("sonuc");
        QTest::newRow("zero") << 0 << 1;
        QTest::newRow("negative") << -5 << 1;
        QTest::newRow("above max") << 10001 << 10000;
        QTest::newRow("inside") << 3 << 3;
    }
    void adetSiniri()
    {
        QFETCH(int, yeni);
        QFETCH(int, sonuc);
        FiyatSatiri p;
        p.adetDegistir(yeni);
        QCOMPARE(p.adet, sonuc);
    }

    // Which edits a customer type can type into.
    void fiyatKilidi_data()
    {
        QTest::addColumn<int>("tip");
        QTest::addColumn<bool>("acik");
        QTest::addColumn<bool>("kampanya");
        QTest::newRow("0") << 0 << false << true;
        QTest::newRow("1") << 1 << true << true;
        QTest::newRow("2") << 2 << true << true;
        QTest::newRow("3") << 3 << false << true;
        QTest::newRow("4") << 4 << false << false;
    }
    void fiyatKilidi()
    {
        QFETCH(int, tip);
        QFETCH(bool, acik);
        QFETCH(bool, kampanya);
        DataSet d;
        stokSatiri(d, 0, 100, 10, 90, 106.2);
        Oturum o;
        o.musteriTipi = tip;
        QCOMPARE(stoktanDoldur(d, o).fiyatAcik, acik);
        QCOMPARE(kampanyaGorur(tip), kampanya);
        QCOMPARE(maliyetGorur(o), acik);
    }

    void razMaliyetiGorur()
    {
        Oturum o;
        o.carikod = QStringLiteral("120.RAZ.01");
        QVERIFY(maliyetGorur(o));
    }

    void doldurma_data()
    {
        QTest::addColumn<int>("kaynak");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("carikod");
        QTest::addColumn<QString>("baslik");
        QTest::addColumn<double>("birim");
        QTest::addColumn<double>("indoran");
        QTest::addColumn<double>("indtutar");
        QTest::addColumn<double>("kdvdahil");
        QTest::addColumn<double>("ilkToplam");
        // FIYAT 100, INDIRIM 10, NETFIYAT 90, KDVDAHIL 106.20, KDV 18.
        QTest::newRow("stock, ordinary") << 0 << 0 << QString() << QStringLiteral("İndirim:  % 10,00")
                                         << 100.0 << 10.0 << 90.0 << 106.2 << 106.2;
        QTest::newRow("stock, campaign keeps discount 0")
            << 0 << 1 << QString() << QStringLiteral("Kampanyalı") << 100.0 << 0.0 << 90.0 << 106.2 << 106.2;
        QTest::newRow("stock, RAZ takes the cost, keeps the discount rate")
            << 0 << 0 << QStringLiteral("RAZ01") << QStringLiteral("İndirim:  % 0") << 317.8 << 10.0 << 317.8
            << 375.0 << 375.0;
        QTest::newRow("new items, campaign keeps INDIRIM")
            << 1 << 1 << QString() << QStringLiteral("Kampanyalı") << 100.0 << 10.0 << 90.0 << 106.2 << 106.2;
        QTest::newRow("new items ignore RAZ") << 1 << 0 << QStringLiteral("RAZ01")
                                              << QStringLiteral("İndirim:  % 10,00") << 100.0 << 10.0 << 90.0
                                              << 106.2 << 106.2;
        QTest::newRow("campaign list leaves the caption")
            << 2 << 1 << QString() << QStringLiteral("İndirim:") << 100.0 << 10.0 << 90.0 << 106.2 << 106.2;
        QTest::newRow("campaign list, RAZ") << 2 << 1 << QStringLiteral("RAZ01") << QStringLiteral("İndirim:  % 0")
                                            << 317.8 << 10.0 << 317.8 << 375.0 << 375.0;
    }
    void doldurma()
    {
        QFETCH(int, kaynak);
        QFETCH(int, k);
        QFETCH(QString, carikod);
        DataSet d;
        stokSatiri(d, k, 100, 10, 90, 106.2);
        Oturum o;
        o.carikod = carikod;
        o.usdKur = 30;
        SepeteEkleGorunum g = kaynak == 0   ? stoktanDoldur(d, o)
                              : kaynak == 1 ? yenilerdenDoldur(d, o)
                                            : kampanyadanDoldur(d, o);
        g.goster();
        QCOMPARE(g.stokno, 4711);
        QCOMPARE(g.barkod, QStringLiteral("8690001"));
        QCOMPARE(g.adi, QStringLiteral("FREN BALATASI"));
        QTEST(g.indirimBasligi, "baslik");
        QTEST(g.fiyat.birimfiyat, "birim");
        QTEST(g.fiyat.indoran, "indoran");
        QTEST(g.fiyat.indtutar, "indtutar");
        QTEST(g.fiyat.kdvdahiltutar, "kdvdahil");
        QTEST(g.fiyat.geneltutar, "ilkToplam");
        QCOMPARE(g.fiyat.adet, 1);
    }

    // A basket row opens with the total before discount; the quantity it
    // brings along recomputes the figures from the discounted price first.
    void sepetSatiriIlkToplam()
    {
        DataSet s;
        sepetSatiri(s, 100, 90, 10, 1);
        SepeteEkleGorunum g = sepettenDoldur(s, Oturum{});
        g.goster();
        QCOMPARE(g.sirano, 77);
        QCOMPARE(g.adi, QStringLiteral("FREN BALATASI"));
        QCOMPARE(g.fiyat.kdvlifiyat, 118.0);
        QCOMPARE(g.fiyat.geneltutar, 118.0);  // 1 x 118, before discount
        g.fiyat.TutarHesapla();                // a key released in a price edit
        QCOMPARE(g.fiyat.geneltutar, 106.2);

        DataSet s3;
        sepetSatiri(s3, 100, 90, 10, 3);
        SepeteEkleGorunum g3 = sepettenDoldur(s3, Oturum{});
        QCOMPARE(g3.fiyat.adet, 3);
        QCOMPARE(g3.fiyat.kdvdahiltutar, 106.2);
        g3.goster();
        QCOMPARE(g3.fiyat.geneltutar, 354.0);  // 3 x 118
        g3.fiyat.adetDegistir(4);
        QCOMPARE(g3.fiyat.geneltutar, 424.8);  // 4 x 106.20
    }

    void argumanlar()
    {
        Oturum o;
        o.carino = 501;
        o.sirano = 9;
        DataSet d;
        stokSatiri(d, 1, 100, 10, 90, 106.2);
        const auto a = SepetSatiriEkleArgumanlari(d, o, 3.0, 100.0, 10.0);
        QCOMPARE(a.carino, 501);
        QCOMPARE(a.stokno, 4711);
        QCOMPARE(a.barkod, QStringLiteral("8690001"));
        QCOMPARE(a.stokadi, QStringLiteral("FREN BALATASI"));
        QCOMPARE(a.miktar, 3.0);
        QCOMPARE(a.kdv, 18);
        QCOMPARE(a.fiyat, 100.0);
        QCOMPARE(a.indirim, 10.0);
        QCOMPARE(a.verenid, 9);
        QCOMPARE(a.k, 1);

        DataSet s;
        sepetSatiri(s, 100, 90, 10, 2);
        const auto g = SepetSatiriGuncelleArgumanlari(s, o, 77, 5.0, 100.0, 10.0);
        QCOMPARE(g.stokno, 0);
        QCOMPARE(g.sepetsirano, 77);
        QCOMPARE(g.stokadi, QStringLiteral("FREN BALATASI"));
        QCOMPARE(g.miktar, 5.0);
        QCOMPARE(g.kdv, 18);
        QCOMPARE(g.verenid, 9);
    }
};

QTEST_APPLESS_MAIN(TstSepeteEkle)
#include "tst_sepeteekle.moc"

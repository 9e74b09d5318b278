#include "catalogue/stokkolonlari.h"

#include <QtTest>

using namespace varo;
using namespace varo::katalog;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(varo::katalog::StokIzgarasi)

namespace {

// One word a column: the field, then "~" when hidden but offered in the
// column customization, "-" when hidden and not offered.
QString dizilis(const QList<GridColumn> &kolonlar)
{
    QStringList s;
    for (const GridColumn &c : kolonlar)
        s << c.field + (c.visible ? QString() : c.customizable ? QStringLiteral("~") : QStringLiteral("-"));
    return s.join(QLatin1Char(' '));
}

const GridColumn *bul(const QList<GridColumn> &kolonlar, const QString &alan)
{
    for (const GridColumn &c : kolonlar)
        if (c.field == alan)
            return &c;
    return nullptr;
}

}  // namespace

class TstStokKolonlari : public QObject {
    Q_OBJECT
private slots:
    // Order and visibility of every column, as each grid declares them.
    void dizilisler_data()
    {
        QTest::addColumn<StokIzgarasi>("izgara");
        QTest::addColumn<QString>("beklenen");
        QTest::newRow("stock list") << StokIzgarasi::StokListesi
                                    << QStringLiteral(
                                           "BARKOD FINISHKOD OEM1- OEM2- OEM3- ADI OEM4- STOK_STOKNO- URETICIKODU~ "
                                           "BARKOD_BARKODNO- DIGERADI~ DPKOD- OEMNO~ BIRIM~ MARKA MODEL ANAGRUP OZELKOD "
                                           "KALAN- PKOD- KDV~ ALINANSIPARIS- VERILENSIPARIS- LISTEFIYATI MALIYET- FIYAT "
                                           "Y K INDIRIM NETFIYAT KDVDAHIL DURUM");
        QTest::newRow("new items") << StokIzgarasi::Yeniler
                                   << QStringLiteral(
                                          "BARKOD FINISHKOD OEM1~ OEM2~ OEM3~ ADI OEM4~ STOK_STOKNO- URETICIKODU~ "
                                          "BARKOD_BARKODNO- DIGERADI~ DPKOD- OEMNO~ BIRIM MARKA MODEL ANAGRUP OZELKOD "
                                          "KALAN- PKOD- KDV~ ALINANSIPARIS- VERILENSIPARIS- LISTEFIYATI MALIYET- FIYAT "
                                          "INDIRIM NETFIYAT KDVDAHIL");
        QTest::newRow("campaign items") << StokIzgarasi::Kampanya
                                        << QStringLiteral(
                                               "BARKOD FINISHKOD OEM1~ OEM2~ OEM3~ ADI OEM4~ STOK_STOKNO- URETICIKODU~ "
                                               "BARKOD_BARKODNO- DIGERADI~ DPKOD- OEMNO~ BIRIM MARKA MODEL ANAGRUP "
                                               "OZELKOD KALAN- PKOD- KDV~ ALINANSIPARIS- VERILENSIPARIS- ESKIFIYAT "
                                               "MALIYET- FIYAT Y K INDIRIM NETFIYAT KDVDAHIL DURUM");
    }
    void dizilisler()
    {
        QFETCH(StokIzgarasi, izgara);
        QTEST(dizilis(stokKolonlari(izgara)), "beklenen");
    }

    // Where the grids word, weigh or draw the same column differently.
    void kolonlar_data()
    {
        QTest::addColumn<StokIzgarasi>("izgara");
        QTest::addColumn<QString>("alan");
        QTest::addColumn<QString>("baslik");
        QTest::addColumn<int>("agirlik");
        QTest::addColumn<int>("hucre");
        QTest::addColumn<bool>("sagda");
        const auto yazi = int(CellKind::Label), simge = int(CellKind::Icon);
        QTest::newRow("stock: code") << StokIzgarasi::StokListesi << u"FINISHKOD"_s << u"Kod"_s << 2 << yazi << false;
        QTest::newRow("new: code") << StokIzgarasi::Yeniler << u"FINISHKOD"_s << u"Kod"_s << 2 << yazi << false;
        QTest::newRow("campaign: code") << StokIzgarasi::Kampanya << u"FINISHKOD"_s << u"Stok Kod"_s << 2 << yazi << false;
        QTest::newRow("stock: price") << StokIzgarasi::StokListesi << u"LISTEFIYATI"_s << u"Fiyatı"_s << 2 << yazi << true;
        QTest::newRow("new: price") << StokIzgarasi::Yeniler << u"LISTEFIYATI"_s << u"Fiyat"_s << 2 << yazi << true;
        QTest::newRow("campaign: old price") << StokIzgarasi::Kampanya << u"ESKIFIYAT"_s << u"Eski Fiyat"_s << 2 << yazi << false;
        QTest::newRow("stock: list price") << StokIzgarasi::StokListesi << u"FIYAT"_s << u"Liste Fiyatı"_s << 2 << yazi << false;
        QTest::newRow("new: list price") << StokIzgarasi::Yeniler << u"FIYAT"_s << u"Liste Fiyatı"_s << 2 << yazi << false;
        QTest::newRow("campaign: new price") << StokIzgarasi::Kampanya << u"FIYAT"_s << u"Yeni Fiyat"_s << 2 << yazi << false;
        QTest::newRow("stock: VAT") << StokIzgarasi::StokListesi << u"KDV"_s << u"KDV"_s << 1 << yazi << false;
        QTest::newRow("stock: remaining, for staff") << StokIzgarasi::StokListesi << u"KALAN"_s << u"KALAN"_s << 1 << yazi << false;
        QTest::newRow("stock: cost, for staff") << StokIzgarasi::StokListesi << u"MALIYET"_s << u"MALIYET"_s << 1 << yazi << false;
        QTest::newRow("new: orders taken, for staff") << StokIzgarasi::Yeniler << u"ALINANSIPARIS"_s << u"ALINANSIPARIS"_s << 1 << yazi << false;
        QTest::newRow("new: VAT") << StokIzgarasi::Yeniler << u"KDV"_s << u"KDV"_s << 1 << yazi << false;
        QTest::newRow("campaign: VAT") << StokIzgarasi::Kampanya << u"KDV"_s << u"KDV"_s << 1 << yazi << false;
        QTest::newRow("stock: description") << StokIzgarasi::StokListesi << u"ADI"_s << u"Açıklama"_s << 3 << yazi << false;
        QTest::newRow("stock: other name") << StokIzgarasi::StokListesi << u"DIGERADI"_s << u"Diğer Adı"_s << 3 << yazi << false;
        QTest::newRow("stock: discount") << StokIzgarasi::StokListesi << u"INDIRIM"_s << u"İndirim Oran"_s << 1 << yazi << false;
        QTest::newRow("stock: new flag") << StokIzgarasi::StokListesi << u"Y"_s << u"Yeni"_s << 1 << simge << false;
        QTest::newRow("campaign: campaign flag") << StokIzgarasi::Kampanya << u"K"_s << u"Kampanyalı"_s << 1 << simge << false;
        QTest::newRow("campaign: state") << StokIzgarasi::Kampanya << u"DURUM"_s << u"Durum"_s << 1 << simge << false;
        QTest::newRow("stock: unit") << StokIzgarasi::StokListesi << u"BIRIM"_s << u"Birim"_s << 1 << yazi << false;
        QTest::newRow("new: unit") << StokIzgarasi::Yeniler << u"BIRIM"_s << u"Birim"_s << 1 << yazi << false;
    }
    void kolonlar()
    {
        QFETCH(StokIzgarasi, izgara);
        QFETCH(QString, alan);
        const QList<GridColumn> kolonlar = stokKolonlari(izgara);
        const GridColumn *c = bul(kolonlar, alan);
        QVERIFY(c);
        QTEST(c->caption, "baslik");
        QTEST(c->tag, "agirlik");
        QTEST(int(c->kind), "hucre");
        QTEST(bool(c->alignment & Qt::AlignRight), "sagda");
    }

    // The flag columns draw the yes/no marks, the state column the stock states.
    void simgeler()
    {
        const QList<GridColumn> kolonlar = stokKolonlari(StokIzgarasi::StokListesi);
        QCOMPARE(bul(kolonlar, QStringLiteral("K"))->icons.size(), yesNoIcons().size());
        QCOMPARE(bul(kolonlar, QStringLiteral("DURUM"))->icons.size(), stockStateIcons().size());
        QVERIFY(bul(kolonlar, QStringLiteral("DURUM"))->images);
    }
};

QTEST_MAIN(TstStokKolonlari)
#include "tst_stokkolonlari.moc"

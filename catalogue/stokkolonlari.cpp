#include "catalogue/stokkolonlari.h"

#include "grid/imagelist.h"

namespace varo::katalog {

namespace {

// How one grid carries a column.
enum Gorunum : quint8 {
    G,  // shown
    S,  // hidden, offered in column customization
    N,  // hidden and not offered
    Y,  // not in this grid
};

enum class Hucre : quint8 { Yazi, SagaYasli, YeniKampanyaSimgesi, DurumSimgesi };

struct Kolon {
    const char16_t *alan;
    const char16_t *baslik;
    int agirlik;
    Gorunum gorunum[3];  // stock list, new items, campaign items
    Hucre hucre = Hucre::Yazi;
};

// clang-format off
const Kolon kKolonlar[] = {
    // field             caption              weight stock new campaign
    {u"BARKOD",          u"Barkod",           2, {G, G, G}},
    {u"FINISHKOD",       u"Kod",              2, {G, G, G}},
    {u"OEM1",            u"Oem1",             2, {N, S, S}},
    {u"OEM2",            u"Oem2",             2, {N, S, S}},
    {u"OEM3",            u"Oem3",             2, {N, S, S}},
    {u"ADI",             u"Açıklama",         3, {G, G, G}},
    {u"OEM4",            u"Oem4",             2, {N, S, S}},
    {u"STOK_STOKNO",     u"",                 1, {N, N, N}},
    {u"URETICIKODU",     u"Üretici Kod",      2, {S, S, S}},
    {u"BARKOD_BARKODNO", u"",                 1, {N, N, N}},
    {u"DIGERADI",        u"Diğer Adı",        3, {S, S, S}},
    {u"DPKOD",           u"",                 2, {N, N, N}},
    {u"OEMNO",           u"Oem No",           2, {S, S, S}},
    {u"BIRIM",           u"Birim",            1, {S, G, G}},
    {u"MARKA",           u"Marka",            2, {G, G, G}},
    {u"MODEL",           u"Model",            2, {G, G, G}},
    {u"ANAGRUP",         u"Ana Grup",         2, {G, G, G}},
    {u"OZELKOD",         u"Özel Kod",         2, {G, G, G}},
    {u"KALAN",           u"",                 1, {N, N, N}},
    {u"PKOD",            u"",                 1, {N, N, N}},
    {u"KDV",             u"",                 1, {S, S, S}},
    {u"ALINANSIPARIS",   u"",                 1, {N, N, N}},
    {u"VERILENSIPARIS",  u"",                 1, {N, N, N}},
    {u"LISTEFIYATI",     u"Fiyatı",           2, {G, G, Y}, Hucre::SagaYasli},
    {u"ESKIFIYAT",       u"Eski Fiyat",       2, {Y, Y, G}},
    {u"MALIYET",         u"",                 1, {N, N, N}},
    {u"FIYAT",           u"Liste Fiyatı",     2, {G, G, G}},
    {u"Y",               u"Yeni",             1, {G, Y, G}, Hucre::YeniKampanyaSimgesi},
    {u"K",               u"Kampanyalı",       1, {G, Y, G}, Hucre::YeniKampanyaSimgesi},
    {u"INDIRIM",         u"İndirim Oran",     1, {G, G, G}},
    {u"NETFIYAT",        u"Net Fiyatı",       2, {G, G, G}},
    {u"KDVDAHIL",        u"KDV Dahil Fiyat",  2, {G, G, G}},
    {u"DURUM",           u"Durum",            1, {G, Y, G}, Hucre::DurumSimgesi},
};

// Captions the showcase grids word differently.
struct BaslikFarki {
    StokIzgarasi izgara;
    const char16_t *alan;
    const char16_t *baslik;
};
const BaslikFarki kBaslikFarklari[] = {
    {StokIzgarasi::Yeniler,  u"LISTEFIYATI", u"Fiyat"},
    {StokIzgarasi::Kampanya, u"FINISHKOD",   u"Stok Kod"},
    {StokIzgarasi::Kampanya, u"FIYAT",       u"Yeni Fiyat"},
};
// clang-format on

QString baslik(StokIzgarasi izgara, const Kolon &k)
{
    for (const BaslikFarki &f : kBaslikFarklari)
        if (f.izgara == izgara && QStringView(f.alan) == QStringView(k.alan))
            return QString::fromUtf16(f.baslik);
    return QString::fromUtf16(k.baslik);
}

}  // namespace

QList<GridColumn> stokKolonlari(StokIzgarasi izgara)
{
    const int i = int(izgara);
    QList<GridColumn> kolonlar;
    for (const Kolon &k : kKolonlar) {
        if (k.gorunum[i] == Y)
            continue;
        GridColumn c = col(QString::fromUtf16(k.alan), baslik(izgara, k), k.agirlik);
        // Columns the staff may be shown, and those offered in customization,
        // need a header; without a caption of their own it is the field name.
        if (c.caption.isEmpty())
            c.captionFromField();
        if (k.gorunum[i] == S)
            c.hidden();
        else if (k.gorunum[i] == N)
            c.hiddenNotOffered();
        switch (k.hucre) {
        case Hucre::Yazi:
            break;
        case Hucre::SagaYasli:
            c.right();
            break;
        case Hucre::YeniKampanyaSimgesi:
            c.iconCell(&yesNoImages(), yesNoIcons());
            break;
        case Hucre::DurumSimgesi:
            c.iconCell(&stateImages(), stockStateIcons());
            break;
        }
        kolonlar.append(std::move(c));
    }
    return kolonlar;
}

}  // namespace varo::katalog

#include "catalogue/sepeteekle.h"

#include "protocol/dataset.h"

namespace varo::katalog {

bool fiyatDegistirilebilir(int musteriTipi) { return musteriTipi == 1 || musteriTipi == 2; }

bool maliyetGorur(const Oturum &o)
{
    return fiyatDegistirilebilir(o.musteriTipi) || o.carikod.contains(QStringLiteral("RAZ"));
}

bool kampanyaGorur(int musteriTipi) { return musteriTipi != 4; }

namespace {

double f(const DataSet &d, const char *name) { return d.fieldByName(QLatin1String(name))->asFloat(); }
qint64 i(const DataSet &d, const char *name) { return d.fieldByName(QLatin1String(name))->asInteger(); }
QString t(const DataSet &d, const char *name)
{
    return d.fieldByName(QLatin1String(name))->displayText();
}

SepeteEkleGorunum baslangic(const DataSet &d, const Oturum &o, Kaynak k, const char *adiAlani)
{
    SepeteEkleGorunum g;
    g.kaynak = k;
    g.fiyat.kdvoran = f(d, "KDV");
    g.barkod = t(d, "BARKOD");
    g.adi = t(d, adiAlani);
    g.marka = t(d, "MARKA");
    g.finishkod = t(d, "FINISHKOD");
    g.model = t(d, "MODEL");
    g.fiyatAcik = fiyatDegistirilebilir(o.musteriTipi);
    return g;
}

// The distributor's own accounts buy at cost converted to lira.
void razAdimi(SepeteEkleGorunum &g, const DataSet &d, const Oturum &o)
{
    if (!o.carikod.contains(QStringLiteral("RAZ")))
        return;
    const auto c = MaliyetFiyatiHesapla(t(d, "MALIYET"), o.usdKur, o.eurKur);
    if (!c)  // an unreadable cost keeps the dealer price rather than selling at 0
        return;
    g.fiyat.birimfiyat = *c;
    g.fiyat.kdvdahiltutar = IkiHaneyeYuvarla(*c * (f(d, "KDV") / 100.0 + 1.0));
    g.fiyat.kdvlifiyat = g.fiyat.kdvdahiltutar;
    g.indirimBasligi = QStringLiteral("İndirim:  % 0");
    g.fiyat.indtutar = *c;
}

// The list and the new items read their prices alike whatever the "K"
// mark says; a campaign item only captions its discount differently.
void kIsaretineGore(SepeteEkleGorunum &g, const DataSet &d)
{
    auto &p = g.fiyat;
    p.birimfiyat = f(d, "FIYAT");
    p.kdvdahiltutar = f(d, "KDVDAHIL");
    p.indtutar = f(d, "NETFIYAT");
    p.kdvlifiyat = f(d, "KDVDAHIL");
    if (i(d, "K") != 0)
        g.indirimBasligi = QStringLiteral("Kampanyalı");
}

}  // namespace

SepeteEkleGorunum stoktanDoldur(const DataSet &stok, const Oturum &o)
{
    SepeteEkleGorunum g = baslangic(stok, o, Kaynak::Stok, "ADI");
    g.stokno = int(i(stok, "STOK_STOKNO"));
    if (i(stok, "K") == 0) {
        g.indirimBasligi = QStringLiteral("İndirim:  % ") + t(stok, "INDIRIM");
        g.fiyat.indoran = f(stok, "INDIRIM");
    }
    kIsaretineGore(g, stok);
    razAdimi(g, stok, o);
    return g;
}

SepeteEkleGorunum yenilerdenDoldur(const DataSet &y, const Oturum &o)
{
    SepeteEkleGorunum g = baslangic(y, o, Kaynak::Yeniler, "ADI");
    g.stokno = int(i(y, "STOK_STOKNO"));
    auto &p = g.fiyat;
    p.birimfiyat = f(y, "FIYAT");
    p.kdvdahiltutar = IkiHaneyeYuvarla(f(y, "NETFIYAT") * (f(y, "KDV") / 100.0 + 1.0));
    g.indirimBasligi = QStringLiteral("İndirim:  % ") + t(y, "INDIRIM");
    p.indoran = f(y, "INDIRIM");
    p.indtutar = f(y, "NETFIYAT");
    p.kdvlifiyat = f(y, "KDVDAHIL");
    kIsaretineGore(g, y);
    return g;
}

SepeteEkleGorunum kampanyadanDoldur(const DataSet &k, const Oturum &o)
{
    SepeteEkleGorunum g = baslangic(k, o, Kaynak::Kampanya, "ADI");
    g.stokno = int(i(k, "STOK_STOKNO"));
    auto &p = g.fiyat;
    p.birimfiyat = f(k, "FIYAT");
    p.kdvdahiltutar = IkiHaneyeYuvarla(f(k, "NETFIYAT") * (f(k, "KDV") / 100.0 + 1.0));
    p.indoran = f(k, "INDIRIM");
    p.indtutar = f(k, "NETFIYAT");
    p.kdvlifiyat = f(k, "KDVDAHIL");
    razAdimi(g, k, o);
    return g;
}

SepeteEkleGorunum sepettenDoldur(const DataSet &s, const Oturum &o)
{
    SepeteEkleGorunum g = baslangic(s, o, Kaynak::Sepet, "STOKADI");
    g.stokno = int(i(s, "STOKNO"));
    g.sirano = int(i(s, "SIRANO"));
    auto &p = g.fiyat;
    const double kdv = f(s, "KDV");
    p.birimfiyat = f(s, "BIRIMFIYAT");
    p.kdvdahiltutar = IkiHaneyeYuvarla(f(s, "NETBIRIMFIYAT") * (1.0 + kdv / 100.0));
    p.indoran = f(s, "INDIRIMORANI1");
    p.indtutar = f(s, "NETBIRIMFIYAT");
    p.kdvlifiyat = IkiHaneyeYuvarla(f(s, "BIRIMFIYAT") * (1.0 + kdv / 100.0));
    p.adetDegistir(int(f(s, "MIKTAR")));
    return g;
}

SepetSatiriArgumanlari SepetSatiriEkleArgumanlari(const DataSet &kaynak, const Oturum &o,
                                                  double miktar, double fiyat, double indirim)
{
    SepetSatiriArgumanlari a;
    a.carino = o.carino;
    a.stokno = int(i(kaynak, "STOK_STOKNO"));
    a.barkod = kaynak.fieldByName(QStringLiteral("BARKOD"))->asString();
    a.stokadi = kaynak.fieldByName(QStringLiteral("ADI"))->asString();
    a.miktar = miktar;
    a.kdv = int(i(kaynak, "KDV"));
    a.fiyat = fiyat;
    a.indirim = indirim;
    a.verenid = o.sirano;
    a.k = int(i(kaynak, "K"));
    return a;
}

SepetSatiriArgumanlari SepetSatiriGuncelleArgumanlari(const DataSet &sepet, const Oturum &o,
                                                      int sirano, double miktar, double fiyat,
                                                      double indirim)
{
    SepetSatiriArgumanlari a;
    a.carino = o.carino;
    a.stokno = 0;
    a.barkod = t(sepet, "BARKOD");
    a.stokadi = t(sepet, "STOKADI");
    a.miktar = miktar;
    a.kdv = int(i(sepet, "KDV"));
    a.fiyat = fiyat;
    a.indirim = indirim;
    a.verenid = o.sirano;
    a.sepetsirano = sirano;
    return a;
}

}  // namespace varo::katalog

#pragma once

#include "catalogue/para.h"

#include <QString>

namespace varo {
class DataSet;
}

namespace varo::katalog {

// The session values the catalogue needs, taken from the logged-in record.
struct Oturum {
    int musteriTipi = 0;
    QString carikod;
    int carino = 0;
    int sirano = 0;   // the user's own number, sent as the giver of a line
    double usdKur = 1.0;
    double eurKur = 1.0;
};

// Types 1 and 2 (the distributor's own staff) may change the price and the
// discount; everybody else only the quantity.
bool fiyatDegistirilebilir(int musteriTipi);
// Staff and the distributor's own accounts ("RAZ" in the code) see costs,
// open orders and remaining stock.
bool maliyetGorur(const Oturum &o);
// Type 4 customers are not offered campaigns.
bool kampanyaGorur(int musteriTipi);

enum class Kaynak { Stok, Yeniler, Kampanya, Sepet };

// What the add-to-basket dialog shows, filled from one of the four sources.
struct SepeteEkleGorunum {
    Kaynak kaynak = Kaynak::Stok;
    int stokno = 0;
    int sirano = 0;  // basket line, for a change only
    QString barkod, adi, finishkod, marka, model;
    QString indirimBasligi = QStringLiteral("İndirim:");
    bool fiyatAcik = false;  // birimfiyat and indoran accept typing
    FiyatSatiri fiyat;

    // Shown: the first total from the VAT-inclusive price.
    void goster() { fiyat.GenelTutarHesapla(); }
};

// Each fill reads the current record of its data set, in the order the dialog
// has always been filled in (later steps overwrite earlier ones).
SepeteEkleGorunum stoktanDoldur(const DataSet &stok, const Oturum &o);
SepeteEkleGorunum yenilerdenDoldur(const DataSet &yeniler, const Oturum &o);
SepeteEkleGorunum kampanyadanDoldur(const DataSet &kampstok, const Oturum &o);
SepeteEkleGorunum sepettenDoldur(const DataSet &sepet, const Oturum &o);

// Arguments of the server's add and change calls.
struct SepetSatiriArgumanlari {
    int carino = 0;
    int stokno = 0;
    QString barkod;
    QString stokadi;
    double miktar = 0;
    int kdv = 0;
    double fiyat = 0;
    double indirim = 0;
    int verenid = 0;
    int k = 0;            // add: the campaign flag
    int sepetsirano = 0;  // change: the basket line
};

// The quantity goes as the spin's text read back as a number.
SepetSatiriArgumanlari SepetSatiriEkleArgumanlari(const DataSet &kaynak, const Oturum &o,
                                                  double miktar, double fiyat, double indirim);
// The server finds the line by its number: the stock number is sent as 0.
SepetSatiriArgumanlari SepetSatiriGuncelleArgumanlari(const DataSet &sepet, const Oturum &o,
                                                      int sirano, double miktar, double fiyat,
                                                      double indirim);

}  // namespace varo::katalog

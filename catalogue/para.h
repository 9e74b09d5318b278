#pragma once

#include <QString>
#include <optional>

namespace varo::katalog {

// Two-decimal rounding used for every money figure of the basket: halves go
// away from zero, on the decimal form of the number (2.675 -> 2.68).
double IkiHaneyeYuvarla(double x);

// Cost texts look like "12.50 $", "8.00 €" or "3.10 TL": a point as decimal
// mark and a currency mark. The cost is VAT-inclusive at 18 per cent; the
// result is the net price in lira. Both marks in one text: the euro rate wins.
// Text that is no number after the marks are gone gives no value.
std::optional<double> MaliyetFiyatiHesapla(const QString &maliyet, double usdKur, double eurKur);

// The price line of the add-to-basket dialog.
struct FiyatSatiri {
    int adet = 1;
    double birimfiyat = 0;     // before discount, net of VAT
    double indoran = 0;        // discount per cent
    double indtutar = 0;       // after discount, net of VAT
    double kdvdahiltutar = 0;  // after discount, with VAT
    double geneltutar = 0;     // line total with VAT
    double kdvlifiyat = 0;     // VAT-inclusive unit price of the first total
    double kdvoran = 0;        // VAT per cent

    void GenelTutarHesapla();
    void TutarHesapla();
    // The quantity spin clamps to 1..10000; a changed value recomputes the
    // total first from kdvlifiyat, then from the discounted price.
    void adetDegistir(int yeni);
};

constexpr int enAzAdet = 1;
constexpr int enCokAdet = 10000;

}  // namespace varo::katalog

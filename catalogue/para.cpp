#include "catalogue/para.h"

#include "protocol/numberformat.h"

namespace varo::katalog {

double IkiHaneyeYuvarla(double x)
{
    const QLocale &loc = turkishLocale();
    QString s = formatFloat(QStringLiteral("#,###,##.00"), x, loc);
    s.remove(loc.groupSeparator());
    // Below 1 the picture leaves out the leading zero (",50"); the locale
    // reader wants a digit in front.
    const QString dec = loc.decimalPoint();
    if (s.startsWith(dec))
        s.prepend(QLatin1Char('0'));
    else if (s.startsWith(QLatin1Char('-') + dec))
        s.insert(1, QLatin1Char('0'));
    bool ok = false;
    const double v = loc.toDouble(s, &ok);
    return ok ? v : roundHalfAwayFromZero(x, 2);
}

std::optional<double> MaliyetFiyatiHesapla(const QString &maliyet, double usdKur, double eurKur)
{
    double kur = 1.0;
    if (maliyet.contains(QLatin1Char('$')))
        kur = usdKur;
    if (maliyet.contains(QChar(0x20AC)))
        kur = eurKur;
    QString s = maliyet;
    s.remove(QLatin1Char(' '));
    s.remove(QChar(0x00A0));
    s.replace(QLatin1Char('.'), turkishLocale().decimalPoint());
    s.remove(QStringLiteral("TL"));
    s.remove(QLatin1Char('$'));
    s.remove(QChar(0x20AC));
    bool ok = false;
    const double n = turkishLocale().toDouble(s, &ok);
    if (!ok)
        return std::nullopt;
    return IkiHaneyeYuvarla(n / 1.18 * kur);
}

void FiyatSatiri::GenelTutarHesapla()
{
    geneltutar = IkiHaneyeYuvarla(double(adet) * kdvlifiyat);
}

void FiyatSatiri::TutarHesapla()
{
    double p = birimfiyat;
    if (indoran > 0.0001)
        p = p - IkiHaneyeYuvarla(birimfiyat * indoran / 100.0);
    indtutar = p;
    kdvdahiltutar = IkiHaneyeYuvarla((kdvoran / 100.0 + 1.0) * indtutar);
    geneltutar = IkiHaneyeYuvarla(kdvdahiltutar * double(adet));
}

void FiyatSatiri::adetDegistir(int yeni)
{
    yeni = qBound(enAzAdet, yeni, enCokAdet);
    if (yeni == adet)
        return;
    adet = yeni;
    GenelTutarHesapla();
    TutarHesapla();
}

}  // namespace varo::katalog

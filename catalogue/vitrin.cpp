#include "catalogue/vitrin.h"

namespace varo::katalog {

DuyuruHedefi duyuruHedefi(const QString &arama)
{
    if (arama.trimmed().isEmpty())
        return DuyuruHedefi::Hicbiri;
    if (arama == QStringLiteral("#KAMPANYA#"))
        return DuyuruHedefi::Kampanya;
    if (arama == QStringLiteral("#YENİ#"))
        return DuyuruHedefi::Yeniler;
    return DuyuruHedefi::Arama;
}

bool HexCoz(const QString &hex, QByteArray *out)
{
    QByteArray bytes;
    bytes.reserve(hex.size() / 2 + 1);
    for (qsizetype p = 0; p < hex.size(); p += 2) {
        bool ok = false;
        const uint v = hex.mid(p, 2).toUInt(&ok, 16);
        if (!ok)
            return false;
        bytes.append(char(v));
    }
    *out = bytes;
    return true;
}

QList<int> agirlikliGenislikler(const QList<int> &agirliklar, int kullanilabilirGenislik)
{
    int toplam = 0;
    for (int a : agirliklar)
        toplam += a;
    QList<int> out;
    if (toplam <= 0)
        return QList<int>(agirliklar.size(), 0);
    const int birim = qMax(0, kullanilabilirGenislik) / toplam;
    for (int a : agirliklar)
        out.append(a * birim);
    return out;
}

}  // namespace varo::katalog

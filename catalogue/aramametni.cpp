#include "catalogue/aramametni.h"

namespace varo::katalog {

QString aramaHarfiCevir(QChar c)
{
    switch (c.unicode()) {
    case 0x011F: return QStringLiteral("g");  // ğ
    case 0x00FC: return QStringLiteral("u");  // ü
    case 0x015F: return QStringLiteral("s");  // ş
    case 0x00F6: return QStringLiteral("o");  // ö
    case 0x00E7: return QStringLiteral("c");  // ç
    case 0x011E: return QStringLiteral("G");  // Ğ
    case 0x00DC: return QStringLiteral("U");  // Ü
    case 0x015E: return QStringLiteral("S");  // Ş
    case 0x0130: return QStringLiteral("I");  // İ
    case 0x00D6: return QStringLiteral("O");  // Ö
    case 0x00C7: return QStringLiteral("C");  // Ç
    case 0x0131: return QStringLiteral("I");  // ı
    default: return QString(c);
    }
}

QString aramaMetniYaz(const QString &typed)
{
    QString out;
    out.reserve(typed.size());
    for (QChar c : typed) {
        // The edit's own upper case is the plain one: "i" becomes "I".
        const QString mapped = aramaHarfiCevir(c);
        for (QChar m : mapped)
            out += m.toUpper();
    }
    return out;
}

bool aramaYapilabilir(const QString &text)
{
    return text.trimmed().size() >= enAzAramaHarfi;
}

}  // namespace varo::katalog

#pragma once

#include <QChar>
#include <QString>

namespace varo::katalog {

// The server matches plain ASCII upper case, so Turkish letters are folded
// while the user types. "i" is left alone: upper-casing turns it into "I"
// only after the mapping, which keeps "İ" out of the search text.
QString aramaHarfiCevir(QChar c);

// What the search box holds after the given characters were typed one by one:
// mapping first, then upper case as the edit does it.
QString aramaMetniYaz(const QString &typed);

// A search needs at least three characters once the blanks around it are
// gone; the text itself is sent untrimmed.
constexpr int enAzAramaHarfi = 3;
bool aramaYapilabilir(const QString &text);

inline const QString &kisaAramaUyarisi()
{
    static const QString s = QStringLiteral("Lütfen en az 3 harf giriniz !");
    return s;
}

}  // namespace varo::katalog

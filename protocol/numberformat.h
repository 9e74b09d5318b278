#pragma once

#include <QLocale>
#include <QString>

namespace varo {

// Formats a number with a picture such as "#,###,##0.00": '0' always shows a
// digit, '#' only a significant one, a ',' in the integer part turns on
// thousands grouping, '.' places the decimal separator; other characters are
// copied. Up to three sections "positive;negative;zero" are understood.
// Separators come from the locale. The number is first taken to 15
// significant digits and then rounded half away from zero, so 2.675 becomes
// 2,68 and not the 2,67 that the nearest binary value would give.
QString formatFloat(const QString &picture, double value, const QLocale &locale);

// The Turkish locale that money is shown in, whatever the user's own.
const QLocale &turkishLocale();

// Decimal rounding half away from zero, done on the 15-digit decimal form.
double roundHalfAwayFromZero(double value, int decimals);

}  // namespace varo

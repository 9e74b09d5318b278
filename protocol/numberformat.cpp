#include "numberformat.h"

#include <QRegularExpression>

#include <cmath>

namespace varo {

const QLocale &turkishLocale()
{
    static const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    return tr;
}

namespace {

struct Picture {
    QString prefix;
    QString suffix;
    int minInt = 0;     // count of '0' before the point
    int minFrac = 0;    // count of '0' after the point
    int maxFrac = 0;    // count of '0' or '#' after the point
    bool grouping = false;
    bool hasPoint = false;
};

Picture parsePicture(const QString &s)
{
    Picture p;
    int i = 0;
    const int n = int(s.size());
    auto isDigitChar = [](QChar c) { return c == u'0' || c == u'#' || c == u',' || c == u'.'; };
    // Prefix: everything before the first digit placeholder.
    while (i < n && !isDigitChar(s[i])) {
        if (s[i] == u'"' || s[i] == u'\'') {
            const QChar q = s[i++];
            while (i < n && s[i] != q)
                p.prefix += s[i++];
            ++i;
        } else {
            p.prefix += s[i++];
        }
    }
    bool afterPoint = false;
    for (; i < n && isDigitChar(s[i]); ++i) {
        const QChar c = s[i];
        if (c == u'.') {
            afterPoint = true;
            p.hasPoint = true;
        } else if (c == u',') {
            if (!afterPoint)
                p.grouping = true;
        } else if (!afterPoint) {
            if (c == u'0')
                ++p.minInt;
        } else {
            ++p.maxFrac;
            if (c == u'0')
                p.minFrac = p.maxFrac;
        }
    }
    while (i < n) {
        if (s[i] == u'"' || s[i] == u'\'') {
            const QChar q = s[i++];
            while (i < n && s[i] != q)
                p.suffix += s[i++];
            ++i;
        } else {
            p.suffix += s[i++];
        }
    }
    return p;
}

// Digits of |value| rounded to `decimals` places, half away from zero, from
// the 15-significant-digit decimal form. Returns integer digits and fraction
// digits separately.
void decimalDigits(double value, int decimals, QString &intPart, QString &fracPart)
{
    const double a = std::fabs(value);
    // Exact decimal text of the value to 15 significant digits, no exponent.
    QString s = QString::number(a, 'e', 14);  // d.dddddddddddddde[+-]xx
    const int ePos = int(s.indexOf(u'e'));
    const int exp = s.mid(ePos + 1).toInt();
    QString mant = s.left(ePos);
    mant.remove(u'.');  // 15 digits
    // Decimal point sits after digit index exp (0-based: after 1 + exp digits).
    int pointPos = 1 + exp;
    if (pointPos <= 0) {
        mant = QString(-pointPos, u'0') + mant;
        pointPos = 0;
    } else if (pointPos > mant.size()) {
        mant += QString(pointPos - int(mant.size()), u'0');
    }
    QString ip = mant.left(pointPos);
    QString fp = mant.mid(pointPos);
    if (fp.size() < decimals + 1)
        fp += QString(decimals + 1 - int(fp.size()), u'0');
    const bool roundUp = fp[decimals] >= u'5';
    fp.truncate(decimals);
    QString all = ip + fp;
    if (roundUp) {
        int k = int(all.size()) - 1;
        while (k >= 0) {
            if (all[k] == u'9') {
                all[k] = u'0';
                --k;
            } else {
                all[k] = QChar(all[k].unicode() + 1);
                break;
            }
        }
        if (k < 0)
            all.prepend(u'1');
    }
    intPart = all.left(all.size() - decimals);
    fracPart = all.right(decimals);
    // Strip leading zeros of the integer part.
    int lz = 0;
    while (lz < intPart.size() && intPart[lz] == u'0')
        ++lz;
    intPart = intPart.mid(lz);
}

}  // namespace

double roundHalfAwayFromZero(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    QString ip, fp;
    decimalDigits(value, decimals, ip, fp);
    const QString text = (value < 0 ? QStringLiteral("-") : QString()) + (ip.isEmpty() ? QStringLiteral("0") : ip)
                         + (decimals > 0 ? QStringLiteral(".") + fp : QString());
    return text.toDouble();
}

QString formatFloat(const QString &picture, double value, const QLocale &locale)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    const QStringList sections = picture.split(u';');
    const Picture pos = parsePicture(sections.value(0));
    Picture pic = pos;
    bool negSection = false;
    if (value < 0 && sections.size() > 1 && !sections[1].isEmpty()) {
        pic = parsePicture(sections[1]);
        negSection = true;
    }
    QString ip, fp;
    decimalDigits(value, pic.maxFrac, ip, fp);
    const bool isZero = ip.isEmpty() && !fp.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (isZero && sections.size() > 2 && !sections[2].isEmpty()) {
        pic = parsePicture(sections[2]);
        negSection = true;  // the zero section carries its own sign, none
        decimalDigits(0.0, pic.maxFrac, ip, fp);
    }
    // Optional trailing fraction digits.
    while (fp.size() > pic.minFrac && fp.endsWith(u'0'))
        fp.chop(1);
    if (ip.size() < pic.minInt)
        ip = QString(pic.minInt - int(ip.size()), u'0') + ip;
    if (pic.grouping && ip.size() > 3) {
        const QString sep = locale.groupSeparator();
        QString g;
        const int n = int(ip.size());
        for (int i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0)
                g += sep;
            g += ip[i];
        }
        ip = g;
    }
    QString out = pic.prefix;
    if (value < 0 && !negSection && !isZero)
        out += locale.negativeSign();
    out += ip;
    if (!fp.isEmpty())
        out += locale.decimalPoint() + fp;
    out += pic.suffix;
    return out;
}

}  // namespace varo

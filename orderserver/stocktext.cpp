#include "orderserver/stocktext.h"

namespace varo::orderserver {

QString normalizeSearchText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.isSpace() || c == u'-' || c == u'.' || c == u'/' || c == u'|' || c == u'"')
            continue;
        // Turkish dotted and dotless i both fold to I, as the client's key mapping does.
        if (c == u'i' || c == u'ı' || c == u'İ')
            c = u'I';
        out += c.toUpper();
    }
    return out;
}

QString joinNumbers(const QStringList &numbers)
{
    QString out = QStringLiteral("|");
    for (const QString &n : numbers) {
        const QString v = normalizeSearchText(n);
        if (!v.isEmpty())
            out += v + QLatin1Char('|');
    }
    return out;
}

}  // namespace varo::orderserver

#include "catalogue/kayanyazimetni.h"

#include <QColor>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextOption>

#include <vector>

namespace varo::katalog {

namespace {

struct Etiket {
    QString ad;        // upper case, without '/'
    bool kapanis = false;
    QList<QPair<QString, QString>> nitelikler;  // names upper case

    QString nitelik(const QString &n) const
    {
        for (const auto &p : nitelikler)
            if (p.first == n)
                return p.second;
        return {};
    }
    bool var(const QString &n) const
    {
        for (const auto &p : nitelikler)
            if (p.first == n)
                return true;
        return false;
    }
};

Etiket etiketCoz(const QString &ic)
{
    Etiket e;
    QString s = ic.trimmed();
    if (s.startsWith(QLatin1Char('/'))) {
        e.kapanis = true;
        s = s.mid(1).trimmed();
    }
    if (s.endsWith(QLatin1Char('/')))
        s.chop(1);
    qsizetype p = 0;
    while (p < s.size() && !s[p].isSpace())
        ++p;
    e.ad = s.left(p).toUpper();
    static const QRegularExpression re(
        QStringLiteral(R"re(([A-Za-z_:][-A-Za-z0-9_:.]*)\s*(?:=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))?)re"));
    auto it = re.globalMatch(s, p);
    while (it.hasNext()) {
        const auto m = it.next();
        QString v = m.captured(2);
        if (v.isNull())
            v = m.captured(3);
        if (v.isNull())
            v = m.captured(4);
        e.nitelikler.append({m.captured(1).toUpper(), v});
    }
    return e;
}

QString varlikCoz(const QString &ad)
{
    if (ad.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint kod = (ad.size() > 1 && (ad[1] == QLatin1Char('x') || ad[1] == QLatin1Char('X')))
                             ? ad.mid(2).toUInt(&ok, 16)
                             : ad.mid(1).toUInt(&ok, 10);
        if (ok && kod > 0 && kod <= 0x10FFFF) {
            const char32_t c = kod;
            return QString::fromUcs4(&c, 1);
        }
        return {};
    }
    static const QList<QPair<QString, QString>> adlar = {
        {QStringLiteral("amp"), QStringLiteral("&")},   {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},    {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},  {QStringLiteral("nbsp"), QString(QChar(0xA0))},
    };
    for (const auto &p : adlar)
        if (p.first == ad.toLower())
            return p.second;
    return {};
}

QColor renkCoz(const QString &s)
{
    QString v = s.trimmed();
    QColor c(v);
    if (!c.isValid() && !v.isEmpty() && !v.startsWith(QLatin1Char('#')))
        c = QColor(QLatin1Char('#') + v);  // "FF0000" without the hash
    return c;
}


struct Yazici {
    QTextCursor imlec;
    // Open elements with the format in force inside them.
    std::vector<std::pair<QString, QTextCharFormat>> yigin;
    QTextCharFormat bicim;
    bool sonBosluk = true;  // leading blanks are dropped like HTML does

    void yaz(const QString &metin)
    {
        QString out;
        for (QChar c : metin) {
            if (c.isSpace() && c != QChar(0xA0)) {
                if (!sonBosluk)
                    out += QLatin1Char(' ');
                sonBosluk = true;
            } else {
                out += c;
                sonBosluk = false;
            }
        }
        if (!out.isEmpty())
            imlec.insertText(out, bicim);
    }

    void ac(const QString &ad, const QTextCharFormat &yeni)
    {
        yigin.emplace_back(ad, bicim);
        bicim = yeni;
    }

    void kapat(const QString &ad)
    {
        for (auto i = yigin.size(); i-- > 0;) {
            if (yigin[i].first == ad) {
                bicim = yigin[i].second;
                yigin.resize(i);
                return;
            }
        }
    }
};

qreal boyut(const QTextCharFormat &f, const QFont &temel)
{
    const qreal p = f.fontPointSize();
    return p > 0 ? p : temel.pointSizeF();
}

}  // namespace

std::unique_ptr<QTextDocument> kayanYaziBelgesi(const QString &markup, const QFont &temel)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(temel);
    doc->setDocumentMargin(0);
    QTextOption opt = doc->defaultTextOption();
    opt.setWrapMode(QTextOption::NoWrap);
    doc->setDefaultTextOption(opt);

    Yazici y;
    y.imlec = QTextCursor(doc.get());
    y.bicim.setFont(temel);
    y.bicim.setFontPointSize(temel.pointSizeF() > 0 ? temel.pointSizeF() : 12.0);

    qsizetype p = 0;
    QString metin;
    const auto bosalt = [&] {
        y.yaz(metin);
        metin.clear();
    };
    while (p < markup.size()) {
        const QChar c = markup[p];
        if (c == QLatin1Char('<')) {
            const qsizetype son = markup.indexOf(QLatin1Char('>'), p + 1);
            if (son < 0) {  // a lone '<' is text
                metin += c;
                ++p;
                continue;
            }
            bosalt();
            const Etiket e = etiketCoz(markup.mid(p + 1, son - p - 1));
            p = son + 1;
            if (e.ad.isEmpty() || e.ad.startsWith(QLatin1Char('!')))
                continue;
            QString ad = e.ad;
            if (ad == QLatin1String("STRONG"))
                ad = QStringLiteral("B");
            else if (ad == QLatin1String("STRIKE"))
                ad = QStringLiteral("S");
            if (e.kapanis) {
                y.kapat(ad);
                continue;
            }
            QTextCharFormat f = y.bicim;
            const qreal simdiki = boyut(f, temel);
            if (ad == QLatin1String("B")) {
                f.setFontWeight(QFont::Bold);
            } else if (ad == QLatin1String("I")) {
                f.setFontItalic(true);
            } else if (ad == QLatin1String("U")) {
                f.setFontUnderline(true);
            } else if (ad == QLatin1String("S")) {
                f.setFontStrikeOut(true);
            } else if (ad == QLatin1String("SUP") || ad == QLatin1String("SUB")) {
                // Size and baseline set by hand: the layout's own superscript
                // shrinks by a fraction of its choosing, and nesting should
                // shrink further.
                f.setFontPointSize(simdiki * 0.70);
                f.setBaselineOffset(ad == QLatin1String("SUP") ? 35.0 : -20.0);
            } else if (ad == QLatin1String("SMALL")) {
                f.setFontPointSize(simdiki * 0.75);
            } else if (ad == QLatin1String("BIG")) {
                f.setFontPointSize(simdiki * 1.25);
            } else if (ad == QLatin1String("FONT")) {
                if (e.var(QStringLiteral("FACE")) && !e.nitelik(QStringLiteral("FACE")).trimmed().isEmpty())
                    f.setFontFamilies({e.nitelik(QStringLiteral("FACE")).trimmed()});
                const QString boy = e.nitelik(QStringLiteral("SIZE")).trimmed();
                bool ok = false;
                if (boy.startsWith(QLatin1Char('+')) || boy.startsWith(QLatin1Char('-'))) {
                    const int d = boy.toInt(&ok);
                    if (ok)
                        f.setFontPointSize(qMax<qreal>(1.0, simdiki + d));
                } else if (!boy.isEmpty()) {
                    const int n = boy.toInt(&ok);
                    if (ok && n > 0)
                        f.setFontPointSize(n);
                }
                const QColor renk = renkCoz(e.nitelik(QStringLiteral("COLOR")));
                if (renk.isValid())
                    f.setForeground(renk);
                const QColor zemin = renkCoz(e.nitelik(QStringLiteral("BGCOLOR")));
                if (zemin.isValid())
                    f.setBackground(zemin);
            } else if (ad == QLatin1String("A")) {
                const QString href = e.nitelik(QStringLiteral("HREF"));
                if (!href.isEmpty()) {
                    f.setAnchor(true);
                    f.setAnchorHref(href);
                    f.setFontUnderline(true);
                }
            } else if (ad == QLatin1String("IMG")) {
                QTextImageFormat r;
                r.setName(e.nitelik(QStringLiteral("SRC")));
                bool ok = false;
                const int w = e.nitelik(QStringLiteral("WIDTH")).toInt(&ok);
                if (ok && w > 0)
                    r.setWidth(w);
                const int h = e.nitelik(QStringLiteral("HEIGHT")).toInt(&ok);
                if (ok && h > 0)
                    r.setHeight(h);
                const int hs = e.nitelik(QStringLiteral("HSPACE")).toInt(&ok);
                if (ok && hs > 0)
                    r.setProperty(QTextFormat::UserProperty, hs);
                const int vs = e.nitelik(QStringLiteral("VSPACE")).toInt(&ok);
                if (ok && vs > 0)
                    r.setProperty(QTextFormat::UserProperty + 1, vs);
                if (y.bicim.isAnchor()) {
                    r.setAnchor(true);
                    r.setAnchorHref(y.bicim.anchorHref());
                }
                y.imlec.insertImage(r);
                y.sonBosluk = false;
                continue;
            } else if (ad == QLatin1String("BR")) {
                y.yaz(QStringLiteral(" "));
                continue;
            } else {
                continue;  // outside the dialect: the text stays, the tag goes
            }
            y.ac(ad, f);
        } else if (c == QLatin1Char('&')) {
            const qsizetype son = markup.indexOf(QLatin1Char(';'), p + 1);
            const QString cozulen = (son > p && son - p <= 10) ? varlikCoz(markup.mid(p + 1, son - p - 1)) : QString();
            if (cozulen.isEmpty()) {
                metin += c;
                ++p;
            } else {
                metin += cozulen;
                p = son + 1;
            }
        } else {
            metin += c;
            ++p;
        }
    }
    bosalt();
    doc->adjustSize();
    return doc;
}

}  // namespace varo::katalog

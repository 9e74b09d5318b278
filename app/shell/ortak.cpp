#include "app/shell/ortak.h"

#include "protocol/dataset.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

#ifdef VARO_HAVE_WEBENGINE
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#endif

namespace varo::shell {

bool KayitVarmi(const DataSet *ds)
{
    return ds && ds->isActive() && ds->recordCount() > 0;
}

bool SeciliVarmi(DataSet *ds)
{
    if (!KayitVarmi(ds))
        return false;
    Field *sec = ds->findField(QStringLiteral("SEC"));
    ds->first();
    while (!ds->eof()) {
        if (sec && !sec->isNull() && sec->asInteger() == 1)
            return true;
        ds->next();
    }
    return false;
}

void ParaFormatiUygula(DataSet *ds)
{
    if (!ds)
        return;
    for (int i = 0; i < ds->fieldCount(); ++i) {
        Field *f = ds->field(i);
        if (f->dataType() == FieldType::Float)
            f->setDisplayFormat(kParaFormati);
    }
}

QString BelgelerKlasoru()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString UrlKodla(const QString &metin)
{
    if (metin.isEmpty())
        return QString();
    return QString::fromLatin1(QUrl(metin, QUrl::TolerantMode).toEncoded());
}

int IeSurumuAl()
{
#ifdef VARO_HAVE_WEBENGINE
    const QString surum = QString::fromLatin1(qWebEngineChromiumVersion());
    bool ok = false;
    const int ana = surum.section(QLatin1Char('.'), 0, 0).toInt(&ok);
    return ok ? ana : 0;
#else
    return 0;
#endif
}

QStringList chromeAdaylari(const QString &ev)
{
    QStringList l = {
        QStringLiteral("/usr/bin/google-chrome"),
        QStringLiteral("/usr/bin/google-chrome-stable"),
        QStringLiteral("/opt/google/chrome/chrome"),
        QStringLiteral("/usr/bin/chromium"),
        QStringLiteral("/usr/bin/chromium-browser"),
        QStringLiteral("/snap/bin/chromium"),
    };
    if (!ev.isEmpty()) {
        l << ev + QStringLiteral("/.local/bin/google-chrome")
          << ev + QStringLiteral("/.local/bin/chromium")
          << ev + QStringLiteral("/.local/share/google/chrome/chrome");
    }
    return l;
}

QString ilkVarOlan(const QStringList &adaylar)
{
    for (const QString &a : adaylar) {
        const QFileInfo fi(a);
        if (fi.exists() && fi.isFile())
            return a;
    }
    return QString();
}

QString ChromeYolu()
{
    return ilkVarOlan(chromeAdaylari(QDir::homePath()));
}

namespace {
Sonlandirici &sonlandirici()
{
    static Sonlandirici s;
    return s;
}
} // namespace

void setSonlandirici(Sonlandirici s) { sonlandirici() = std::move(s); }

void SureciSonlandir(int kod)
{
    if (sonlandirici()) {
        sonlandirici()(kod);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(kod);
}

} // namespace varo::shell

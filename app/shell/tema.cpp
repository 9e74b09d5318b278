#include "app/shell/tema.h"

#include <QApplication>
#include <QFile>

static void initShellResources() { Q_INIT_RESOURCE(shell); }

namespace varo::shell {

bool KisMevsimi(const QDate &gun)
{
    return (gun.month() == 12 && gun.day() >= 26) || (gun.month() == 1 && gun.day() <= 5);
}

QString temaAdi(const QDate &gun) { return KisMevsimi(gun) ? QStringLiteral("kis") : QStringLiteral("mavi"); }

QString stilSayfasi(const QString &tema)
{
    initShellResources();
    QFile f(QStringLiteral(":/shell/%1.qss").arg(tema));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QString TemaUygula(QApplication *app, const QDate &gun)
{
    const QString ad = temaAdi(gun);
    if (app) {
        app->setStyle(QStringLiteral("Fusion"));
        app->setStyleSheet(stilSayfasi(ad));
        app->setProperty("tema", ad);
    }
    return ad;
}

} // namespace varo::shell

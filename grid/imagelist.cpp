#include "imagelist.h"

#include "gridcolumn.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

static void initGridResources()
{
    Q_INIT_RESOURCE(grid);
}

namespace varo {

int ImageList::addSvg(const QString &path)
{
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(m_size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    if (renderer.isValid()) {
        QPainter p(&pm);
        renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(m_size)));
    }
    return add(pm);
}

int ImageList::add(const QPixmap &pm)
{
    m_images.append(pm);
    return int(m_images.size()) - 1;
}

QPixmap ImageList::image(int index) const
{
    if (index < 0 || index >= m_images.size())
        return {};
    return m_images[index];
}

const ImageList &stateImages()
{
    static const ImageList list = [] {
        initGridResources();
        ImageList l;
        for (int i = 0; i < 10; ++i)
            l.addSvg(QStringLiteral(":/varo/grid/durum%1.svg").arg(i));
        return l;
    }();
    return list;
}

const ImageList &yesNoImages()
{
    static const ImageList list = [] {
        initGridResources();
        ImageList l;
        l.addSvg(QStringLiteral(":/varo/grid/hayir.svg"));
        l.addSvg(QStringLiteral(":/varo/grid/evet.svg"));
        return l;
    }();
    return list;
}

QList<IconEntry> stockStateIcons()
{
    return {
        {0, 4, QStringLiteral("Yok")},
        {1, 0, QStringLiteral("Var")},
        {2, 8, QStringLiteral("Telefon Açınız")},
        {3, 2, QStringLiteral("Yolda")},
        {4, 1, QStringLiteral("Özel Sipariş")},
        {5, 5, QStringLiteral("Tedarik Sürecinde")},
    };
}

QList<IconEntry> yesNoIcons()
{
    return {
        {0, 0, QStringLiteral("Hayır")},
        {1, 1, QStringLiteral("Evet")},
    };
}

}  // namespace varo

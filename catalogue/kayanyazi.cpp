#include "catalogue/kayanyazi.h"

#include "catalogue/kayanyazimetni.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>

namespace varo::katalog {

KayanYazi::KayanYazi(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("kayanyazi"));
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(24);
    // Set outright, or the window's bold font comes through and "B" shows nothing.
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    setFont(f);
    setMouseTracking(true);
    m_zamanlayici.setInterval(20);
    m_zamanlayici.setTimerType(Qt::PreciseTimer);
    connect(&m_zamanlayici, &QTimer::timeout, this, &KayanYazi::adim);
}

KayanYazi::~KayanYazi() = default;

void KayanYazi::KayanYaziGoster(const QString &markup)
{
    durdur();
    m_belge.reset();
    m_resim = QPixmap();
    m_metin.clear();
    m_kayma = 0;
    if (!markup.trimmed().isEmpty()) {
        m_metin = markup;
        resmiYap();
    }
    update();
    baslat();
}

void KayanYazi::resmiYap()
{
    m_belge = kayanYaziBelgesi(m_metin, font());
    const QSizeF boy = m_belge->size();
    const qreal dpr = devicePixelRatioF();
    QPixmap pm(QSize(qCeil(boy.width() * dpr) + 1, qCeil(boy.height() * dpr) + 1));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette = palette();
    m_belge->documentLayout()->draw(&p, ctx);
    p.end();
    m_resim = pm;
}

void KayanYazi::baslat() { m_zamanlayici.start(); }
void KayanYazi::durdur() { m_zamanlayici.stop(); }

void KayanYazi::setHiz(int pikselAdim, int aralikMs)
{
    m_adim = qMax(1, pikselAdim);
    m_zamanlayici.setInterval(qMax(1, aralikMs));
}

qreal KayanYazi::resimX() const { return width() - m_kayma; }

void KayanYazi::adim()
{
    if (m_resim.isNull())
        return;
    const qreal genislik = m_resim.width() / m_resim.devicePixelRatio();
    m_kayma += m_adim;
    // Once the tail has left on the left, the text comes in again on the right.
    if (m_kayma > width() + genislik)
        m_kayma = 0;
    update();
}

void KayanYazi::paintEvent(QPaintEvent *)
{
    if (m_resim.isNull())
        return;
    QPainter p(this);
    const qreal yukseklik = m_resim.height() / m_resim.devicePixelRatio();
    p.drawPixmap(QPointF(resimX(), (height() - yukseklik) / 2.0), m_resim);
}

QString KayanYazi::baglantiNoktada(const QPoint &pt) const
{
    if (!m_belge)
        return {};
    const qreal yukseklik = m_belge->size().height();
    const QPointF yerel(pt.x() - resimX(), pt.y() - (height() - yukseklik) / 2.0);
    return m_belge->documentLayout()->anchorAt(yerel);
}

void KayanYazi::mousePressEvent(QMouseEvent *e)
{
    const QString href = baglantiNoktada(e->position().toPoint());
    if (!href.isEmpty())
        emit baglantiTiklandi(href);
    QWidget::mousePressEvent(e);
}

void KayanYazi::mouseMoveEvent(QMouseEvent *e)
{
    setCursor(baglantiNoktada(e->position().toPoint()).isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    QWidget::mouseMoveEvent(e);
}

void KayanYazi::changeEvent(QEvent *e)
{
    // A new font or palette is the only time the text is laid out again.
    if ((e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange) && !m_metin.isEmpty())
        resmiYap();
    QWidget::changeEvent(e);
}

QSize KayanYazi::sizeHint() const
{
    return QSize(400, fontMetrics().height() + 8);
}

ResimSeridi::ResimSeridi(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RealTimeMarquee1"));
    m_zamanlayici.setInterval(30);
    connect(&m_zamanlayici, &QTimer::timeout, this, [this] {
        if (m_resim.isNull())
            return;
        const int w = qMax(1, qRound(m_resim.width() / m_resim.devicePixelRatio()));
        m_kayma = (m_kayma + 1) % w;
        update();
    });
    m_zamanlayici.start();  // runs from the start
}

void ResimSeridi::setResim(const QPixmap &p)
{
    m_resim = p;
    m_kayma = 0;
    updateGeometry();
    update();
}

void ResimSeridi::paintEvent(QPaintEvent *)
{
    if (m_resim.isNull())
        return;
    QPainter p(this);
    const int w = qMax(1, qRound(m_resim.width() / m_resim.devicePixelRatio()));
    const qreal h = m_resim.height() / m_resim.devicePixelRatio();
    const qreal y = (height() - h) / 2.0;
    for (int x = -m_kayma; x < width(); x += w)
        p.drawPixmap(QPointF(x, y), m_resim);
}

QSize ResimSeridi::sizeHint() const
{
    return QSize(400, m_resim.isNull() ? 20 : qRound(m_resim.height() / m_resim.devicePixelRatio()));
}

}  // namespace varo::katalog

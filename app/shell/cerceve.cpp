#include "app/shell/cerceve.h"

#include <QFile>
#include <QFontMetrics>
#include <QMovie>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QStylePainter>
#include <QtMath>
#include <cmath>

namespace varo::shell {

// --- TsTabSheet ---------------------------------------------------------------

TsTabSheet::TsTabSheet(QWidget *parent) : QWidget(parent) {}

void TsTabSheet::setBagTag(int deger)
{
    if (deger == m_bagTag)
        return;
    m_bagTag = deger;
    emit bagTagChanged(deger);
}

void TsTabSheet::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        emit OnShow();
}

void TsTabSheet::hideEvent(QHideEvent *e)
{
    QWidget::hideEvent(e);
    if (!e->spontaneous())
        emit OnHide();
}

int rozetDegeri(double deger)
{
    if (!std::isfinite(deger))
        return 0;
    const double taban = std::floor(deger);
    const double kesir = deger - taban;
    double sonuc = taban;
    if (kesir > 0.5 || (kesir == 0.5 && std::fmod(taban, 2.0) != 0.0))
        sonuc = taban + 1.0;
    if (sonuc > 2147483647.0)
        return 2147483647;
    if (sonuc < -2147483648.0)
        return -2147483647 - 1;
    return int(sonuc);
}

// --- TsTabBar ---------------------------------------------------------------------

TsTabBar::TsTabBar(QWidget *parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("sekmeCubugu"));
    setExpanding(false);
    setDrawBase(false);
    setElideMode(Qt::ElideNone);
    setIconSize(QSize(26, 26));
    setUsesScrollButtons(true);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    f.setBold(true);
    setFont(f);
}

QSize TsTabBar::tabSizeHint(int) const { return {kGenislik, kYukseklik}; }
QSize TsTabBar::minimumTabSizeHint(int) const { return {kGenislik, kYukseklik}; }

int TsTabBar::rozet(int index) const
{
    auto *tw = qobject_cast<QTabWidget *>(parentWidget());
    if (!tw)
        return 0;
    auto *s = qobject_cast<TsTabSheet *>(tw->widget(index));
    return s ? s->BagTag() : 0;
}

static QFont rozetYazisi()
{
    QFont rf(QStringLiteral("Arial"));
    rf.setPointSize(9);
    return rf;
}

QRect TsTabBar::rozetAlani(int index) const
{
    const QRect r = tabRect(index);
    // Balances run to four or five digits: the circle stretches into a pill rather than letting
    // the number spill over its edge.
    const int n = rozet(index);
    const int yazi = n > 0 ? QFontMetrics(rozetYazisi()).horizontalAdvance(QString::number(n)) + 10 : 0;
    const int en = qMin(qMax(kRozet, yazi), r.width());
    return QRect(r.right() - en + 1, r.top(), en, kRozet);
}

void TsTabBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i))
            continue;
        const QRect r = tabRect(i).adjusted(2, 2, -2, -2);
        const bool secili = i == currentIndex();
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        const QColor taban = secili ? m_secim : m_sekme;
        g.setColorAt(0, taban.lighter(secili ? 115 : 104));
        g.setColorAt(1, taban.darker(secili ? 110 : 104));
        p.setPen(QPen(m_kenar, 1));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

        const QIcon simge = tabIcon(i);
        const QSize is = iconSize();
        int x = r.left() + 4;
        if (!simge.isNull()) {
            const QRect ir(x, r.top() + (r.height() - is.height()) / 2, is.width(), is.height());
            simge.paint(&p, ir, Qt::AlignCenter, isTabEnabled(i) ? QIcon::Normal : QIcon::Disabled);
            x = ir.right() + 4;
        }
        QString yazi = tabText(i);
        yazi.remove(QLatin1Char('\r'));
        p.setFont(font());
        p.setPen(secili ? m_secimYazi : m_yazi);
        p.drawText(QRect(x, r.top(), r.right() - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter, yazi);

        const int n = rozet(i);
        if (n > 0) {
            const QRect b = rozetAlani(i);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(Qt::red));
            p.drawRoundedRect(QRectF(b), kRozet / 2.0, kRozet / 2.0);
            p.setFont(rozetYazisi());
            p.setPen(Qt::white);
            p.drawText(b, Qt::AlignCenter, QString::number(n));
        }
    }
}

// --- TsPageControl --------------------------------------------------------------

TsPageControl::TsPageControl(QWidget *parent) : QTabWidget(parent), m_bar(new TsTabBar(this))
{
    setTabBar(m_bar);
    setDocumentMode(false);
}

TsTabSheet *TsPageControl::sayfaEkle(const QString &ad, const QString &baslik, const QIcon &simge)
{
    auto *s = new TsTabSheet;
    s->setObjectName(ad);
    addTab(s, simge, baslik);
    connect(s, &TsTabSheet::bagTagChanged, m_bar, [this] { m_bar->update(); });
    return s;
}

TsTabSheet *TsPageControl::sayfa(int index) const { return qobject_cast<TsTabSheet *>(widget(index)); }

TsTabSheet *TsPageControl::sayfa(const QString &ad) const
{
    for (int i = 0; i < count(); ++i)
        if (widget(i)->objectName() == ad)
            return sayfa(i);
    return nullptr;
}

// A hidden sheet is hidden from this user (the campaign tab of type 4): no caller may bring it up.
void TsPageControl::setActivePage(TsTabSheet *s)
{
    const int i = indexOf(s);
    if (i >= 0 && isTabVisible(i))
        setCurrentIndex(i);
}
TsTabSheet *TsPageControl::activePage() const { return qobject_cast<TsTabSheet *>(currentWidget()); }

// --- TMesgulAnimasyonu --------------------------------------------------------------

TMesgulAnimasyonu::TMesgulAnimasyonu(QWidget *parent) : QWidget(parent)
{
    setFixedSize(32, 32);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TMesgulAnimasyonu::showEvent(QShowEvent *)
{
    if (!m_timer)
        m_timer = startTimer(90);
}

void TMesgulAnimasyonu::hideEvent(QHideEvent *)
{
    if (m_timer)
        killTimer(m_timer);
    m_timer = 0;
}

void TMesgulAnimasyonu::timerEvent(QTimerEvent *)
{
    m_adim = (m_adim + 1) % 12;
    update();
}

void TMesgulAnimasyonu::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF merkez = QRectF(rect()).center();
    const double yaricap = qMin(width(), height()) / 2.0 - 4;
    for (int i = 0; i < 12; ++i) {
        const double aci = (i * 30.0) * M_PI / 180.0;
        const int yas = (i - m_adim + 12) % 12;
        QColor c(0x2b, 0x6c, 0xb5);
        c.setAlphaF(1.0 - yas / 13.0);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(merkez + QPointF(std::cos(aci) * yaricap, std::sin(aci) * yaricap), 2.6, 2.6);
    }
}

// --- TRxGIFAnimator -----------------------------------------------------------------

TRxGIFAnimator::TRxGIFAnimator(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

bool TRxGIFAnimator::resimYukle(const QByteArray &veri)
{
    auto *tampon = new QBuffer(this);
    tampon->setData(veri);
    tampon->open(QIODevice::ReadOnly);
    auto *film = new QMovie(tampon, QByteArray(), this);
    if (!film->isValid()) {
        delete film;
        delete tampon;
        return false;
    }
    if (m_film) {
        m_film->stop();
        delete m_film;
    }
    delete m_tampon;
    m_film = film;
    m_tampon = tampon;
    m_veri = veri;
    film->setCacheMode(QMovie::CacheAll);
    setMovie(film);
    film->start();
    return true;
}

bool TRxGIFAnimator::resimYukle(const QString &dosya)
{
    QFile f(dosya);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return resimYukle(f.readAll());
}

} // namespace varo::shell

#pragma once
// Frame widgets: tab pages with a number badge, the page control with its
// button-style tabs, the busy animation and the animated banner.

#include <QBuffer>
#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

class QMovie;

namespace varo::shell {

// A tab page that carries a badge value and tells when it is shown or hidden.
class TsTabSheet : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int BagTag READ BagTag WRITE setBagTag NOTIFY bagTagChanged)
public:
    explicit TsTabSheet(QWidget *parent = nullptr);
    int BagTag() const { return m_bagTag; }
    void setBagTag(int deger);

signals:
    void bagTagChanged(int deger);
    void OnShow();
    void OnHide();

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    int m_bagTag = 0;
};

// Rounding of a balance for its badge: to the nearest integer, ties to even.
int rozetDegeri(double deger);

// Button-style tabs: icon on the left, (possibly two-line) caption next to
// it, and the badge of the page in the top-right corner.
class TsTabBar : public QTabBar {
    Q_OBJECT
    Q_PROPERTY(QColor sekmeRengi MEMBER m_sekme)
    Q_PROPERTY(QColor secimRengi MEMBER m_secim)
    Q_PROPERTY(QColor yaziRengi MEMBER m_yazi)
    Q_PROPERTY(QColor secimYaziRengi MEMBER m_secimYazi)
    Q_PROPERTY(QColor kenarRengi MEMBER m_kenar)
public:
    explicit TsTabBar(QWidget *parent = nullptr);
    static constexpr int kGenislik = 110;
    static constexpr int kYukseklik = 55;
    static constexpr int kRozet = 25;
    // The badge circle of a tab, in tab bar coordinates.
    QRect rozetAlani(int index) const;

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *) override;

private:
    int rozet(int index) const;
    QColor m_sekme{0xe4, 0xee, 0xfa};
    QColor m_secim{0x2b, 0x6c, 0xb5};
    QColor m_yazi{0x1b, 0x3a, 0x63};
    QColor m_secimYazi{Qt::white};
    QColor m_kenar{0x8d, 0xae, 0xd8};
};

class TsPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TsPageControl(QWidget *parent = nullptr);
    // Adds a page; the caption may hold "\r\n" for a second line.
    TsTabSheet *sayfaEkle(const QString &ad, const QString &baslik, const QIcon &simge);
    TsTabSheet *sayfa(int index) const;
    TsTabSheet *sayfa(const QString &ad) const;
    void setActivePage(TsTabSheet *sayfa);
    TsTabSheet *activePage() const;
    TsTabBar *sekmeCubugu() const { return m_bar; }

private:
    TsTabBar *m_bar;
};

// Busy indicator: a turning ring of dots, hidden until a load starts.
class TMesgulAnimasyonu : public QWidget {
    Q_OBJECT
public:
    explicit TMesgulAnimasyonu(QWidget *parent = nullptr);
    bool isAnimated() const { return m_timer != 0; }
    QSize sizeHint() const override { return {32, 32}; }

protected:
    void paintEvent(QPaintEvent *) override;
    void showEvent(QShowEvent *) override;
    void hideEvent(QHideEvent *) override;
    void timerEvent(QTimerEvent *) override;

private:
    int m_timer = 0;
    int m_adim = 0;
};

// Animated GIF picture, centred; the picture can be replaced by bytes.
class TRxGIFAnimator : public QLabel {
    Q_OBJECT
public:
    explicit TRxGIFAnimator(QWidget *parent = nullptr);
    // Loads a picture from memory (GIF or any format Qt reads). False, and
    // the previous picture stays, when the bytes are no picture.
    bool resimYukle(const QByteArray &veri);
    bool resimYukle(const QString &dosya);
    QByteArray resimVerisi() const { return m_veri; }
    QMovie *film() const { return m_film; }

private:
    QByteArray m_veri;
    QBuffer *m_tampon = nullptr;
    QMovie *m_film = nullptr;
};

} // namespace varo::shell

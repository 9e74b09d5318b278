#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <memory>

class QTextDocument;

namespace varo::katalog {

// News ticker: the text is laid out once into a picture when it is set, and
// each tick only moves where that picture is drawn, so a long text costs the
// same per frame as a short one.
class KayanYazi : public QWidget {
    Q_OBJECT
public:
    explicit KayanYazi(QWidget *parent = nullptr);
    ~KayanYazi() override;

    // Stops, drops the old text, takes the new one when it is not blank, and
    // runs again (an empty strip simply stays empty).
    void KayanYaziGoster(const QString &markup);

    void baslat();
    void durdur();
    bool calisiyor() const { return m_zamanlayici.isActive(); }
    bool bos() const { return m_resim.isNull(); }

    // Pixels moved per tick and the tick interval.
    void setHiz(int pikselAdim, int aralikMs);
    qreal kayma() const { return m_kayma; }
    void setKayma(qreal k) { m_kayma = k; update(); }
    qint64 resimAnahtari() const { return m_resim.cacheKey(); }  // changes only on a new layout
    QString baglantiNoktada(const QPoint &p) const;  // link under a widget point, if any

signals:
    void baglantiTiklandi(const QString &href);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;
    QSize sizeHint() const override;

private:
    void adim();
    void resmiYap();
    qreal resimX() const;  // where the text starts in the widget

    std::unique_ptr<QTextDocument> m_belge;
    QString m_metin;
    QPixmap m_resim;
    QTimer m_zamanlayici;
    qreal m_kayma = 0;
    int m_adim = 1;
};

// Picture strip: one picture scrolled over and over.
class ResimSeridi : public QWidget {
    Q_OBJECT
public:
    explicit ResimSeridi(QWidget *parent = nullptr);
    void setResim(const QPixmap &p);
    const QPixmap &resim() const { return m_resim; }
    void baslat() { m_zamanlayici.start(); }
    void durdur() { m_zamanlayici.stop(); }
    bool calisiyor() const { return m_zamanlayici.isActive(); }

protected:
    void paintEvent(QPaintEvent *) override;
    QSize sizeHint() const override;

private:
    QPixmap m_resim;
    QTimer m_zamanlayici;
    int m_kayma = 0;
};

}  // namespace varo::katalog

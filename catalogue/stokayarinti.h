#pragma once

#include "catalogue/sepeteekle.h"

#include <QDialog>
#include <QLineEdit>

class QLabel;
class QPushButton;
class QSpinBox;

namespace varo::katalog {

// Money edit: shows "#,###,##0.00" and reads typed text back in the Turkish
// way; text that is no number keeps the last good value.
class ParaKutusu : public QLineEdit {
    Q_OBJECT
public:
    explicit ParaKutusu(const QString &ad, QWidget *parent = nullptr);
    double deger() const;
    void setDeger(double v);

private:
    mutable double m_deger = 0;
};

// The add-to-basket dialog: shows one item with its price line and reports
// the quantity, unit price and discount the user settled on.
class Tstokayarinti : public QDialog {
    Q_OBJECT
public:
    explicit Tstokayarinti(QWidget *parent = nullptr);

    void doldur(const SepeteEkleGorunum &g);
    // A JPEG (or any picture Qt reads); anything unreadable keeps the default.
    bool resimGoster(const QByteArray &resim);

    // Values sent on OK.
    double miktar() const;
    double birimFiyat() const;
    double indirimOrani() const;
    const FiyatSatiri &fiyat() const { return m_fiyat; }

    QLabel *barkod, *adi, *finishkod, *marka, *model, *Image1, *indirimoran;
    QSpinBox *adet;
    ParaKutusu *birimfiyat, *indoran, *indtutar, *kdvdahiltutar, *geneltutar;
    QPushButton *ParcaliTus1, *ParcaliTus2;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void GenelTutarHesapla();
    void TutarHesapla();
    void yaz();  // model -> edits
    void resmiOlcekle();

    FiyatSatiri m_fiyat;
    QPixmap m_resim;
    bool m_dolduruluyor = false;
};

}  // namespace varo::katalog

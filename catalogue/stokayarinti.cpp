#include "catalogue/stokayarinti.h"

#include "protocol/numberformat.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

static void initKatalogKaynaklari() { Q_INIT_RESOURCE(katalog); }

namespace varo::katalog {

static const QString kParaBicimi = QStringLiteral("#,###,##0.00");

ParaKutusu::ParaKutusu(const QString &ad, QWidget *parent) : QLineEdit(parent)
{
    setObjectName(ad);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setReadOnly(true);
    setDeger(0);
}

double ParaKutusu::deger() const
{
    QString s = text().trimmed();
    s.remove(turkishLocale().groupSeparator());
    bool ok = false;
    const double v = turkishLocale().toDouble(s, &ok);
    if (ok)
        m_deger = v;
    return m_deger;
}

void ParaKutusu::setDeger(double v)
{
    m_deger = v;
    setText(formatFloat(kParaBicimi, v, turkishLocale()));
}

namespace {

QPixmap varsayilanResim()
{
    QPixmap pm(320, 240);
    pm.fill(QColor(0xF2, 0xF5, 0xF9));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x9A, 0xA8, 0xB8), 6));
    p.drawEllipse(QPoint(160, 105), 55, 55);
    p.drawEllipse(QPoint(160, 105), 18, 18);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(18);
    p.setFont(f);
    p.drawText(QRect(0, 180, 320, 40), Qt::AlignCenter, QStringLiteral("Resim yok"));
    return pm;
}

QLabel *baslik(const QString &t, QWidget *parent)
{
    auto *l = new QLabel(t, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel *deger(const char *ad, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(ad));
    l->setTextFormat(Qt::PlainText);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

}  // namespace

Tstokayarinti::Tstokayarinti(QWidget *parent) : QDialog(parent)
{
    initKatalogKaynaklari();
    setObjectName(QStringLiteral("Tstokayarinti"));
    setWindowTitle(QStringLiteral("Sepete Ekle"));
    auto *dikey = new QVBoxLayout(this);

    auto *ust = new QGridLayout;
    barkod = deger("barkod", this);
    adi = deger("adi", this);
    finishkod = deger("finishkod", this);
    marka = deger("marka", this);
    model = deger("model", this);
    int r = 0;
    for (auto [t, l] : {std::pair{"Barkod:", barkod}, {"Açıklama:", adi}, {"Finish Kod:", finishkod},
                        {"Marka:", marka}, {"Model:", model}}) {
        ust->addWidget(baslik(QString::fromUtf8(t), this), r, 0);
        ust->addWidget(l, r++, 1);
    }
    ust->setColumnStretch(1, 1);
    dikey->addLayout(ust);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setMinimumSize(320, 240);
    m_resim = varsayilanResim();
    dikey->addWidget(Image1, 1);

    adet = new QSpinBox(this);
    adet->setObjectName(QStringLiteral("adet"));
    adet->setRange(enAzAdet, enCokAdet);
    adet->setValue(1);
    // Once the window's style sheet frames the box, its step buttons are drawn
    // from the sheet too and come out blank unless they are given arrows.
    adet->setStyleSheet(QStringLiteral(
        "QSpinBox { padding-right: 18px; }"
        "QSpinBox::up-button, QSpinBox::down-button { subcontrol-origin: padding; width: 18px;"
        " background: #e8f0fb; border-left: 1px solid #8daed8; }"
        "QSpinBox::up-button { subcontrol-position: top right; border-bottom: 1px solid #8daed8; }"
        "QSpinBox::down-button { subcontrol-position: bottom right; }"
        "QSpinBox::up-button:hover, QSpinBox::down-button:hover { background: #ffe9a8; }"
        "QSpinBox::up-arrow { image: url(:/katalog/yukari.svg); width: 9px; height: 6px; }"
        "QSpinBox::down-arrow { image: url(:/katalog/asagi.svg); width: 9px; height: 6px; }"));
    birimfiyat = new ParaKutusu(QStringLiteral("birimfiyat"), this);
    indoran = new ParaKutusu(QStringLiteral("indoran"), this);
    indtutar = new ParaKutusu(QStringLiteral("indtutar"), this);
    kdvdahiltutar = new ParaKutusu(QStringLiteral("kdvdahiltutar"), this);
    geneltutar = new ParaKutusu(QStringLiteral("geneltutar"), this);
    indirimoran = new QLabel(QStringLiteral("İndirim:"), this);
    indirimoran->setObjectName(QStringLiteral("indirimoran"));
    indirimoran->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *fiyatlar = new QGridLayout;
    fiyatlar->addWidget(baslik(QStringLiteral("Adet:"), this), 0, 0);
    fiyatlar->addWidget(adet, 0, 1);
    fiyatlar->addWidget(baslik(QStringLiteral("Fiyat:"), this), 0, 2);
    fiyatlar->addWidget(birimfiyat, 0, 3);
    fiyatlar->addWidget(indirimoran, 1, 0);
    fiyatlar->addWidget(indoran, 1, 1);
    fiyatlar->addWidget(indtutar, 1, 3);
    fiyatlar->addWidget(baslik(QStringLiteral("KDV Dahil:"), this), 2, 0);
    fiyatlar->addWidget(kdvdahiltutar, 2, 1);
    fiyatlar->addWidget(baslik(QStringLiteral("Tutar:"), this), 2, 2);
    fiyatlar->addWidget(geneltutar, 2, 3);
    dikey->addLayout(fiyatlar);

    auto *tuslar = new QHBoxLayout;
    ParcaliTus1 = new QPushButton(QStringLiteral("Sipariş ekle"), this);
    ParcaliTus1->setObjectName(QStringLiteral("ParcaliTus1"));
    ParcaliTus2 = new QPushButton(QStringLiteral("Vazgeç"), this);
    ParcaliTus2->setObjectName(QStringLiteral("ParcaliTus2"));
    ParcaliTus1->setAutoDefault(false);
    ParcaliTus2->setAutoDefault(false);
    tuslar->addStretch(1);
    tuslar->addWidget(ParcaliTus1);
    tuslar->addWidget(ParcaliTus2);
    dikey->addLayout(tuslar);

    connect(ParcaliTus1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ParcaliTus2, &QPushButton::clicked, this, &QDialog::reject);
    connect(adet, &QSpinBox::valueChanged, this, [this](int q) {
        if (m_dolduruluyor)
            return;
        m_fiyat.adetDegistir(q);
        yaz();
    });
    adet->installEventFilter(this);
    for (ParaKutusu *k : {birimfiyat, indoran, indtutar, kdvdahiltutar, geneltutar})
        k->installEventFilter(this);
    resmiOlcekle();
    adet->setFocus();
}

void Tstokayarinti::doldur(const SepeteEkleGorunum &g)
{
    barkod->setText(g.barkod);
    adi->setText(g.adi);
    finishkod->setText(g.finishkod);
    marka->setText(g.marka);
    model->setText(g.model);
    indirimoran->setText(g.indirimBasligi);
    birimfiyat->setReadOnly(!g.fiyatAcik);
    indoran->setReadOnly(!g.fiyatAcik);
    m_fiyat = g.fiyat;
    m_dolduruluyor = true;
    adet->setValue(m_fiyat.adet);
    m_dolduruluyor = false;
    yaz();
}

bool Tstokayarinti::resimGoster(const QByteArray &resim)
{
    QPixmap pm;
    if (!pm.loadFromData(resim))
        return false;
    m_resim = pm;
    resmiOlcekle();
    return true;
}

void Tstokayarinti::resmiOlcekle()
{
    Image1->setPixmap(m_resim.scaled(Image1->size().boundedTo(m_resim.size().expandedTo(Image1->minimumSize())),
                                     Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void Tstokayarinti::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    resmiOlcekle();
}

double Tstokayarinti::miktar() const
{
    bool ok = false;
    const double v = turkishLocale().toDouble(adet->cleanText(), &ok);
    return ok ? v : double(adet->value());
}

double Tstokayarinti::birimFiyat() const { return birimfiyat->deger(); }
double Tstokayarinti::indirimOrani() const { return indoran->deger(); }

void Tstokayarinti::GenelTutarHesapla()
{
    m_fiyat.GenelTutarHesapla();
    yaz();
}

void Tstokayarinti::TutarHesapla()
{
    m_fiyat.birimfiyat = birimfiyat->deger();
    m_fiyat.indoran = indoran->deger();
    m_fiyat.TutarHesapla();
    indtutar->setDeger(m_fiyat.indtutar);
    kdvdahiltutar->setDeger(m_fiyat.kdvdahiltutar);
    geneltutar->setDeger(m_fiyat.geneltutar);
}

void Tstokayarinti::yaz()
{
    birimfiyat->setDeger(m_fiyat.birimfiyat);
    indoran->setDeger(m_fiyat.indoran);
    indtutar->setDeger(m_fiyat.indtutar);
    kdvdahiltutar->setDeger(m_fiyat.kdvdahiltutar);
    geneltutar->setDeger(m_fiyat.geneltutar);
}

void Tstokayarinti::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    GenelTutarHesapla();
    adet->setFocus();
    adet->selectAll();
}

bool Tstokayarinti::eventFilter(QObject *o, QEvent *e)
{
    const bool enter = [e] {
        if (e->type() != QEvent::KeyPress)
            return false;
        const int k = static_cast<QKeyEvent *>(e)->key();
        return k == Qt::Key_Return || k == Qt::Key_Enter;
    }();
    if (enter && o == adet) {
        accept();
        return true;
    }
    if (enter && o == birimfiyat) {
        indoran->setFocus();
        indoran->selectAll();
        return true;
    }
    if (enter && o == indoran) {
        birimfiyat->selectAll();
        birimfiyat->setFocus();
        return true;
    }
    if (e->type() == QEvent::KeyRelease && qobject_cast<ParaKutusu *>(o))
        TutarHesapla();
    return QDialog::eventFilter(o, e);
}

}  // namespace varo::katalog

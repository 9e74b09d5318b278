#include "app/shell/mesajkutusu.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMutex>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#ifdef VARO_HAVE_CANBERRA
#include <canberra.h>
#endif

namespace varo::shell {

namespace {

QMutex g_lock;
MesajSunucu g_sunucu;
int g_yaziBoyutu = 15;

// Escape must answer with the platform's choice, not QDialog's Rejected.
class MesajDialogu : public QDialog {
public:
    MesajDialogu(QWidget *parent, int kacis) : QDialog(parent), m_kacis(kacis) {}
    void reject() override { done(m_kacis); }

private:
    int m_kacis;
};

const DugmeSeti &tumDugmeler()
{
    static const DugmeSeti all = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry,
                                  mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp};
    return all;
}

QStyle::StandardPixmap simge(MesajTuru tur)
{
    switch (tur) {
    case mtWarning: return QStyle::SP_MessageBoxWarning;
    case mtError: return QStyle::SP_MessageBoxCritical;
    case mtInformation: return QStyle::SP_MessageBoxInformation;
    case mtConfirmation: return QStyle::SP_MessageBoxQuestion;
    case mtCustom: break;
    }
    return QStyle::SP_CustomBase;
}

int gercekDialog(const MesajIstegi &istek)
{
    QDialog *d = mesajDialoguOlustur(istek, QApplication::activeWindow());
    mesajSesiCal(istek.tur);
    const int sonuc = d->exec();
    delete d;
    return sonuc;
}

} // namespace

void setMesajSunucu(MesajSunucu sunucu)
{
    QMutexLocker l(&g_lock);
    g_sunucu = std::move(sunucu);
}

MesajSunucu mesajSunucu()
{
    QMutexLocker l(&g_lock);
    return g_sunucu;
}

void setMesajYaziBoyutu(int boyut) { g_yaziBoyutu = boyut; }
int mesajYaziBoyutu() { return g_yaziBoyutu; }

QString mesajBasligi(MesajTuru tur)
{
    switch (tur) {
    case mtWarning: return QStringLiteral("Uyarı");
    case mtError: return QStringLiteral("Hata");
    case mtInformation: return QStringLiteral("Bilgi");
    case mtConfirmation: return QStringLiteral("Soru");
    case mtCustom: break;
    }
    return QString();
}

QString dugmeYazisi(MesajDugmesi dugme)
{
    switch (dugme) {
    case mbYes: return QStringLiteral("Evet");
    case mbNo: return QStringLiteral("Hayır");
    case mbOK: return QStringLiteral("Tamam");
    case mbCancel: return QStringLiteral("Vazgeç");
    case mbAbort: return QStringLiteral("İptal");
    case mbRetry: return QStringLiteral("Tekrar");
    case mbIgnore: return QStringLiteral("Atla");
    case mbAll: return QStringLiteral("All");
    case mbNoToAll: return QStringLiteral("Tümüne Hayır");
    case mbYesToAll: return QStringLiteral("Tümüne Evet");
    case mbHelp: return QStringLiteral("Yardım");
    }
    return QString();
}

int dugmeSonucu(MesajDugmesi dugme)
{
    switch (dugme) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbHelp: return mrHelp;
    }
    return mrNone;
}

int varsayilanDugme(const DugmeSeti &d)
{
    for (MesajDugmesi aday : {mbOK, mbYes, mbRetry})
        if (d.contains(aday))
            return aday;
    return -1;
}

int kacisSonucu(const DugmeSeti &d)
{
    if (d.contains(mbCancel))
        return mrCancel;
    if (d.contains(mbNo))
        return mrNo;
    if (d.contains(mbOK))
        return mrOk;
    return mrCancel;
}

const char *mesajSesi(MesajTuru tur)
{
    switch (tur) {
    case mtWarning: return "dialog-warning";
    case mtError: return "dialog-error";
    case mtInformation: return "dialog-information";
    case mtConfirmation: return "dialog-question";
    case mtCustom: break;
    }
    return nullptr;
}

void mesajSesiCal(MesajTuru tur)
{
#ifdef VARO_HAVE_CANBERRA
    const char *id = mesajSesi(tur);
    if (!id)
        return;
    static ca_context *ctx = [] {
        ca_context *c = nullptr;
        if (ca_context_create(&c) != CA_SUCCESS)
            return static_cast<ca_context *>(nullptr);
        return c;
    }();
    if (ctx)
        ca_context_play(ctx, 0, CA_PROP_EVENT_ID, id, CA_PROP_EVENT_DESCRIPTION, "message", nullptr);
#else
    (void)tur;
#endif
}

QDialog *mesajDialoguOlustur(const MesajIstegi &istek, QWidget *parent)
{
    auto *d = new MesajDialogu(parent, kacisSonucu(istek.dugmeler));
    d->setObjectName(QStringLiteral("MesajKutusu"));
    d->setWindowTitle(istek.tur == mtCustom ? QGuiApplication::applicationDisplayName() : mesajBasligi(istek.tur));
    d->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    QFont font = d->font();
    font.setPointSize(g_yaziBoyutu);

    auto *ust = new QHBoxLayout;
    if (istek.tur != mtCustom) {
        auto *ikon = new QLabel(d);
        ikon->setObjectName(QStringLiteral("Image"));
        const int s = d->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, d);
        ikon->setPixmap(d->style()->standardIcon(simge(istek.tur), nullptr, d).pixmap(s, s));
        ikon->setAlignment(Qt::AlignTop);
        ust->addWidget(ikon);
    }

    // Tab order follows creation order: the focus button is made first, the
    // others after it in the platform's order; the row shows them in the
    // platform's order regardless.
    DugmeSeti sirali;
    for (MesajDugmesi b : tumDugmeler())
        if (istek.dugmeler.contains(b))
            sirali << b;
    DugmeSeti yapim = sirali;
    if (yapim.contains(istek.odak)) {
        yapim.removeAll(istek.odak);
        yapim.prepend(istek.odak);
    }
    QHash<int, QPushButton *> dugmeler;
    for (MesajDugmesi b : yapim) {
        auto *p = new QPushButton(dugmeYazisi(b), d);
        p->setObjectName(QStringLiteral("dugme%1").arg(int(b)));
        p->setProperty("sonuc", dugmeSonucu(b));
        p->setAutoDefault(false);
        p->setMinimumSize(80, 28);
        const int sonuc = dugmeSonucu(b);
        QObject::connect(p, &QPushButton::clicked, d, [d, sonuc] { d->done(sonuc); });
        dugmeler.insert(b, p);
    }

    auto *metin = new QLabel(istek.metin, d);
    metin->setObjectName(QStringLiteral("Message"));
    metin->setFont(font);
    metin->setTextFormat(Qt::PlainText);
    metin->setWordWrap(false);
    ust->addWidget(metin, 1);

    auto *alt = new QHBoxLayout;
    alt->addStretch();
    for (MesajDugmesi b : sirali)
        alt->addWidget(dugmeler.value(b));
    alt->addStretch();

    auto *kok = new QVBoxLayout(d);
    kok->addLayout(ust);
    kok->addSpacing(8);
    kok->addLayout(alt);

    const int v = varsayilanDugme(istek.dugmeler);
    QPushButton *varsayilan = v >= 0 ? dugmeler.value(MesajDugmesi(v)) : nullptr;
    if (varsayilan) {
        varsayilan->setDefault(true);
        varsayilan->setFocus(Qt::OtherFocusReason);
    } else if (!yapim.isEmpty()) {
        dugmeler.value(yapim.first())->setFocus(Qt::OtherFocusReason);
    }

    d->adjustSize();
    d->setFixedSize(d->sizeHint());
    if (QScreen *ekran = QGuiApplication::primaryScreen()) {
        const QRect alan = ekran->availableGeometry();
        d->move(alan.center() - QPoint(d->width() / 2, d->height() / 2));
    }
    return d;
}

QList<QPushButton *> sekmeSirasi(QDialog *dialog)
{
    QList<QPushButton *> out;
    QWidget *w = dialog->nextInFocusChain();
    while (w && w != dialog) {
        if (auto *p = qobject_cast<QPushButton *>(w); p && p->focusPolicy() & Qt::TabFocus)
            out << p;
        w = w->nextInFocusChain();
    }
    return out;
}

int MesajKutusu(const QString &metin, MesajTuru tur, const DugmeSeti &dugmeler, MesajDugmesi odak)
{
    const MesajIstegi istek{metin, tur, dugmeler, odak};
    if (MesajSunucu s = mesajSunucu())
        return s(istek);
    return gercekDialog(istek);
}

} // namespace varo::shell

#include "catalogue/altpaneller.h"

#include "catalogue/kayanyazi.h"
#include "grid/imagelist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <QVBoxLayout>

static void initKatalogKaynaklari() { Q_INIT_RESOURCE(katalog); }

namespace varo::katalog {

void durumAciklamasiKur(QWidget *Panel3)
{
    if (!Panel3)
        return;
    auto *l = qobject_cast<QHBoxLayout *>(Panel3->layout());
    if (!l) {
        delete Panel3->layout();
        l = new QHBoxLayout(Panel3);
    }
    l->setContentsMargins(6, 0, 6, 0);
    l->setSpacing(2);
    auto yazi = [&](const QString &t) {
        auto *e = new QLabel(t, Panel3);
        e->setTextFormat(Qt::PlainText);
        l->addWidget(e);
    };
    yazi(QStringLiteral("Durum Açıklaması:    "));
    // Icon index of each state as the stock list draws it.
    const struct {
        int simge;
        const char *metin;
    } sira[] = {{0, " Stok mevcut  "}, {8, " Telefon Açınız  "}, {2, " Yolda  "},
                {5, " Tedarik Sürecinde "}, {1, " Özel Sipariş  "}, {4, " Yok  "}};
    for (const auto &s : sira) {
        auto *r = new QLabel(Panel3);
        r->setPixmap(stateImages().image(s.simge));
        l->addWidget(r);
        yazi(QString::fromUtf8(s.metin));
    }
    l->addStretch(1);
}

namespace {

QPixmap seritResmi()
{
    initKatalogKaynaklari();
    QSvgRenderer r(QStringLiteral(":/katalog/serit.svg"));
    QPixmap pm(r.defaultSize().isValid() ? r.defaultSize() : QSize(480, 36));
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    r.render(&p);
    return pm;
}

}  // namespace

void kayanPanelKur(QWidget *Panel5)
{
    if (!Panel5)
        return;
    QLayout *eski = Panel5->layout();
    auto *l = qobject_cast<QVBoxLayout *>(eski);
    if (!l) {
        // A plain layout the frame may have put there is replaced; its
        // widgets (a fallback label) are no longer needed.
        if (eski) {
            while (QLayoutItem *it = eski->takeAt(0)) {
                if (it->widget())
                    it->widget()->hide();
                delete it;
            }
            delete eski;
        }
        l = new QVBoxLayout(Panel5);
    }
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    auto *serit = new ResimSeridi(Panel5);
    serit->setResim(seritResmi());
    l->addWidget(serit);
    auto *yazi = new KayanYazi(Panel5);
    l->addWidget(yazi, 1);
}

KayanYazi *kayanYazi(QWidget *pencere)
{
    return pencere ? pencere->findChild<KayanYazi *>(QStringLiteral("kayanyazi")) : nullptr;
}

void KayanYaziGoster(QWidget *pencere, const QString &metin)
{
    if (KayanYazi *k = kayanYazi(pencere))
        k->KayanYaziGoster(metin);
}

}  // namespace varo::katalog

#include "catalogue/fiyatlistesi.h"

#include "app/shell/arkaplan.h"
#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"
#include "grid/gridview.h"
#include "protocol/dataset.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace varo::katalog {

FiyatListesi::FiyatListesi(shell::TsTabSheet *sayfa, shell::TMesgulAnimasyonu *gif, QObject *parent)
    : QObject(parent), m_gif(gif)
{
    auto *ust = new QWidget(sayfa);
    auto *satir = new QHBoxLayout(ust);
    satir->setContentsMargins(4, 4, 4, 4);
    varoedit = new QLineEdit(ust);
    varoedit->setObjectName(QStringLiteral("varoedit"));
    QFont f = varoedit->font();
    f.setPixelSize(20);
    varoedit->setFont(f);
    varoedit->setMinimumWidth(320);
    // Upper case as typed, no letter folding.
    connect(varoedit, &QLineEdit::textEdited, this, [this](const QString &t) {
        const QString u = t.toUpper();
        if (u != t) {
            const int p = varoedit->cursorPosition();
            varoedit->setText(u);
            varoedit->setCursorPosition(p);
        }
    });
    varoedit->installEventFilter(this);
    sSpeedButton3 = new QToolButton(ust);
    sSpeedButton3->setObjectName(QStringLiteral("sSpeedButton3"));
    sSpeedButton3->setText(QStringLiteral("Temizle"));
    sSpeedButton3->setToolTip(QStringLiteral("Temizle"));
    connect(sSpeedButton3, &QToolButton::clicked, this, &FiyatListesi::sSpeedButton3Click);
    satir->addWidget(varoedit);
    satir->addWidget(sSpeedButton3);
    satir->addStretch(1);

    VAROLISTE = new DataSet(this);
    VAROLISTE->setObjectName(QStringLiteral("VAROLISTE"));
    DataSource_VAROLISTE = new DataSource(VAROLISTE, this);
    cxGrid7DBTableView1 = new GridView(sayfa);
    cxGrid7DBTableView1->setObjectName(QStringLiteral("cxGrid7DBTableView1"));
    // Four columns share the whole width, the description taking most of it,
    // so that long names are not cut in a wide window.
    cxGrid7DBTableView1->setColumns({col(QStringLiteral("KOD"), QStringLiteral("Kod"), 2).withWidth(150),
                                     col(QStringLiteral("ACIKLAMA"), QStringLiteral("Açıklama"), 3).withWidth(500),
                                     col(QStringLiteral("KDVHARIC"), QStringLiteral("KDV Hariç"), 2).right().withWidth(130),
                                     col(QStringLiteral("KDVDAHIL"), QStringLiteral("KDV Dahil"), 2).right().withWidth(130)});
    cxGrid7DBTableView1->setColumnAutoWidth(true);
    cxGrid7DBTableView1->setSummaries({{QStringLiteral("KOD"), SummaryKind::Count}});
    cxGrid7DBTableView1->setReadOnly(true);
    cxGrid7DBTableView1->setIncrementalSearch(true);
    cxGrid7DBTableView1->setFooterVisible(true);
    cxGrid7DBTableView1->setDataSource(DataSource_VAROLISTE);
    if (sayfa) {
        QLayout *l = sayfa->layout() ? sayfa->layout() : new QVBoxLayout(sayfa);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(ust);
        l->addWidget(cxGrid7DBTableView1);
        connect(sayfa, &shell::TsTabSheet::OnShow, this, [this] {
            varoedit->selectAll();
            varoedit->setFocus();
        });
    }
}

bool FiyatListesi::eventFilter(QObject *o, QEvent *e)
{
    if (o == varoedit && e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(e)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            if (!varoedit->text().trimmed().isEmpty())
                VaroOrjinalAra();
            return true;
        }
    }
    return QObject::eventFilter(o, e);
}

void FiyatListesi::VaroOrjinalAra()
{
    if (!varoedit->isEnabled())
        return;
    if (m_gif)
        m_gif->show();
    cxGrid7DBTableView1->setEnabled(false);
    cxGrid7DBTableView1->setDataSource(nullptr);
    cxGrid7DBTableView1->beginUpdate();
    varoedit->setEnabled(false);
    struct Durum {
        QString s;
        DataSet sonuc;
        bool hata = false;
    };
    auto d = std::make_shared<Durum>();
    d->s = varoedit->text();
    auto ara = varodeAra;
    shell::Async([d, ara] {
        try {
            if (!ara)
                throw std::runtime_error("no lookup");
            ara(d->s, d->sonuc);
        } catch (...) {
            d->hata = true;
        }
    }).Await([this, d] {
        if (!d->hata) {  // on failure the list keeps what it held
            VAROLISTE->disableControls();
            VAROLISTE->copyFrom(d->sonuc);
            shell::ParaFormatiUygula(VAROLISTE);
            VAROLISTE->first();
            VAROLISTE->enableControls();
        }
        cxGrid7DBTableView1->setDataSource(DataSource_VAROLISTE);
        cxGrid7DBTableView1->endUpdate();
        cxGrid7DBTableView1->setEnabled(true);
        if (m_gif)
            m_gif->hide();
        varoedit->setEnabled(true);
        varoedit->setFocus();
        varoedit->selectAll();
        if (d->hata)
            shell::Bildir(QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!"), shell::mtError);
        emit aramaBitti(d->hata);
    }, this);
}

void FiyatListesi::sSpeedButton3Click()
{
    if (!varoedit->isEnabled())
        return;
    if (VAROLISTE->isActive())
        VAROLISTE->emptyDataSet();
    varoedit->clear();
    varoedit->selectAll();
    varoedit->setFocus();
}

}  // namespace varo::katalog

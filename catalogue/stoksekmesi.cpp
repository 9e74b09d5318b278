#include "catalogue/stoksekmesi.h"

#include "app/shell/arkaplan.h"
#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"
#include "catalogue/aramametni.h"
#include "catalogue/stokkolonlari.h"
#include "grid/gridview.h"
#include "protocol/dataset.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace varo::katalog {

const QString StokSekmesi::kBaglantiHatasi = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");
const QString StokSekmesi::kBaslik = QStringLiteral("Stok\r\nListesi");
const QString StokSekmesi::kBosBaslik = QStringLiteral("Stok Listesi");

StokSekmesi::StokSekmesi(const StokSekmesiYeri &yer, StokSekmesiIslemleri islemler, QObject *parent)
    : QObject(parent), m_yer(yer), m_islem(std::move(islemler))
{
    QWidget *cubuk = m_yer.aramaCubugu ? m_yer.aramaCubugu->parentWidget() : nullptr;
    araedit = new QLineEdit(cubuk);
    araedit->setObjectName(QStringLiteral("araedit"));
    QFont f = araedit->font();
    f.setPixelSize(20);
    araedit->setFont(f);
    araedit->setMinimumWidth(320);
    araedit->installEventFilter(this);
    SpeedButton2 = new QToolButton(cubuk);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("Ara"));
    SpeedButton2->setToolTip(QStringLiteral("Ara"));
    SpeedButton1 = new QToolButton(cubuk);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Temizle"));
    SpeedButton1->setToolTip(QStringLiteral("Temizle"));
    if (m_yer.aramaCubugu) {
        m_yer.aramaCubugu->insertWidget(0, araedit);
        m_yer.aramaCubugu->insertWidget(1, SpeedButton2);
        m_yer.aramaCubugu->insertWidget(2, SpeedButton1);
    }
    connect(SpeedButton2, &QToolButton::clicked, this, &StokSekmesi::SpeedButton2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &StokSekmesi::SpeedButton1Click);

    stok = new DataSet(this);
    stok->setObjectName(QStringLiteral("stok"));
    DataSource1 = new DataSource(stok, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    izgaraKur();
    if (m_yer.sstoklistesi) {
        connect(m_yer.sstoklistesi, &shell::TsTabSheet::OnShow, this, [this] {
            if (araedit->window()->isActiveWindow()) {
                araedit->selectAll();
                araedit->setFocus();
            }
        });
    }
}

StokSekmesi::~StokSekmesi() = default;

void StokSekmesi::izgaraKur()
{
    QWidget *sayfa = m_yer.sstoklistesi;
    cxGrid1DBTableView1 = new GridView(sayfa);
    auto *g = cxGrid1DBTableView1;
    g->setObjectName(QStringLiteral("cxGrid1DBTableView1"));
    if (sayfa) {
        QLayout *l = sayfa->layout() ? sayfa->layout() : new QVBoxLayout(sayfa);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(g);
    }
    g->setColumns(stokKolonlari(StokIzgarasi::StokListesi));
    g->setSummaries({{QStringLiteral("FINISHKOD"), SummaryKind::Count},
                     {QStringLiteral("BARKOD"), SummaryKind::Count},
                     {QStringLiteral("OEM1"), SummaryKind::Count}});
    g->setReadOnly(true);
    g->setRowSelect(true);
    g->setIncrementalSearch(true);
    g->setHeaderFilters(true);
    g->setQuickCustomization(true);
    g->setFooterVisible(true);
    g->setDataRowHeight(50);
    g->setHeaderHeight(40);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    f.setWeight(QFont::Normal);  // the grid's own font, not the window's bold one
    g->setGridFont(f);
    g->setDataSource(DataSource1);

    popstok = new QMenu(g);
    popstok->setObjectName(QStringLiteral("popstok"));
    popstok->addAction(QStringLiteral("Sepete Ekle"), this, &StokSekmesi::cxGrid1DBTableView1DblClick)
        ->setObjectName(QStringLiteral("S2"));
    popstok->addAction(QStringLiteral("Sipariş Bakiyeleriniz"), this, [this] {
        if (m_islem.siparisBakiyeleriAc)
            m_islem.siparisBakiyeleriAc();
    })->setObjectName(QStringLiteral("B1"));
    popstok->addAction(QStringLiteral("Siparişleri Göster"), this, &StokSekmesi::s3Click)
        ->setObjectName(QStringLiteral("s3"));
    g->table()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(g->table(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { popstok->popup(cxGrid1DBTableView1->table()->viewport()->mapToGlobal(p)); });
    connect(g, &GridView::rowDoubleClicked, this, [this](int) { cxGrid1DBTableView1DblClick(); });
    connect(g, &GridView::resized, this, [this] {
        if (araedit->isEnabled())
            StokKolonGenislikleri();
    });
}

bool StokSekmesi::aramaSuruyor() const { return m_suruyor; }

bool StokSekmesi::eventFilter(QObject *o, QEvent *e)
{
    if (o == araedit && e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            aramaBaslat();
            return true;
        }
        const QString t = k->text();
        if (!t.isEmpty() && t[0].isPrint() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            araedit->insert(aramaMetniYaz(t));
            return true;
        }
    }
    return QObject::eventFilter(o, e);
}

void StokSekmesi::sekmeBasligi(const QString &baslik)
{
    if (m_yer.sayfalar && m_yer.sstoklistesi)
        m_yer.sayfalar->setTabText(m_yer.sayfalar->indexOf(m_yer.sstoklistesi), baslik);
}

void StokSekmesi::aramaBaslat()
{
    if (m_suruyor || !araedit->isEnabled())
        return;
    if (m_yer.sayfalar && m_yer.sstoklistesi && m_yer.sayfalar->activePage() != m_yer.sstoklistesi)
        m_yer.sayfalar->setActivePage(m_yer.sstoklistesi);
    if (!aramaYapilabilir(araedit->text())) {
        shell::Bildir(kisaAramaUyarisi(), shell::mtWarning);
        return;
    }
    m_suruyor = true;
    araedit->setEnabled(false);
    if (m_yer.gifstokara)
        m_yer.gifstokara->show();
    cxGrid1DBTableView1->setDataSource(nullptr);
    cxGrid1DBTableView1->beginUpdate();
    cxGrid1DBTableView1->clearFilters();

    struct Durum {
        QString kod;
        DataSet sonuc;
        bool hata = false;
        int cari = 0;
    };
    auto d = std::make_shared<Durum>();
    d->kod = araedit->text();  // untrimmed: the server gets what was typed
    d->cari = m_cariSayaci;
    auto ara = m_islem.stokAraVaro;
    shell::Async([d, ara] {
        try {
            if (!ara)
                throw std::runtime_error("no search");
            ara(d->kod, d->sonuc);
        } catch (...) {
            d->hata = true;
        }
    }).Await([this, d] {
        araedit->setEnabled(true);
        // Rows priced for a customer no longer acted for are not shown.
        if (!d->hata && d->cari == m_cariSayaci) {
            stok->disableControls();
            stok->copyFrom(d->sonuc);
            shell::ParaFormatiUygula(stok);
            stok->enableControls();
            if (m_yer.sstoklistesi)
                m_yer.sstoklistesi->setBagTag(stok->recordCount());
            // A failed search or "Temizle" left the one-line caption behind.
            sekmeBasligi(kBaslik);
        }
        cxGrid1DBTableView1->setDataSource(DataSource1);
        cxGrid1DBTableView1->endUpdate();
        araedit->selectAll();
        araedit->setFocus();
        if (m_yer.gifstokara)
            m_yer.gifstokara->hide();
        m_suruyor = false;
        if (d->hata) {
            shell::Bildir(kBaglantiHatasi, shell::mtError);
            if (stok->isActive())
                stok->emptyDataSet();
            sekmeBasligi(kBosBaslik);
        }
        StokKolonGenislikleri();
        emit aramaBitti(d->hata);
    }, this);
}

void StokSekmesi::SpeedButton2Click()
{
    if (araedit->isEnabled())
        aramaBaslat();
}

void StokSekmesi::metniAra(const QString &metin)
{
    if (!araedit->isEnabled())
        return;
    araedit->setText(metin);
    SpeedButton2Click();
}

void StokSekmesi::SpeedButton1Click()
{
    if (!araedit->isEnabled())
        return;
    if (stok->isActive()) {
        stok->emptyDataSet();
        sekmeBasligi(kBosBaslik);
    }
    if (m_yer.sayfalar && m_yer.sstoklistesi && m_yer.sayfalar->activePage() != m_yer.sstoklistesi)
        m_yer.sayfalar->setActivePage(m_yer.sstoklistesi);
    cxGrid1DBTableView1->clearFilters();
    araedit->clear();
    araedit->selectAll();
    araedit->setFocus();
}

void StokSekmesi::cxGrid1DBTableView1DblClick()
{
    if (!cxGrid1DBTableView1->hasFocusedRecord())
        return;
    const int stokno = cxGrid1DBTableView1->focusedValue(QStringLiteral("STOK_STOKNO")).toInt();
    stok->locate(QStringLiteral("STOK_STOKNO"), stokno);
    DataSet *sepet = m_islem.sepet ? m_islem.sepet() : nullptr;
    if ((!sepet || !sepet->isActive()) && m_islem.sepetiYenile) {
        m_islem.sepetiYenile();
        sepet = m_islem.sepet ? m_islem.sepet() : nullptr;
    }
    if (sepet && sepet->isActive() && sepet->findField(QStringLiteral("STOKNO"))
        && sepet->locate(QStringLiteral("STOKNO"), stokno)) {
        const Field *sira = sepet->findField(QStringLiteral("SIRANO"));
        if (m_islem.sepetSatiriDegistir)
            m_islem.sepetSatiriDegistir(sira ? int(sira->asInteger()) : 0);
        return;
    }
    if (m_islem.stoktanSepeteEkle)
        m_islem.stoktanSepeteEkle(stokno);
}

void StokSekmesi::s3Click()
{
    if (!cxGrid1DBTableView1->hasFocusedRecord())
        return;
    if (m_islem.tumSiparisleriAc)
        m_islem.tumSiparisleriAc(cxGrid1DBTableView1->focusedValue(QStringLiteral("STOK_STOKNO")).toInt());
}

void StokSekmesi::cariDegisti()
{
    ++m_cariSayaci;
    if (stok->isActive())
        stok->emptyDataSet();
    if (m_yer.sstoklistesi)
        m_yer.sstoklistesi->setBagTag(0);
    if (m_yer.sayfalar && m_yer.sstoklistesi)
        m_yer.sayfalar->setActivePage(m_yer.sstoklistesi);
    araedit->selectAll();
    araedit->setFocus();
}

void StokSekmesi::StokKolonGenislikleri()
{
    cxGrid1DBTableView1->applyWidthRule(cxGrid1DBTableView1->scrollBarMarginRule());
}

}  // namespace varo::katalog

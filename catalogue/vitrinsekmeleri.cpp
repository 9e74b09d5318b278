#include "catalogue/vitrinsekmeleri.h"

#include "app/shell/arkaplan.h"
#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"
#include "catalogue/stokkolonlari.h"
#include "catalogue/vitrin.h"
#include "grid/gridview.h"
#include "protocol/dataset.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace varo::katalog {

namespace {

const QString kBaglantiHatasi = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");

void sayfayaKoy(QWidget *sayfa, QWidget *w)
{
    if (!sayfa)
        return;
    QLayout *l = sayfa->layout() ? sayfa->layout() : new QVBoxLayout(sayfa);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(w);
}

// A showcase tab's load: one at a time, the grid disabled and in an update
// with the busy animation shown. `govde` fills the result on the pool; on
// the UI thread `yaz` takes it (only when the load succeeded), `birak` runs
// just before the grid's update ends, `duzenle` once the tab is given back,
// then the failure notice, and last `bitti`.
template <class Sonuc>
void vitrinYukle(QObject *sahip, bool &suruyor, shell::TMesgulAnimasyonu *gif, GridView *izgara,
                 std::function<void(Sonuc &)> govde, std::function<void(Sonuc &)> yaz, std::function<void()> birak,
                 std::function<void()> duzenle, std::function<void(bool hata)> bitti)
{
    if (suruyor)
        return;
    suruyor = true;
    if (gif)
        gif->show();
    izgara->setEnabled(false);
    struct Durum {
        Sonuc sonuc;
        bool hata = false;
    };
    auto d = std::make_shared<Durum>();
    shell::Async([d, govde] {
        try {
            if (!govde)
                throw std::runtime_error("no loader");
            govde(d->sonuc);
        } catch (...) {
            d->hata = true;
        }
    }).Await([d, &suruyor, gif, izgara, yaz, birak, duzenle, bitti] {
        if (!d->hata)
            yaz(d->sonuc);
        if (birak)
            birak();
        izgara->endUpdate();
        izgara->setEnabled(true);
        if (gif)
            gif->hide();
        suruyor = false;
        if (duzenle)
            duzenle();
        if (d->hata)
            shell::Bildir(kBaglantiHatasi, shell::mtError);
        bitti(d->hata);
    }, sahip);
}

}  // namespace

UrunVitrini::UrunVitrini(Tur tur, shell::TsTabSheet *sayfa, shell::TMesgulAnimasyonu *gif, QObject *parent)
    : QObject(parent), m_sayfa(sayfa), m_gif(gif)
{
    veri = new DataSet(this);
    veri->setObjectName(tur == Yeniler ? QStringLiteral("YENILER") : QStringLiteral("kampstok"));
    kaynak = new DataSource(veri, this);
    kaynak->setObjectName(tur == Yeniler ? QStringLiteral("DataSource_yeniler") : QStringLiteral("kampsource"));
    izgara = new GridView(sayfa);
    izgara->setObjectName(tur == Yeniler ? QStringLiteral("cxGridDBTableView5")
                                         : QStringLiteral("cxGridDBTableViewkampanyali"));
    izgara->setColumns(stokKolonlari(tur == Yeniler ? StokIzgarasi::Yeniler : StokIzgarasi::Kampanya));
    izgara->setSummaries({{QStringLiteral("BARKOD"), SummaryKind::Count}, {QStringLiteral("OEM1"), SummaryKind::Count}});
    izgara->setReadOnly(true);
    izgara->setRowSelect(true);
    izgara->setIncrementalSearch(true);
    izgara->setHeaderFilters(true);
    izgara->setQuickCustomization(true);
    izgara->setFooterVisible(true);
    izgara->setDataRowHeight(50);
    izgara->setHeaderHeight(40);
    izgara->setDataSource(kaynak);
    sayfayaKoy(sayfa, izgara);
    connect(izgara, &GridView::rowDoubleClicked, this, [this](int) { CiftTiklama(); });
    connect(izgara, &GridView::resized, this, [this] {
        if (izgara->isEnabled())
            KolonGenislikleri();
    });
    if (sayfa)
        connect(sayfa, &shell::TsTabSheet::OnShow, this, &UrunVitrini::Yukle);
}

void UrunVitrini::Yukle()
{
    if (m_suruyor)
        return;
    izgara->setDataSource(nullptr);
    izgara->beginUpdate();
    vitrinYukle<DataSet>(
        this, m_suruyor, m_gif, izgara, yukle,
        [this](DataSet &sonuc) {
            veri->disableControls();
            veri->copyFrom(sonuc);
            shell::ParaFormatiUygula(veri);
            veri->enableControls();
            if (m_sayfa)
                m_sayfa->setBagTag(veri->recordCount());
        },
        [this] { izgara->setDataSource(kaynak); }, [this] { KolonGenislikleri(); },
        [this](bool hata) { emit yuklendi(hata); });
}

void UrunVitrini::KolonGenislikleri(int ekranGenisligi)
{
    if (ekranGenisligi < 0) {
        const QScreen *e = QGuiApplication::primaryScreen();
        ekranGenisligi = e ? e->geometry().width() : 1920;
    }
    izgara->applyWidthRule(ColumnWidthRule::bestFitOnSmallScreens(30), ekranGenisligi);
}

void UrunVitrini::CiftTiklama()
{
    if (!izgara->hasFocusedRecord())
        return;
    const int stokno = izgara->focusedValue(QStringLiteral("STOK_STOKNO")).toInt();
    veri->locate(QStringLiteral("STOK_STOKNO"), stokno);
    if (ciftTiklandi)
        ciftTiklandi(stokno);
}

DuyuruVitrini::DuyuruVitrini(shell::TsTabSheet *sayfa, shell::TMesgulAnimasyonu *gif, QObject *parent)
    : QObject(parent), m_sayfa(sayfa), m_gif(gif)
{
    izgara = new GridView(sayfa);
    izgara->setObjectName(QStringLiteral("cxGridduyuruBandedDuyuru"));
    izgara->setColumns({col(QStringLiteral("duyuru")).image().withWidth(605),
                        col(QStringLiteral("baslik")).hiddenNotOffered(),
                        col(QStringLiteral("arama")).hiddenNotOffered()});
    izgara->makeUnbound({{QStringLiteral("duyuru"), FieldType::Blob},
                         {QStringLiteral("baslik"), FieldType::WideString},
                         {QStringLiteral("arama"), FieldType::WideString}});
    izgara->setReadOnly(true);
    izgara->setRowSelect(true);
    izgara->setHeaderVisible(false);
    izgara->setRowIndicatorVisible(false);
    izgara->setDataRowHeight(405);
    izgara->setPixelScrolling(true);
    izgara->setSortingAllowed(false);
    izgara->setHeaderFilters(false);
    izgara->setQuickCustomization(false);
    izgara->setColumnMenus(false);
    sayfayaKoy(sayfa, izgara);
    connect(izgara, &GridView::rowDoubleClicked, this, [this](int) { CiftTiklama(); });
    if (sayfa)
        connect(sayfa, &shell::TsTabSheet::OnShow, this, &DuyuruVitrini::Yukle);
}

void DuyuruVitrini::Yukle()
{
    if (m_suruyor)
        return;
    izgara->beginUpdate();
    auto govde = yukle;
    vitrinYukle<QList<Duyuru>>(
        this, m_suruyor, m_gif, izgara,
        [govde](QList<Duyuru> &liste) {
            if (!govde)
                throw std::runtime_error("no loader");
            liste = govde();
        },
        [this](QList<Duyuru> &liste) {
            DataSet *ds = izgara->dataSet();
            if (!ds)
                return;
            ds->disableControls();
            ds->emptyDataSet();
            for (const Duyuru &y : liste) {
                ds->appendRecord();
                QByteArray resim;
                if (!y.resimHex.isEmpty() && HexCoz(y.resimHex, &resim))
                    ds->fieldByName(QStringLiteral("duyuru"))->setValue(resim);
                ds->fieldByName(QStringLiteral("arama"))->setValue(y.arama);
                ds->fieldByName(QStringLiteral("baslik"))->setValue(y.baslik);
            }
            ds->first();
            ds->enableControls();
        },
        {}, {}, [this](bool hata) { emit yuklendi(hata); });
}

void DuyuruVitrini::CiftTiklama()
{
    if (!izgara->hasFocusedRecord())
        return;
    aramaYonlendir(izgara->focusedValue(QStringLiteral("arama")).toString());
}

void DuyuruVitrini::aramaYonlendir(const QString &arama)
{
    switch (duyuruHedefi(arama)) {
    case DuyuruHedefi::Hicbiri:
        break;
    case DuyuruHedefi::Kampanya:
        if (kampanyayaGit)
            kampanyayaGit();
        break;
    case DuyuruHedefi::Yeniler:
        if (yenilereGit)
            yenilereGit();
        break;
    case DuyuruHedefi::Arama:
        if (ara)
            ara(arama);
        break;
    }
}

}  // namespace varo::katalog

#include "catalogue/vitrinsekmeleri.h"

#include "app/shell/arkaplan.h"
#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"
#include "catalogue/vitrin.h"
#include "grid/gridview.h"
#include "grid/imagelist.h"
#include "protocol/dataset.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace varo::katalog {

namespace {

const QString kBaglantiHatasi = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");

QList<GridColumn> yenilerKolonlari()
{
    return {
        col(QStringLiteral("BARKOD"), QStringLiteral("Barkod"), 2),
        col(QStringLiteral("FINISHKOD"), QStringLiteral("Kod"), 2),
        col(QStringLiteral("OEM1"), QStringLiteral("Oem1"), 2).hidden(),
        col(QStringLiteral("OEM2"), QStringLiteral("Oem2"), 2).hidden(),
        col(QStringLiteral("OEM3"), QStringLiteral("Oem3"), 2).hidden(),
        col(QStringLiteral("ADI"), QStringLiteral("Açıklama"), 3),
        col(QStringLiteral("OEM4"), QStringLiteral("Oem4"), 2).hidden(),
        col(QStringLiteral("STOK_STOKNO"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("URETICIKODU"), QStringLiteral("Üretici Kod"), 2).hidden(),
        col(QStringLiteral("BARKOD_BARKODNO"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("DIGERADI"), QStringLiteral("Diğer Adı"), 3).hidden(),
        col(QStringLiteral("DPKOD"), {}, 2).hiddenNotOffered(),
        col(QStringLiteral("OEMNO"), QStringLiteral("Oem No"), 2).hidden(),
        col(QStringLiteral("BIRIM"), QStringLiteral("Birim"), 1),
        col(QStringLiteral("MARKA"), QStringLiteral("Marka"), 2),
        col(QStringLiteral("MODEL"), QStringLiteral("Model"), 2),
        col(QStringLiteral("ANAGRUP"), QStringLiteral("Ana Grup"), 2),
        col(QStringLiteral("OZELKOD"), QStringLiteral("Özel Kod"), 2),
        col(QStringLiteral("KALAN"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("PKOD"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("KDV"), QStringLiteral("KDV"), 1).hidden(),
        col(QStringLiteral("ALINANSIPARIS"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("VERILENSIPARIS"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("LISTEFIYATI"), QStringLiteral("Fiyat"), 2).right(),
        col(QStringLiteral("MALIYET"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("FIYAT"), QStringLiteral("Liste Fiyatı"), 2),
        col(QStringLiteral("INDIRIM"), QStringLiteral("İndirim Oran"), 1),
        col(QStringLiteral("NETFIYAT"), QStringLiteral("Net Fiyatı"), 2),
        col(QStringLiteral("KDVDAHIL"), QStringLiteral("KDV Dahil Fiyat"), 2),
    };
}

QList<GridColumn> kampanyaKolonlari()
{
    return {
        col(QStringLiteral("BARKOD"), QStringLiteral("Barkod"), 2),
        col(QStringLiteral("FINISHKOD"), QStringLiteral("Stok Kod"), 2),
        col(QStringLiteral("OEM1"), QStringLiteral("Oem1"), 2).hidden(),
        col(QStringLiteral("OEM2"), QStringLiteral("Oem2"), 2).hidden(),
        col(QStringLiteral("OEM3"), QStringLiteral("Oem3"), 2).hidden(),
        col(QStringLiteral("ADI"), QStringLiteral("Açıklama"), 3),
        col(QStringLiteral("OEM4"), QStringLiteral("Oem4"), 2).hidden(),
        col(QStringLiteral("STOK_STOKNO"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("URETICIKODU"), QStringLiteral("Üretici Kod"), 2).hidden(),
        col(QStringLiteral("BARKOD_BARKODNO"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("DIGERADI"), QStringLiteral("Diğer Adı"), 3).hidden(),
        col(QStringLiteral("DPKOD"), {}, 2).hiddenNotOffered(),
        col(QStringLiteral("OEMNO"), QStringLiteral("Oem No"), 2).hidden(),
        col(QStringLiteral("BIRIM"), QStringLiteral("Birim"), 1),
        col(QStringLiteral("MARKA"), QStringLiteral("Marka"), 2),
        col(QStringLiteral("MODEL"), QStringLiteral("Model"), 2),
        col(QStringLiteral("ANAGRUP"), QStringLiteral("Ana Grup"), 2),
        col(QStringLiteral("OZELKOD"), QStringLiteral("Özel Kod"), 2),
        col(QStringLiteral("KALAN"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("PKOD"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("KDV"), QStringLiteral("KDV"), 1).hidden(),
        col(QStringLiteral("ALINANSIPARIS"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("VERILENSIPARIS"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("ESKIFIYAT"), QStringLiteral("Eski Fiyat"), 2),
        col(QStringLiteral("MALIYET"), {}, 1).hiddenNotOffered(),
        col(QStringLiteral("FIYAT"), QStringLiteral("Yeni Fiyat"), 2),
        col(QStringLiteral("Y"), QStringLiteral("Yeni"), 1).iconCell(&yesNoImages(), yesNoIcons()),
        col(QStringLiteral("K"), QStringLiteral("Kampanyalı"), 1).iconCell(&yesNoImages(), yesNoIcons()),
        col(QStringLiteral("INDIRIM"), QStringLiteral("İndirim Oran"), 1),
        col(QStringLiteral("NETFIYAT"), QStringLiteral("Net Fiyatı"), 2),
        col(QStringLiteral("KDVDAHIL"), QStringLiteral("KDV Dahil Fiyat"), 2),
        col(QStringLiteral("DURUM"), QStringLiteral("Durum"), 1).iconCell(&stateImages(), stockStateIcons()),
    };
}

void sayfayaKoy(QWidget *sayfa, QWidget *w)
{
    if (!sayfa)
        return;
    QLayout *l = sayfa->layout() ? sayfa->layout() : new QVBoxLayout(sayfa);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(w);
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
    izgara->setColumns(tur == Yeniler ? yenilerKolonlari() : kampanyaKolonlari());
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
    m_suruyor = true;
    if (m_gif)
        m_gif->show();
    izgara->setEnabled(false);
    izgara->setDataSource(nullptr);
    izgara->beginUpdate();
    struct Durum {
        DataSet sonuc;
        bool hata = false;
    };
    auto d = std::make_shared<Durum>();
    auto govde = yukle;
    shell::Async([d, govde] {
        try {
            if (!govde)
                throw std::runtime_error("no loader");
            govde(d->sonuc);
        } catch (...) {
            d->hata = true;
        }
    }).Await([this, d] {
        if (!d->hata) {
            veri->disableControls();
            veri->copyFrom(d->sonuc);
            shell::ParaFormatiUygula(veri);
            veri->enableControls();
            if (m_sayfa)
                m_sayfa->setBagTag(veri->recordCount());
        }
        izgara->setDataSource(kaynak);
        izgara->endUpdate();
        izgara->setEnabled(true);
        if (m_gif)
            m_gif->hide();
        m_suruyor = false;
        KolonGenislikleri();
        if (d->hata)
            shell::Bildir(kBaglantiHatasi, shell::mtError);
        emit yuklendi(d->hata);
    }, this);
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
    m_suruyor = true;
    if (m_gif)
        m_gif->show();
    izgara->setEnabled(false);
    izgara->beginUpdate();
    struct Durum {
        QList<Duyuru> liste;
        bool hata = false;
    };
    auto d = std::make_shared<Durum>();
    auto govde = yukle;
    shell::Async([d, govde] {
        try {
            if (!govde)
                throw std::runtime_error("no loader");
            d->liste = govde();
        } catch (...) {
            d->hata = true;
        }
    }).Await([this, d] {
        DataSet *ds = izgara->dataSet();
        if (!d->hata && ds) {
            ds->disableControls();
            ds->emptyDataSet();
            for (const Duyuru &y : d->liste) {
                ds->appendRecord();
                QByteArray resim;
                if (!y.resimHex.isEmpty() && HexCoz(y.resimHex, &resim))
                    ds->fieldByName(QStringLiteral("duyuru"))->setValue(resim);
                ds->fieldByName(QStringLiteral("arama"))->setValue(y.arama);
                ds->fieldByName(QStringLiteral("baslik"))->setValue(y.baslik);
            }
            ds->first();
            ds->enableControls();
        }
        izgara->endUpdate();
        izgara->setEnabled(true);
        if (m_gif)
            m_gif->hide();
        m_suruyor = false;
        if (d->hata)
            shell::Bildir(kBaglantiHatasi, shell::mtError);
        emit yuklendi(d->hata);
    }, this);
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

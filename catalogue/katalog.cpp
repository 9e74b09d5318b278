#include "catalogue/katalog.h"

#include "app/shell/arkaplan.h"
#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "basket/sepetdeposu.h"
#include "catalogue/fiyatlistesi.h"
#include "catalogue/stokayarinti.h"
#include "catalogue/stoksekmesi.h"
#include "protocol/dataset.h"

#include <exception>

namespace varo::katalog {

namespace {

QString hataYazisi(const std::exception_ptr &e)
{
    try {
        std::rethrow_exception(e);
    } catch (const std::exception &x) {
        return QString::fromUtf8(x.what());
    } catch (...) {
        return QStringLiteral("Bilinmeyen hata");
    }
}

// Filling the dialog reads the server's columns by name; a table without one
// of them shows the error's text and leaves the window usable.
template <class F>
void genelHataIle(F &&is)
{
    try {
        is();
    } catch (...) {
        shell::GenelHataGoster(std::current_exception());
    }
}

}  // namespace

Katalog::Katalog(const KatalogYeri &yer, KatalogSunucusu sunucu, std::function<Oturum()> oturum, QObject *parent)
    : QObject(parent), m_yer(yer), m_sunucu(std::move(sunucu)), m_oturum(std::move(oturum))
{
    sepetDeposu = new sepet::SepetDeposu(this);
    sepetDeposu->sepetVer = m_sunucu.sepetVer;

    StokSekmesiIslemleri is;
    is.stokAraVaro = m_sunucu.stokAraVaro;
    is.sepet = [this] { return sepetDeposu->sepet; };
    is.sepetiYenile = [this] { SepetiYenile(); };
    is.stoktanSepeteEkle = [this](int n) { StoktanSepeteEkle(n); };
    is.sepetSatiriDegistir = [this](int s) { SepetSatiriDegistir(s); };
    stokSekmesi = new StokSekmesi({yer.aramaCubugu, yer.sayfalar, yer.sstoklistesi, yer.gifstokara}, is, this);

    yeniler = new UrunVitrini(UrunVitrini::Yeniler, yer.syeniler, yer.gifyeniler, this);
    yeniler->yukle = m_sunucu.varoYenilerVer;
    yeniler->ciftTiklandi = [this](int n) { vitrindenSec(yeniler, n, false); };
    kampanya = new UrunVitrini(UrunVitrini::Kampanya, yer.skampanyali, yer.gifkampanyali, this);
    kampanya->yukle = m_sunucu.varoKampanyaliVer;
    kampanya->ciftTiklandi = [this](int n) { vitrindenSec(kampanya, n, true); };

    duyurular = new DuyuruVitrini(yer.sTabSheetduyuru, yer.gifduyuru, this);
    duyurular->yukle = m_sunucu.acilisEkranlarVer;
    duyurular->kampanyayaGit = [this] { sayfayaGec(m_yer.skampanyali); };
    duyurular->yenilereGit = [this] { sayfayaGec(m_yer.syeniler); };
    duyurular->ara = [this](const QString &t) { stokSekmesi->metniAra(t); };

    fiyatListesi = new FiyatListesi(yer.sTabSheet2, yer.gifvaroara, this);
    fiyatListesi->varodeAra = m_sunucu.varodeAra;

    dialogCalistir = [](Tstokayarinti &d) { return d.exec(); };
}

Katalog::~Katalog() = default;

void Katalog::sayfayaGec(shell::TsTabSheet *sayfa)
{
    // A tab hidden from this user (the campaign tab of type 4) stays out of
    // sight also when an announcement points at it.
    if (!m_yer.sayfalar || !sayfa)
        return;
    const int i = m_yer.sayfalar->indexOf(sayfa);
    if (i >= 0 && m_yer.sayfalar->isTabVisible(i))
        m_yer.sayfalar->setActivePage(sayfa);
}

void Katalog::SepetiYenile()
{
    if (sepetDeposu->SepetiYenile()) {
        if (m_yer.ssepet)
            m_yer.ssepet->setBagTag(sepetDeposu->satirSayisi());
    }
}

void Katalog::cariDegisti()
{
    if (!sepetDeposu->SepetiYenile()) {
        // The lines held belong to the customer acted for until now; a double
        // click must not offer them for change in the new customer's name.
        sepetDeposu->bosalt();
        if (m_yer.ssepet)
            m_yer.ssepet->setBagTag(0);
    } else if (m_yer.ssepet) {
        m_yer.ssepet->setBagTag(sepetDeposu->satirSayisi());
    }
    stokSekmesi->cariDegisti();
}

void Katalog::vitrindenSec(UrunVitrini *v, int stokno, bool kampanyadan)
{
    DataSet *s = sepetDeposu->sepet;
    if (!s->isActive())
        SepetiYenile();
    v->veri->locate(QStringLiteral("STOK_STOKNO"), stokno);
    if (s->isActive() && s->findField(QStringLiteral("STOKNO")) && s->locate(QStringLiteral("STOKNO"), stokno)) {
        const Field *sira = s->findField(QStringLiteral("SIRANO"));
        SepetSatiriDegistir(sira ? int(sira->asInteger()) : 0);
        return;
    }
    if (kampanyadan)
        KampanyadanSepeteEkle(stokno);
    else
        YenilerdenSepeteEkle(stokno);
}

void Katalog::StoktanSepeteEkle(int)
{
    genelHataIle([this] { dialogla(stoktanDoldur(*stokSekmesi->stok, m_oturum()), stokSekmesi->stok); });
}

void Katalog::YenilerdenSepeteEkle(int)
{
    genelHataIle([this] { dialogla(yenilerdenDoldur(*yeniler->veri, m_oturum()), yeniler->veri); });
}

void Katalog::KampanyadanSepeteEkle(int)
{
    genelHataIle([this] { dialogla(kampanyadanDoldur(*kampanya->veri, m_oturum()), kampanya->veri); });
}

void Katalog::SepetSatiriDegistir(int)
{
    genelHataIle([this] { dialogla(sepettenDoldur(*sepetDeposu->sepet, m_oturum()), sepetDeposu->sepet); });
}

void Katalog::resimYukle(Tstokayarinti &d, int stokno)
{
    if (!m_sunucu.resimVer)
        return;
    try {
        if (const auto resim = m_sunucu.resimVer(stokno))
            d.resimGoster(*resim);
    } catch (...) {
        shell::Bildir(hataYazisi(std::current_exception()), shell::mtError);
    }
}

void Katalog::dialogla(SepeteEkleGorunum g, const DataSet *kaynak)
{
    Tstokayarinti d(m_yer.pencere);
    resimYukle(d, g.stokno);
    d.doldur(g);
    if (dialogCalistir(d) != QDialog::Accepted)
        return;
    const Oturum o = m_oturum();
    if (g.kaynak == Kaynak::Sepet) {
        try {
            if (m_sunucu.sepetGuncelle)
                m_sunucu.sepetGuncelle(SepetSatiriGuncelleArgumanlari(*kaynak, o, g.sirano, d.miktar(),
                                                                      d.birimFiyat(), d.indirimOrani()));
        } catch (...) {
            shell::Bildir(StokSekmesi::kBaglantiHatasi, shell::mtError);
        }
        SepetiYenile();  // whatever the answer, the basket shows the server's state
        return;
    }
    try {
        if (m_sunucu.sepetEkle
            && m_sunucu.sepetEkle(SepetSatiriEkleArgumanlari(*kaynak, o, d.miktar(), d.birimFiyat(), d.indirimOrani()))
                   == 1)
            SepetiYenile();
    } catch (...) {
        shell::Bildir(StokSekmesi::kBaglantiHatasi, shell::mtError);
    }
}

}  // namespace varo::katalog

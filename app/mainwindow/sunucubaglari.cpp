#include "app/mainwindow/sunucubaglari.h"

#include "app/login/giris.h"
#include "app/login/girissunucusu.h"
#include "app/shell/mesajkutusu.h"
#include "catalogue/katalog.h"
#include "catalogue/vitrinsekmeleri.h"
#include "protocol/transferobjects.h"
#include "server/connection.h"
#include "server/servermethods1client.h"

#include <QApplication>
#include <QThread>

namespace varo::mainwindow {

namespace {

struct SunucuOturumu {
    TSonucBilgisi sbilgi;
    Connection bagc;
};

SunucuOturumu &oturum()
{
    static SunucuOturumu o;
    return o;
}

std::unique_ptr<TSonucBilgisi> kopya()
{
    auto k = std::make_unique<TSonucBilgisi>();
    k->Kopyala(oturum().sbilgi);
    return k;
}

// A copy of the main connection opened for one background call; throws when
// it cannot be opened so that the task's completion reports it.
std::unique_ptr<Connection> acikKopya(int rapor)
{
    auto c = oturum().bagc.CloneConnection();
    if (!BaglantiKur(*c, rapor))
        throw ConnectionError(kBaglantiKurulamiyor.toStdString());
    return c;
}

void uiThreadindeGoster(const QString &metin)
{
    auto goster = [metin] { shell::MesajKutusu(metin, shell::mtError, {shell::mbOK}, shell::mbOK); };
    if (QThread::currentThread() == qApp->thread())
        goster();
    else
        QMetaObject::invokeMethod(qApp, goster, Qt::BlockingQueuedConnection);
}

class AcilisBaglantisiSunucu : public AcilisBaglantisi {
public:
    AcilisBaglantisiSunucu(std::unique_ptr<Connection> c) : m_c(std::move(c)), m_client(*m_c) {}
    ~AcilisBaglantisiSunucu() override { m_c->Close(); }
    QString KayanYaziGetir() override { return m_client.KayanYaziGetir(); }
    std::unique_ptr<QIODevice> BannerResimVer(qint64 &boyut) override
    {
        QIODevice *s = m_client.BannerResimVer(boyut);
        auto b = std::make_unique<QBuffer>();
        b->setData(s->readAll());
        b->open(QIODevice::ReadOnly);
        return b;
    }
    int AcilisReklamAdet() override { return m_client.AcilisReklamAdet(); }
    int KurlariAl(double &usd, double &eur) override { return m_client.KurlariAl(usd, eur); }
    std::vector<std::vector<QVariant>> BalonGetir() override
    {
        DataSet *r = m_client.BalonGetir(kopya());
        std::vector<std::vector<QVariant>> rows;
        for (int i = 0; i < r->recordCount(); ++i) {
            std::vector<QVariant> row;
            for (int c = 0; c < r->fieldCount(); ++c)
                row.push_back(r->field(c)->value(i));
            rows.push_back(std::move(row));
        }
        return rows;
    }

private:
    std::unique_ptr<Connection> m_c;
    TServerMethods1Client m_client;
};

class AcilisSunucusuBag : public AcilisSunucusu {
public:
    std::unique_ptr<AcilisBaglantisi> baglan() override
    {
        auto c = oturum().bagc.CloneConnection();
        if (!BaglantiKur(*c, 1))
            return nullptr;
        return std::make_unique<AcilisBaglantisiSunucu>(std::move(c));
    }
};

// Copies a reader into a data set the feature owns.
void kopyala(const DataSet *kaynak, DataSet &hedef)
{
    hedef.copyFrom(*kaynak);
}

katalog::KatalogSunucusu katalogSunucusu()
{
    katalog::KatalogSunucusu s;
    s.stokAraVaro = [](const QString &kod, DataSet &hedef) {
        auto c = acikKopya(0);
        TServerMethods1Client client(*c);
        kopyala(client.StokAraVaro(kod, kopya()), hedef);
    };
    s.varoYenilerVer = [](DataSet &hedef) {
        auto c = acikKopya(0);
        TServerMethods1Client client(*c);
        kopyala(client.VaroYenilerVer(oturum().sbilgi.CARINO()), hedef);
    };
    s.varoKampanyaliVer = [](DataSet &hedef) {
        auto c = acikKopya(0);
        TServerMethods1Client client(*c);
        kopyala(client.VaroKampanyaliVer(oturum().sbilgi.CARINO(), oturum().sbilgi.MusteriTipi()), hedef);
    };
    s.acilisEkranlarVer = [] {
        auto c = acikKopya(0);
        TServerMethods1Client client(*c);
        QList<katalog::Duyuru> liste;
        if (TAcilisEkranlar *l = client.AcilisEkranlarVer())
            for (int i = 0; i < l->Count(); ++i)
                liste.append({(*l)[i]->SiraNo(), (*l)[i]->Resim(), (*l)[i]->Baslik(), (*l)[i]->Arama()});
        return liste;
    };
    s.varodeAra = [](const QString &t, DataSet &hedef) {
        auto c = acikKopya(0);
        TServerMethods1Client client(*c);
        kopyala(client.VarodeAra(t), hedef);
    };
    s.sepetVer = [](DataSet &hedef) {
        if (!BaglantiKur(oturum().bagc, 1))
            return;
        {
            TServerMethods1Client client(oturum().bagc);
            kopyala(client.SepetVer(oturum().sbilgi.CARINO()), hedef);
        }
        oturum().bagc.Close();
    };
    s.resimVer = [](int stokno) -> std::optional<QByteArray> {
        if (!BaglantiKur(oturum().bagc, 1))
            return std::nullopt;
        std::optional<QByteArray> sonuc;
        {
            TServerMethods1Client client(oturum().bagc);
            qint64 boy = 0;
            QIODevice *akis = client.ResimVer5(stokno, boy);
            QByteArray b;
            char blok[1024];
            for (;;) {
                const qint64 n = akis->read(blok, sizeof blok);
                if (n > 0)
                    b.append(blok, n);
                if (n < qint64(sizeof blok))
                    break;
            }
            if (boy != 0 && b.size() == boy)
                sonuc = b;
        }
        oturum().bagc.Close();
        return sonuc;
    };
    auto satir = [](bool ekle) {
        return [ekle](const katalog::SepetSatiriArgumanlari &a) {
            if (!BaglantiKur(oturum().bagc, 1))
                return 0;
            int r;
            {
                TServerMethods1Client client(oturum().bagc);
                r = ekle ? client.SepetEkle(kopya(), a.carino, a.stokno, a.barkod, a.stokadi, a.miktar, a.kdv,
                                            a.fiyat, a.indirim, a.verenid, a.k)
                         : client.SepetGuncelle(kopya(), a.carino, a.stokno, a.barkod, a.stokadi, a.miktar, a.kdv,
                                                a.fiyat, a.indirim, a.verenid, a.sepetsirano);
            }
            oturum().bagc.Close();
            return r;
        };
    };
    s.sepetEkle = satir(true);
    s.sepetGuncelle = satir(false);
    return s;
}

void oturumuPencereyeYaz(TForm1 &f)
{
    const TSonucBilgisi &s = oturum().sbilgi;
    f.oturum.ADI = s.ADI();
    f.oturum.CariAdi = s.CariAdi();
    f.oturum.SaticiAdi = s.SaticiAdi();
    f.oturum.SaticiTelefon = s.SaticiTelefon();
    f.oturum.SaticiMail = s.SaticiMail();
    f.oturum.carikod = s.carikod();
    f.oturum.MusteriTipi = s.MusteriTipi();
}

}  // namespace

TSonucBilgisi &sbilgi() { return oturum().sbilgi; }
Connection &bagc() { return oturum().bagc; }

void sunucuBaglariniKur(Form1Kancalari &k)
{
    setConnectionErrorReporter(uiThreadindeGoster);
    k.girisDialogu = [](TForm1 &f) {
        SunucuOturumu &o = oturum();
        o.sbilgi.setBilgiSayarAdi(f.oturum.BilgiSayarAdi);
        o.sbilgi.setBilgisayarKullanici(f.oturum.BilgisayarKullanici);
        o.sbilgi.setIcip(f.oturum.Icip);
        o.sbilgi.setBILGISAYARID(f.oturum.BILGISAYARID);
        o.bagc.HostName = f.portalHost;
        o.bagc.Port = f.portalPort;
        login::GirisAyarlari a;
        a.girisKontrol = login::sunucuGirisCagrisi(o.bagc, o.sbilgi);
        a.istekSunucusu = std::make_shared<login::SunucuIstekleri>(o.bagc);
        const bool ok = login::GirisYap(a);
        if (ok)
            oturumuPencereyeYaz(f);
        return ok;
    };
    k.acilisSunucusu = [](TForm1 &) { return std::make_shared<AcilisSunucusuBag>(); };
    k.sifreDegistirme = [](TForm1 &f) {
        SunucuOturumu &o = oturum();
        std::unique_ptr<login::Tkullanicikayit> istek(login::Tkullanicikayit::Ac(
            &f, std::make_shared<login::SunucuIstekleri>(o.bagc), o.sbilgi.ADI(), o.sbilgi.CariAdi()));
        istek->exec();
    };
}

katalog::KatalogSunucusu katalogSunucusuVer() { return katalogSunucusu(); }

katalog::Oturum katalogOturumu(const TForm1 &f)
{
    const TSonucBilgisi &s = oturum().sbilgi;
    return {s.MusteriTipi(), s.carikod(), s.CARINO(), s.Sirano(), f._USDKUR, f._EURKUR};
}

}  // namespace varo::mainwindow

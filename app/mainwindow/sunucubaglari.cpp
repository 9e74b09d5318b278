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

std::unique_ptr<TSonucBilgisi> kopya(const TForm1 &f)
{
    auto k = std::make_unique<TSonucBilgisi>();
    k->Kopyala(f.sbilgi);
    return k;
}

// A copy of the main connection opened for one background call; throws when
// it cannot be opened so that the task's completion reports it.
std::unique_ptr<Connection> acikKopya(const TForm1 &f, int rapor)
{
    auto c = f.bagc.CloneConnection();
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
    AcilisBaglantisiSunucu(const TForm1 &f, std::unique_ptr<Connection> c) : m_f(f), m_c(std::move(c)), m_client(*m_c) {}
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
        DataSet *r = m_client.BalonGetir(kopya(m_f));
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
    const TForm1 &m_f;
    std::unique_ptr<Connection> m_c;
    TServerMethods1Client m_client;
};

class AcilisSunucusuBag : public AcilisSunucusu {
public:
    explicit AcilisSunucusuBag(const TForm1 &f) : m_f(f) {}
    std::unique_ptr<AcilisBaglantisi> baglan() override
    {
        auto c = m_f.bagc.CloneConnection();
        if (!BaglantiKur(*c, 1))
            return nullptr;
        return std::make_unique<AcilisBaglantisiSunucu>(m_f, std::move(c));
    }

private:
    const TForm1 &m_f;
};

// Copies a reader into a data set the feature owns.
void kopyala(const DataSet *kaynak, DataSet &hedef)
{
    hedef.copyFrom(*kaynak);
}

katalog::KatalogSunucusu katalogSunucusu(TForm1 &f)
{
    katalog::KatalogSunucusu s;
    s.stokAraVaro = [&f](const QString &kod, DataSet &hedef) {
        auto c = acikKopya(f, 0);
        TServerMethods1Client client(*c);
        kopyala(client.StokAraVaro(kod, kopya(f)), hedef);
    };
    s.varoYenilerVer = [&f](DataSet &hedef) {
        auto c = acikKopya(f, 0);
        TServerMethods1Client client(*c);
        kopyala(client.VaroYenilerVer(f.sbilgi.CARINO()), hedef);
    };
    s.varoKampanyaliVer = [&f](DataSet &hedef) {
        auto c = acikKopya(f, 0);
        TServerMethods1Client client(*c);
        kopyala(client.VaroKampanyaliVer(f.sbilgi.CARINO(), f.sbilgi.MusteriTipi()), hedef);
    };
    s.acilisEkranlarVer = [&f] {
        auto c = acikKopya(f, 0);
        TServerMethods1Client client(*c);
        QList<katalog::Duyuru> liste;
        if (TAcilisEkranlar *l = client.AcilisEkranlarVer())
            for (int i = 0; i < l->Count(); ++i)
                liste.append({(*l)[i]->SiraNo(), (*l)[i]->Resim(), (*l)[i]->Baslik(), (*l)[i]->Arama()});
        return liste;
    };
    s.varodeAra = [&f](const QString &t, DataSet &hedef) {
        auto c = acikKopya(f, 0);
        TServerMethods1Client client(*c);
        kopyala(client.VarodeAra(t), hedef);
    };
    s.sepetVer = [&f](DataSet &hedef) {
        if (!BaglantiKur(f.bagc, 1))
            return;
        {
            TServerMethods1Client client(f.bagc);
            kopyala(client.SepetVer(f.sbilgi.CARINO()), hedef);
        }
        f.bagc.Close();
    };
    s.resimVer = [&f](int stokno) -> std::optional<QByteArray> {
        if (!BaglantiKur(f.bagc, 1))
            return std::nullopt;
        std::optional<QByteArray> sonuc;
        {
            TServerMethods1Client client(f.bagc);
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
        f.bagc.Close();
        return sonuc;
    };
    auto satir = [&f](bool ekle) {
        return [&f, ekle](const katalog::SepetSatiriArgumanlari &a) {
            if (!BaglantiKur(f.bagc, 1))
                return 0;
            int r;
            {
                TServerMethods1Client client(f.bagc);
                r = ekle ? client.SepetEkle(kopya(f), a.carino, a.stokno, a.barkod, a.stokadi, a.miktar, a.kdv,
                                            a.fiyat, a.indirim, a.verenid, a.k)
                         : client.SepetGuncelle(kopya(f), a.carino, a.stokno, a.barkod, a.stokadi, a.miktar, a.kdv,
                                                a.fiyat, a.indirim, a.verenid, a.sepetsirano);
            }
            f.bagc.Close();
            return r;
        };
    };
    s.sepetEkle = satir(true);
    s.sepetGuncelle = satir(false);
    return s;
}

}  // namespace

void sunucuBaglariniKur(Form1Kancalari &k)
{
    setConnectionErrorReporter(uiThreadindeGoster);
    k.girisDialogu = [](TForm1 &f) {
        login::GirisAyarlari a;
        a.girisKontrol = login::sunucuGirisCagrisi(f.bagc, f.sbilgi);
        a.istekSunucusu = std::make_shared<login::SunucuIstekleri>(f.bagc);
        return login::GirisYap(a);
    };
    k.acilisSunucusu = [](TForm1 &f) { return std::make_shared<AcilisSunucusuBag>(f); };
    k.sifreDegistirme = [](TForm1 &f) {
        std::unique_ptr<login::Tkullanicikayit> istek(login::Tkullanicikayit::Ac(
            &f, std::make_shared<login::SunucuIstekleri>(f.bagc), f.sbilgi.ADI(), f.sbilgi.CariAdi()));
        istek->exec();
    };
}

katalog::KatalogSunucusu katalogSunucusuVer(TForm1 &f) { return katalogSunucusu(f); }

katalog::Oturum katalogOturumu(const TForm1 &f)
{
    const TSonucBilgisi &s = f.sbilgi;
    return {s.MusteriTipi(), s.carikod(), s.CARINO(), s.Sirano(), f._USDKUR, f._EURKUR};
}

}  // namespace varo::mainwindow

#include "app/login/girissunucusu.h"

#include "app/identity/identity.h"
#include "protocol/transferobjects.h"
#include "server/connection.h"
#include "server/servermethods1client.h"

namespace varo::login {

Tgirisform::LoginCall sunucuGirisCagrisi(Connection &bagim, TSonucBilgisi &bilgim)
{
    return [&bagim, &bilgim](const QString &idsi, const QString &disip, LoginAnswer &out) {
        // Nothing else touches the main connection or the session record
        // while the login waits for this call.
        bagim.HostName = Connection::portalHost();
        auto kopya = bagim.CloneConnection();
        if (!BaglantiKur(*kopya, 0))
            return false;
        {
            TServerMethods1Client client(*kopya);
            TSonucBilgisi *r = client.BuyukGetir(idsi);
            if (!r)
                return false;
            bilgim.Kopyala(*r);
            out.Version = r->Version();
            out.Varmi = r->Varmi();
            out.ADI = r->ADI();
            out.SIFRE = r->SIFRE();
            out.AKTIF = r->AKTIF();
            out.MusteriTipi = r->MusteriTipi();
        }
        kopya->Close();
        // What the server keeps about the computer is replaced by what this
        // computer says about itself.
        bilgim.setBilgiSayarAdi(identity::BilgisayarAdiAl());
        bilgim.setBilgisayarKullanici(identity::KullaniciAdiAl());
        bilgim.setIcip(identity::IcIpAl());
        bilgim.setBILGISAYARID(identity::BilgisayarIdAl());
        bilgim.setDisip(disip);
        return true;
    };
}

std::optional<CariBilgisi> SunucuIstekleri::MobilCariBilgisiGetir(int sirano, const QString &idsi)
{
    auto c = m_bagc.CloneConnection();
    if (!BaglantiKur(*c, 1))
        return std::nullopt;
    CariBilgisi b;
    {
        TServerMethods1Client client(*c);
        if (TMobilCariBilgisi *o = client.MobilCariBilgisiGetir(sirano, idsi)) {
            b.ADRES1 = o->ADRES1();
            b.ADRES2 = o->ADRES2();
            b.ILCE = o->ILCE();
            b.SEHIR = o->SEHIR();
            b.TEL1 = o->TEL1();
            b.FAX1 = o->FAX1();
            b.VERGIDAIRESI = o->VERGIDAIRESI();
            b.VERGINO = o->VERGINO();
        }
    }
    c->Close();
    return b;
}

bool SunucuIstekleri::MailGonserCari(const QString &idsi, const QString &baslik, const IstekAlanlari &a)
{
    auto c = m_bagc.CloneConnection();
    if (!BaglantiKur(*c, 1))
        return false;
    {
        TServerMethods1Client client(*c);
        client.MailGonserCari(idsi, baslik, a.firmaadi, a.adres1, a.adres2, a.ilce, a.sehir, a.telefon, a.fax, a.vd,
                              a.vn, a.yetkili, a.kullaniciadi, a.sifre, a.mail, a.kargoambar);
    }
    c->Close();
    return true;
}

} // namespace varo::login

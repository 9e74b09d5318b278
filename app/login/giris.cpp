#include "app/login/giris.h"

#include "app/shell/ortak.h"
#include "web/dosyaindir.h"

namespace varo::login {

bool GirisYap(const GirisAyarlari &ayarlar)
{
    Tgirisform form(nullptr, ayarlar.ayarDosyasi);
    form.setGirisKontrol(ayarlar.girisKontrol);
    // GuncellemeAc
    const QUrl adres = ayarlar.guncellemeAdresi;
    const auto baslatici = ayarlar.guncellemeBaslatici;
    form.setGuncellemeAc([&form, adres, baslatici](int surum) {
        std::unique_ptr<web::Tdosyaindir> d(web::Tdosyaindir::Yeni(&form, surum));
        if (!adres.isEmpty())
            d->setSource(adres);
        if (baslatici)
            d->setStarter(baslatici);
        d->exec();
    });
    // YeniKullaniciIstegi
    const auto sunucu = ayarlar.istekSunucusu;
    form.setYeniKullaniciIstegi([&form, sunucu] {
        std::unique_ptr<Tkullanicikayit> k(Tkullanicikayit::Yeni(&form, sunucu));
        k->exec();
    });
    // CariSecimiYap
    if (ayarlar.cariSecimi) {
        const auto secim = ayarlar.cariSecimi;
        form.setCariSecimiYap([&form, secim] { return secim(&form); });
    }
    return form.exec() == QDialog::Accepted;
}

} // namespace varo::login

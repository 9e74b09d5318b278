#include "app/login/loginflow.h"

#include "app/shell/ayarlar.h"

#include <QDir>
#include <QFileInfo>

namespace varo::login {

LoginOutcome evaluateLogin(bool callSucceeded, const LoginAnswer &answer,
                           const QString &adi, const QString &sifre, const LoginHooks &h)
{
    if (!callSucceeded) {
        if (h.failure)
            h.failure(kBaglantiKurulamadi, MessageKind::Hata);
        return LoginOutcome::ConnectionFailed;
    }
    // The update comes before anything else about the account, even for an
    // unknown computer; normally it ends the process itself.
    if (answer.Version != kProgramVersion && h.guncellemeAc)
        h.guncellemeAc(answer.Version);
    if (!answer.Varmi) {
        if (h.yeniKullaniciIstegi)
            h.yeniKullaniciIstegi();
        if (h.terminate)
            h.terminate();
        return LoginOutcome::Unregistered;
    }
    if (adi == answer.ADI && sifre == answer.SIFRE) {
        if (h.ayarKaydet)
            h.ayarKaydet();
        if (answer.AKTIF == 1) {
            if (answer.MusteriTipi == 1 || answer.MusteriTipi == 2) {
                const bool chosen = h.cariSecimiYap ? h.cariSecimiYap() : true;
                if (!chosen) {
                    if (h.terminate)
                        h.terminate();
                    return LoginOutcome::SelectionCancelled;
                }
            }
            if (h.accept)
                h.accept();
            return LoginOutcome::Accepted;
        }
        if (h.failure)
            h.failure(kHataliGiris, MessageKind::Uyari);
        return LoginOutcome::Inactive;
    }
    if (h.failure)
        h.failure(kHataliGiris, MessageKind::Uyari);
    return LoginOutcome::WrongCredentials;
}

LoginSettings::LoginSettings(QString iniPath) : m_path(std::move(iniPath)) {}

QString LoginSettings::defaultIniPath() { return shell::AyarDosyasi(); }

bool LoginSettings::exists() const { return QFileInfo::exists(m_path); }

RememberedLogin LoginSettings::read() const
{
    const shell::KullaniciAyari a = shell::AyarOku(m_path);
    return {a.isim, a.sifre, a.hatirla};
}

bool LoginSettings::write(const RememberedLogin &value) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    return shell::AyarKaydet({value.isim, value.sifre, value.hatirla}, m_path);
}

} // namespace varo::login

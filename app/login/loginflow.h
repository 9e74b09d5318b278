#pragma once
// The login's decisions, kept apart from the window so they can be driven
// without one: what the server's answer means, in which order the checks
// run, and the remembered login in ayar.ini.

#include <QHash>
#include <QString>
#include <functional>

namespace varo::login {

// The program version this client is; the server names the one it expects.
inline constexpr int kProgramVersion = 5;

// What the login needs of the account the server registered for this
// computer (copied out of the session record after the call).
struct LoginAnswer {
    int Version = 0;
    bool Varmi = false;
    QString ADI;
    QString SIFRE;
    int AKTIF = 0;
    int MusteriTipi = 0;
};

enum class MessageKind { Uyari, Hata, Bilgi };

enum class LoginOutcome {
    ConnectionFailed, // "Bağlantı Kurulamadı !"
    Unregistered,     // request form shown, process ended
    WrongCredentials, // name or password differ
    Inactive,         // matched but AKTIF != 1 (settings already written)
    SelectionCancelled,
    Accepted,
};

// What the evaluation asks of its surroundings; every hook is optional.
struct LoginHooks {
    std::function<void(int serverVersion)> guncellemeAc;
    std::function<void()> yeniKullaniciIstegi;
    std::function<bool()> cariSecimiYap; // true when the selection ended with OK
    std::function<void()> ayarKaydet;
    std::function<void(const QString &text, MessageKind kind)> failure;
    std::function<void()> accept;
    std::function<void()> terminate; // ends the process with exit code 0
};

inline const QString kBaglantiKurulamadi = QStringLiteral("Bağlantı Kurulamadı !");
inline const QString kHataliGiris = QStringLiteral("Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !");

// Runs the checks after the login call in their fixed order. The comparison
// is exact: no trimming, no case folding.
LoginOutcome evaluateLogin(bool callSucceeded, const LoginAnswer &answer,
                           const QString &adi, const QString &sifre, const LoginHooks &hooks);

// The remembered login, section "kullanici" of ayar.ini.
struct RememberedLogin {
    QString isim;
    QString sifre;
    bool hatirla = true;
};

class LoginSettings {
public:
    explicit LoginSettings(QString iniPath);
    // Default location: ayar.ini in the program's settings folder.
    static QString defaultIniPath();
    const QString &path() const { return m_path; }
    bool exists() const;
    // Values as the file has them; defaults for missing keys.
    RememberedLogin read() const;
    // Writes all three keys whether or not the box is ticked. Returns false
    // when the file cannot be written.
    bool write(const RememberedLogin &value) const;

private:
    QString m_path;
};

} // namespace varo::login

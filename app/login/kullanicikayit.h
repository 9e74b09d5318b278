#pragma once
// The request form: a new-user request from an unknown computer, or a
// password change request from a logged-in user. Both send the same fields;
// only the subject differs.

#include "app/login/loginflow.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace varo::login {

enum class TIstek { tyeni, teski };

// Address data the server keeps for the customer of this computer.
struct CariBilgisi {
    QString ADRES1, ADRES2, ILCE, SEHIR, TEL1, FAX1, VERGIDAIRESI, VERGINO;
};

// The fourteen texts of a request, in the order the server method takes them.
struct IstekAlanlari {
    QString firmaadi, adres1, adres2, ilce, sehir, telefon, fax, vd, vn, yetkili,
        kullaniciadi, sifre, mail, kargoambar;
};

// The first required field that is empty (blanks only count as empty):
// its edit's name and message; nullopt when all are filled.
struct EksikAlan {
    QString alan;
    QString mesaj;
};
std::optional<EksikAlan> ilkBosAlan(const IstekAlanlari &a);

QString istekBasligi(TIstek mode);

// What the form needs of the order server. Each call opens its own
// connection; a false/nullopt answer means the connection could not be
// opened (the backend has reported it). Server errors are thrown.
class IstekSunucusu {
public:
    virtual ~IstekSunucusu() = default;
    virtual std::optional<CariBilgisi> MobilCariBilgisiGetir(int sirano, const QString &idsi) = 0;
    virtual bool MailGonserCari(const QString &idsi, const QString &baslik, const IstekAlanlari &a) = 0;
};

class Tkullanicikayit : public QDialog {
    Q_OBJECT
public:
    using MessageFn = std::function<void(const QString &text, MessageKind kind)>;

    // New-user request.
    static Tkullanicikayit *Yeni(QWidget *owner, std::shared_ptr<IstekSunucusu> server,
                                 MessageFn mesaj = {});
    // Password change request, pre-filled with the user's name and firm and
    // the address data the server has for this computer.
    static Tkullanicikayit *Ac(QWidget *owner, std::shared_ptr<IstekSunucusu> server,
                               const QString &adi, const QString &cariAdi, MessageFn mesaj = {});

    TIstek durum() const { return m_durum; }
    const QString &idsi() const { return m_idsi; }
    IstekAlanlari alanlar() const;

public slots:
    void Button2Click(); // "Gönder"
    void Button1Click(); // "Kapat"

private:
    Tkullanicikayit(QWidget *owner, std::shared_ptr<IstekSunucusu> server, MessageFn mesaj);
    void CariBilgisiDoldur();
    void IstekGonder(const QString &baslik);
    QLineEdit *addEdit(const char *name);
    void notify(const QString &text, MessageKind kind);

    TIstek m_durum = TIstek::tyeni;
    QString m_idsi;
    std::shared_ptr<IstekSunucusu> m_server;
    MessageFn m_mesaj;
    QLabel *m_lblid = nullptr;
    QList<QLineEdit *> m_edits;
};

} // namespace varo::login

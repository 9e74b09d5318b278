#pragma once
// What the main window does right after login, kept apart from the window:
// the rules by customer type and the five steps of the start-up task.

#include <QByteArray>
#include <QIODevice>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace varo::mainwindow {

// --- Adjustments by customer type -----------------------------------------------

struct MusteriAyari {
    bool temsilciGorunumu = false; // "Başka Cari Seç" and the cost/quantity columns
    bool sepetDurumGizli = false;  // basket without the stock state column
    bool kampanyaGizli = false;    // no campaign tab, no campaign column
};

// Three independent rules, in this order: type 1 or 2 or a customer code
// containing "RAZ" (case-sensitive); type 3; type 4.
MusteriAyari musteriAyariHesapla(int musteriTipi, const QString &carikod);

// --- Start-up task ---------------------------------------------------------------

// One opened connection copy with its server method client. Destroying it
// frees the client and closes the copy. Methods throw on server errors.
class AcilisBaglantisi {
public:
    virtual ~AcilisBaglantisi() = default;
    virtual QString KayanYaziGetir() = 0;
    // The picture stream and the size the server announces for it.
    virtual std::unique_ptr<QIODevice> BannerResimVer(qint64 &boyut) = 0;
    virtual int AcilisReklamAdet() = 0;
    virtual int KurlariAl(double &usd, double &eur) = 0;
    // Rows of the balloon table: basket, new, campaign, (unused), balance.
    virtual std::vector<std::vector<QVariant>> BalonGetir() = 0;
};

// Makes a connection copy and opens it with the report flag set; null when
// it could not be opened (the user has already been told). Worker thread.
class AcilisSunucusu {
public:
    virtual ~AcilisSunucusu() = default;
    virtual std::unique_ptr<AcilisBaglantisi> baglan() = 0;
};

// The visible side of the start-up task; always called on the UI thread.
class AcilisArayuzu {
public:
    virtual ~AcilisArayuzu() = default;
    virtual void baslikYaz(const QString &kullanici, const QString &cari, const QString &satici) = 0;
    virtual void kayanYaziYukle(const QString &metin) = 0; // empty: the ticker runs without items
    virtual void bannerYukle(const QByteArray &resim) = 0;
    virtual void rozetYaz(const QString &sayfa, int deger) = 0;
    virtual void kurlariYaz(double usd, double eur, const QString &metin) = 0;
};

struct BaslikBilgisi {
    QString ADI;
    QString CariAdi;
    QString SaticiAdi;
    QString SaticiTelefon;
    QString SaticiMail;
};

QString saticiSatiri(const BaslikBilgisi &b);
// The rates label: blanks exactly as the program has always shown them.
QString kurMetni(double usd, double eur, const QLocale &yerel);
// Reads the announced number of bytes in blocks of 1024 until a short read.
// True only when exactly that many arrived.
bool bannerOku(QIODevice &akis, qint64 boyut, QByteArray &cikti);

// The five steps, run in the body of the start-up task. Every visible change
// is handed to the UI thread and waited for, so the steps keep their order.
class AcilisGorevi {
public:
    // When `bekci` is given and goes away while the body runs, the remaining
    // visible changes are dropped.
    AcilisGorevi(BaslikBilgisi baslik, std::shared_ptr<AcilisSunucusu> sunucu, AcilisArayuzu *arayuz,
                 QObject *bekci = nullptr);

    void calistir(); // body; lets errors of steps 1, 2 and 5 escape
    void BaslikBilgileriYaz();
    void KayanYaziAl();
    void BannerREsimAl();
    void AcilisReklamAdetAl();
    void BalonlariAl();

    int acilisAdet() const { return m_acilisadet; }

private:
    BaslikBilgisi m_baslik;
    std::shared_ptr<AcilisSunucusu> m_sunucu;
    std::unique_ptr<AcilisBaglantisi> baglan();
    void arayuzde(const std::function<void(AcilisArayuzu &)> &is);

    AcilisArayuzu *m_arayuz;
    QPointer<QObject> m_bekci;
    bool m_bekciVar = false;
    int m_acilisadet = 0;
};

} // namespace varo::mainwindow

#include "app/mainwindow/acilis.h"

#include "app/shell/arkaplan.h"
#include "app/shell/cerceve.h"

#include <QLocale>

namespace varo::mainwindow {

MusteriAyari musteriAyariHesapla(int musteriTipi, const QString &carikod)
{
    MusteriAyari a;
    a.temsilciGorunumu = musteriTipi == 1 || musteriTipi == 2 || carikod.contains(QStringLiteral("RAZ"), Qt::CaseSensitive);
    a.sepetDurumGizli = musteriTipi == 3;
    a.kampanyaGizli = musteriTipi == 4;
    return a;
}

QString saticiSatiri(const BaslikBilgisi &b)
{
    return b.SaticiAdi + QStringLiteral(" Telefonu: ") + b.SaticiTelefon + QStringLiteral(" email: ") + b.SaticiMail;
}

QString kurMetni(double usd, double eur, const QLocale &yerel)
{
    QLocale l = yerel;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    const auto yaz = [&l](double v) { return l.toString(v, 'g', QLocale::FloatingPointShortest); };
    return QStringLiteral("           Kurlar: $: ") + yaz(usd) + QStringLiteral("          €: ") + yaz(eur)
           + QStringLiteral("   ");
}

bool bannerOku(QIODevice &akis, qint64 boyut, QByteArray &cikti)
{
    cikti.clear();
    if (boyut == 0)
        return false;
    if (!akis.isOpen() && !akis.open(QIODevice::ReadOnly))
        return false;
    akis.seek(0);
    char blok[1024];
    for (;;) {
        const qint64 n = akis.read(blok, sizeof blok);
        if (n > 0)
            cikti.append(blok, n);
        if (n < qint64(sizeof blok))
            break;
        // Never keep more than was announced plus one block.
        if (cikti.size() > boyut)
            break;
    }
    return cikti.size() == boyut;
}

AcilisGorevi::AcilisGorevi(BaslikBilgisi baslik, std::shared_ptr<AcilisSunucusu> sunucu, AcilisArayuzu *arayuz,
                           QObject *bekci)
    : m_baslik(std::move(baslik)), m_sunucu(std::move(sunucu)), m_arayuz(arayuz), m_bekci(bekci),
      m_bekciVar(bekci != nullptr)
{
}

void AcilisGorevi::arayuzde(const std::function<void(AcilisArayuzu &)> &is)
{
    shell::ArayuzdeCalistir([&] {
        // Checked on the UI thread, where the window could have gone.
        if (m_bekciVar && !m_bekci)
            return;
        is(*m_arayuz);
    });
}

void AcilisGorevi::calistir()
{
    BaslikBilgileriYaz();
    KayanYaziAl();
    BannerREsimAl();
    AcilisReklamAdetAl();
    BalonlariAl();
}

void AcilisGorevi::BaslikBilgileriYaz()
{
    const BaslikBilgisi b = m_baslik;
    arayuzde([&](AcilisArayuzu &a) { a.baslikYaz(b.ADI, b.CariAdi, saticiSatiri(b)); });
}

// A connection for one step; none without a server or when it cannot be reached.
std::unique_ptr<AcilisBaglantisi> AcilisGorevi::baglan()
{
    return m_sunucu ? m_sunucu->baglan() : nullptr;
}

void AcilisGorevi::KayanYaziAl()
{
    QString metin;
    {
        auto baglanti = baglan();
        if (!baglanti)
            return;
        metin = baglanti->KayanYaziGetir();
    }
    // The item keeps the text as received; only the emptiness test trims.
    const QString oge = metin.trimmed().isEmpty() ? QString() : metin;
    arayuzde([&](AcilisArayuzu &a) { a.kayanYaziYukle(oge); });
}

void AcilisGorevi::BannerREsimAl()
{
    auto baglanti = baglan();
    if (!baglanti)
        return;
    try {
        qint64 boyut = 0;
        std::unique_ptr<QIODevice> akis = baglanti->BannerResimVer(boyut);
        QByteArray resim;
        if (akis && bannerOku(*akis, boyut, resim))
            arayuzde([&](AcilisArayuzu &a) { a.bannerYukle(resim); });
    } catch (...) {
        // A missing banner is no reason to bother the user.
    }
}

void AcilisGorevi::AcilisReklamAdetAl()
{
    m_acilisadet = 0;
    auto baglanti = baglan();
    if (!baglanti)
        return;
    try {
        m_acilisadet = baglanti->AcilisReklamAdet();
        const int adet = m_acilisadet;
        arayuzde([&](AcilisArayuzu &a) { a.rozetYaz(QStringLiteral("sTabSheetduyuru"), adet); });
        double usd = 0, eur = 0;
        baglanti->KurlariAl(usd, eur);
        arayuzde([&](AcilisArayuzu &a) { a.kurlariYaz(usd, eur, kurMetni(usd, eur, QLocale())); });
    } catch (...) {
        m_acilisadet = 0;
    }
}

void AcilisGorevi::BalonlariAl()
{
    auto baglanti = baglan();
    if (!baglanti)
        return;
    const auto satirlar = baglanti->BalonGetir();
    baglanti.reset();
    for (const auto &s : satirlar) {
        const auto tam = [&s](int i) { return i < int(s.size()) ? s[std::size_t(i)].toInt() : 0; };
        const int sepet = tam(0), yeni = tam(1), kampanya = tam(2);
        const int bakiye = s.size() > 4 ? shell::rozetDegeri(s[4].toDouble()) : 0;
        arayuzde([&](AcilisArayuzu &a) {
            a.rozetYaz(QStringLiteral("ssepet"), sepet);
            a.rozetYaz(QStringLiteral("syeniler"), yeni);
            a.rozetYaz(QStringLiteral("skampanyali"), kampanya);
            a.rozetYaz(QStringLiteral("sTabbakiyeler"), bakiye);
        });
    }
}

} // namespace varo::mainwindow

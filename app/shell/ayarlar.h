#pragma once
// The settings folder and ayar.ini, which holds only the remembered login.

#include <QString>

namespace varo::shell {

// `varodilva` in the user's configuration folder, created when missing; no
// trailing separator.
QString AyarKlasoru();
QString AyarDosyasi(); // AyarKlasoru() + "/ayar.ini"

struct KullaniciAyari {
    QString isim;
    QString sifre;
    bool hatirla = true;
};

// Missing file or keys give the defaults (empty name and password, box ticked).
KullaniciAyari AyarOku(const QString &dosya = AyarDosyasi());
// Writes the section "kullanici" with "isim", "sifre" and "hatırla" ("1"/"0").
// The file holds a password, so only its owner may read it. False when it
// cannot be written.
bool AyarKaydet(const KullaniciAyari &ayar, const QString &dosya = AyarDosyasi());

} // namespace varo::shell

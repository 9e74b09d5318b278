#include "app/shell/ayarlar.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

namespace varo::shell {

namespace {
const QString kBolum = QStringLiteral("kullanici");
const QString kHatirla = QStringLiteral("hatırla");
// Written by some INI writers with the Turkish letter escaped.
const QString kHatirlaKacisli = QStringLiteral("hat%u0131rla");
} // namespace

QString AyarKlasoru()
{
    const QString taban = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString klasor = taban + QStringLiteral("/varodilva");
    QDir().mkpath(klasor); // a failure shows up when the file is written
    return klasor;
}

QString AyarDosyasi() { return AyarKlasoru() + QStringLiteral("/ayar.ini"); }

KullaniciAyari AyarOku(const QString &dosya)
{
    KullaniciAyari a;
    QFile f(dosya);
    if (!f.open(QIODevice::ReadOnly))
        return a;
    QString metin = QString::fromUtf8(f.readAll());
    if (metin.startsWith(QChar(0xfeff)))
        metin.remove(0, 1);
    QHash<QString, QString> degerler;
    bool icinde = false;
    for (QString satir : metin.split(QLatin1Char('\n'))) {
        satir = satir.trimmed();
        if (satir.isEmpty() || satir.startsWith(QLatin1Char(';')))
            continue;
        if (satir.startsWith(QLatin1Char('[')) && satir.endsWith(QLatin1Char(']'))) {
            icinde = satir.mid(1, satir.size() - 2).trimmed().compare(kBolum, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype esit = satir.indexOf(QLatin1Char('='));
        if (!icinde || esit <= 0)
            continue;
        QString anahtar = satir.left(esit).trimmed().toLower();
        if (anahtar == kHatirlaKacisli)
            anahtar = kHatirla;
        degerler.insert(anahtar, satir.mid(esit + 1).trimmed());
    }
    a.isim = degerler.value(QStringLiteral("isim"));
    a.sifre = degerler.value(QStringLiteral("sifre"));
    if (degerler.contains(kHatirla)) {
        const QString v = degerler.value(kHatirla);
        bool ok = false;
        const int n = v.toInt(&ok);
        if (ok)
            a.hatirla = n != 0;
        else
            a.hatirla = v.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
    }
    return a;
}

bool AyarKaydet(const KullaniciAyari &ayar, const QString &dosya)
{
    const QFileDevice::Permissions sahip = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile f(dosya);
    // Tighten an existing file before the password goes in.
    if (f.exists() && !f.setPermissions(sahip))
        return false;
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate, sahip))
        return false;
    const QString metin = QStringLiteral("[kullanici]\r\nisim=") + ayar.isim + QStringLiteral("\r\nsifre=") + ayar.sifre
                          + QStringLiteral("\r\n") + kHatirla + QLatin1Char('=')
                          + (ayar.hatirla ? QLatin1Char('1') : QLatin1Char('0')) + QStringLiteral("\r\n");
    const QByteArray veri = metin.toUtf8();
    return f.write(veri) == veri.size() && f.flush();
}

} // namespace varo::shell

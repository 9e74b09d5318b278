#include "app/login/loginflow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

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

namespace {
Terminator &terminatorRef()
{
    static Terminator t;
    return t;
}
} // namespace

void setTerminator(Terminator t) { terminatorRef() = std::move(t); }

void terminateProcessNow(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

void endProcess(int code)
{
    if (terminatorRef())
        terminatorRef()(code);
    else
        terminateProcessNow(code);
}

// --- ayar.ini --------------------------------------------------------------
// A plain INI file, UTF-8, keys written as they are (the key "hatırla" has a
// Turkish letter, which QSettings would escape).

namespace {
const QString kSection = QStringLiteral("kullanici");

QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.split(QLatin1Char('\n'));
}

bool isSectionLine(const QString &line, QString *name)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

// Section and key names compare without regard to case, as INI files do.
QHash<QString, QString> sectionValues(const QStringList &lines, const QString &section)
{
    QHash<QString, QString> values;
    bool inside = false;
    for (const QString &line : lines) {
        QString name;
        if (isSectionLine(line, &name)) {
            inside = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inside)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        values.insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
    }
    return values;
}

bool toBool(const QString &v, bool def)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok)
        return n != 0;
    if (v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (v.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return def;
}
} // namespace

LoginSettings::LoginSettings(QString iniPath) : m_path(std::move(iniPath)) {}

QString LoginSettings::defaultIniPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/varodilva/ayar.ini");
}

bool LoginSettings::exists() const { return QFileInfo::exists(m_path); }

RememberedLogin LoginSettings::read() const
{
    RememberedLogin r;
    const auto values = sectionValues(readLines(m_path), kSection);
    r.hatirla = toBool(values.value(QStringLiteral("hatırla")), true);
    r.isim = values.value(QStringLiteral("isim"));
    r.sifre = values.value(QStringLiteral("sifre"));
    return r;
}

bool LoginSettings::write(const RememberedLogin &value) const
{
    QStringList lines = readLines(m_path);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    const QList<QPair<QString, QString>> keys = {
        {QStringLiteral("isim"), value.isim},
        {QStringLiteral("sifre"), value.sifre},
        {QStringLiteral("hatırla"), value.hatirla ? QStringLiteral("1") : QStringLiteral("0")},
    };
    // Find the section; replace keys in place, append the missing ones at its end.
    qsizetype start = -1, end = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name;
        if (isSectionLine(lines.at(i), &name)) {
            if (start >= 0) {
                end = i;
                break;
            }
            if (name.compare(kSection, Qt::CaseInsensitive) == 0)
                start = i;
        }
    }
    if (start < 0) {
        if (!lines.isEmpty())
            lines << QString();
        lines << QLatin1Char('[') + kSection + QLatin1Char(']');
        start = lines.size() - 1;
        end = lines.size();
    }
    for (const auto &[key, val] : keys) {
        bool done = false;
        for (qsizetype i = start + 1; i < end; ++i) {
            const qsizetype eq = lines.at(i).indexOf(QLatin1Char('='));
            if (eq > 0 && lines.at(i).left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = key + QLatin1Char('=') + val;
                done = true;
                break;
            }
        }
        if (!done) {
            lines.insert(end, key + QLatin1Char('=') + val);
            ++end;
        }
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    return f.commit();
}

} // namespace varo::login

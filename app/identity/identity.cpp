#include "app/identity/identity.h"

#include <QRegularExpression>
#include <QStringList>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace varo::identity {

namespace {

std::atomic<IdentitySources *> g_sources{nullptr};

bool isBlank(QChar c) { return c.unicode() <= 0x20; }

// Drops blanks and control characters at both ends, the way the serials
// arrive padded from the drives.
QString trimBlanks(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s.at(b)))
        ++b;
    while (e > b && isBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

QString removeBlanks(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s)
        if (!isBlank(c))
            out.append(c);
    return out;
}

QString macText(const QByteArray &a)
{
    QStringList parts;
    for (int i = 0; i < 6; ++i) {
        const auto b = i < a.size() ? static_cast<unsigned char>(a.at(i)) : 0u;
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return parts.join(QLatin1Char('-'));
}

const QString kZeroMac = QStringLiteral("00-00-00-00-00-00");

// Windows-style name buffers hold 16 characters including the terminator.
QString fitName(const QString &name) { return name.size() >= 16 ? QString() : name; }

} // namespace

void setIdentitySources(IdentitySources *sources) { g_sources.store(sources); }

IdentitySources &currentSources()
{
    IdentitySources *s = g_sources.load();
    return s ? *s : systemSources();
}

SerialMap parseSerialMap(const QString &text)
{
    SerialMap map;
    static const QRegularExpression separators(QStringLiteral("[;,]"));
    for (const QString &pair : text.split(separators, Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString from = pair.left(eq).trimmed();
        const QString to = pair.mid(eq + 1).trimmed();
        if (!from.isEmpty())
            map.insert(from, to);
    }
    return map;
}

const SerialMap &fixedSerials()
{
#ifdef VARO_FIXED_SERIALS
    static const SerialMap map = parseSerialMap(QStringLiteral(VARO_FIXED_SERIALS));
#else
    static const SerialMap map;
#endif
    return map;
}

QString WmiDiskSeriNo(IdentitySources &s)
{
    // Upper case but untrimmed: the caller trims.
    return s.deviceDatabaseDiskSerial().toUpper();
}

QString DiskBilgisiSeriNo(IdentitySources &s, int attempt)
{
    // The second attempt names drive 1 first but then selects drive number 0,
    // which wins: it is a repeated read of drive 0, kept because a drive that
    // did not answer the first time sometimes answers the second.
    Q_UNUSED(attempt);
    const int driveNumber = 0;
    const QString serial = trimBlanks(s.driveSerial(driveNumber)).toUpper();
    return serial.size() < 4 ? QString() : serial;
}

QString MacAdresiAl(IdentitySources &s)
{
    const QList<QByteArray> adapters = s.adapterAddresses();
    QString result;
    for (const QByteArray &address : adapters) {
        if (!address.isEmpty())
            result = macText(address);
        // A failed query leaves the result as it was; only an all-zero
        // address lets the walk go on to the next adapter.
        if (result != kZeroMac)
            break;
    }
    return result;
}

QString BilgisayarIdAl(IdentitySources &s, const SerialMap &fixed)
{
    QString r;
    try {
        r = trimBlanks(WmiDiskSeriNo(s));
    } catch (...) {
        r.clear();
    }
    if (r.isEmpty()) {
        try {
            r = DiskBilgisiSeriNo(s, 1);
        } catch (...) {
            r.clear();
        }
    }
    if (r.isEmpty()) {
        try {
            r = DiskBilgisiSeriNo(s, 2);
        } catch (...) {
            r.clear();
        }
    }
    if (trimBlanks(r).isEmpty()) {
        try {
            r = trimBlanks(MacAdresiAl(s));
        } catch (...) {
            r.clear();
        }
    }
    r = removeBlanks(r);
    const auto it = fixed.constFind(r);
    if (it != fixed.constEnd())
        r = it.value();
    return r;
}

QString BilgisayarAdiAl(IdentitySources &s)
{
    try {
        return fitName(s.computerName());
    } catch (...) {
        return {};
    }
}

QString KullaniciAdiAl(IdentitySources &s)
{
    try {
        return fitName(s.userName());
    } catch (...) {
        return {};
    }
}

QString IcIpAl(IdentitySources &s)
{
    QString ip;
    try {
        ip = s.hostIpv4();
    } catch (...) {
        ip.clear();
    }
    return ip.isEmpty() ? QStringLiteral("127.0.0.1") : ip;
}

QString BilgisayarIdAl() { return BilgisayarIdAl(currentSources(), fixedSerials()); }
QString BilgisayarAdiAl() { return BilgisayarAdiAl(currentSources()); }
QString KullaniciAdiAl() { return KullaniciAdiAl(currentSources()); }
QString IcIpAl() { return IcIpAl(currentSources()); }
QString DisIpAl() { return QStringLiteral("127.0.0.1"); }

int printComputerIdIfAsked(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && std::strcmp(argv[i], "--print-computer-id") == 0) {
            const QByteArray id = BilgisayarIdAl().toUtf8();
            std::fwrite(id.constData(), 1, static_cast<size_t>(id.size()), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
            return 0;
        }
    }
    return -1;
}

} // namespace varo::identity

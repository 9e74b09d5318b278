#pragma once
// Who this computer is. The identifier is what the order server knows a
// registered computer by, so it must come out the same on every run on the
// same hardware. Every platform source sits behind IdentitySources so tests
// can inject values; nothing is cached between calls.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <stdexcept>

namespace varo::identity {

// Raised by a source that cannot be reached at all (as opposed to one that
// answers with nothing).
class SourceUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IdentitySources {
public:
    virtual ~IdentitySources() = default;
    // Serial of the first physical disk as the device database reports it;
    // empty when the disk has none. Throws SourceUnavailable when the
    // database itself cannot be read.
    virtual QString deviceDatabaseDiskSerial() = 0;
    // The drive's own identify/inquiry serial, read by drive number; empty
    // when no method answers. May throw.
    virtual QString driveSerial(int driveNumber) = 0;
    // Hardware addresses of the network adapters in adapter order. An empty
    // entry stands for an adapter whose status query failed.
    virtual QList<QByteArray> adapterAddresses() = 0;
    virtual QString computerName() = 0;
    virtual QString userName() = 0;
    // First IPv4 address the host name resolves to, empty when none.
    virtual QString hostIpv4() = 0;
};

// The real sources of this machine (sysfs/udev, drive ioctls, network
// interfaces, host and user names).
IdentitySources &systemSources();

// Where the system sources look for disks; tests point them at a tree of
// their own.
struct SystemPaths {
    QString sysBlock = QStringLiteral("/sys/block");
    QString udevData = QStringLiteral("/run/udev/data");
    QString dev = QStringLiteral("/dev");
};
std::unique_ptr<IdentitySources> makeSystemSources(const SystemPaths &paths);

// Replaces the sources the argument-less functions use; nullptr restores the
// system sources. Meant for tests and diagnostics.
void setIdentitySources(IdentitySources *sources);
IdentitySources &currentSources();

// Disk serials that must identify as a fixed computer, FROM -> TO. Read from
// the build setting "FROM=TO;FROM=TO".
using SerialMap = QHash<QString, QString>;
SerialMap parseSerialMap(const QString &text);
const SerialMap &fixedSerials();

QString WmiDiskSeriNo(IdentitySources &s);
QString DiskBilgisiSeriNo(IdentitySources &s, int attempt); // attempt 1 or 2
QString MacAdresiAl(IdentitySources &s);
QString BilgisayarIdAl(IdentitySources &s, const SerialMap &fixed);
QString BilgisayarAdiAl(IdentitySources &s);
QString KullaniciAdiAl(IdentitySources &s);
QString IcIpAl(IdentitySources &s);

QString BilgisayarIdAl();
QString BilgisayarAdiAl();
QString KullaniciAdiAl();
QString IcIpAl();
QString DisIpAl();

// Prints the computer identifier and returns 0 when the arguments ask for it
// with --print-computer-id; returns -1 otherwise so the caller goes on.
int printComputerIdIfAsked(int argc, char **argv);

} // namespace varo::identity

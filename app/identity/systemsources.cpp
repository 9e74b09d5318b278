// The identity sources of a Linux machine.
#include "app/identity/identity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QSysInfo>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <linux/hdreg.h>
#include <linux/nvme_ioctl.h>
#include <pwd.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace varo::identity {

namespace {

// Whole physical disks in a stable order (first one is "drive 0"): block
// devices backed by a device, without loop, ram, mapper, md, optical and
// floppy devices.
QStringList physicalDisks(const SystemPaths &paths)
{
    QDir dir(paths.sysBlock);
    if (!dir.exists())
        throw SourceUnavailable("the block device list is not available");
    QStringList disks;
    static const char *const skip[] = {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"};
    const QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString &name : entries) {
        if (std::any_of(std::begin(skip), std::end(skip),
                        [&](const char *p) { return name.startsWith(QLatin1String(p)); }))
            continue;
        if (!QFileInfo::exists(dir.filePath(name + QStringLiteral("/device"))))
            continue;
        disks << name;
    }
    // nvme and sd disks first, as the system numbers its boot drives, then the rest.
    std::stable_sort(disks.begin(), disks.end(), [](const QString &a, const QString &b) {
        auto rank = [](const QString &n) {
            if (n.startsWith(QLatin1String("nvme"))) return 0;
            if (n.startsWith(QLatin1String("sd")) || n.startsWith(QLatin1String("hd"))) return 1;
            return 2;
        };
        const int ra = rank(a), rb = rank(b);
        if (ra != rb) return ra < rb;
        if (a.size() != b.size()) return a.size() < b.size();
        return a < b;
    });
    return disks;
}

QByteArray readSmallFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(4096);
}

QString printable(const QByteArray &bytes)
{
    QString out;
    for (char c : bytes)
        if (c >= 0x20 && c < 0x7f)
            out.append(QLatin1Char(c));
    return out;
}

// VPD page 0x80: 4-byte header, then the serial, its length in byte 3.
QString vpd80Serial(const QByteArray &page)
{
    if (page.size() < 4 || static_cast<unsigned char>(page.at(1)) != 0x80)
        return {};
    const int len = static_cast<unsigned char>(page.at(3));
    return printable(page.mid(4, len)).trimmed();
}

QString udevSerial(const SystemPaths &paths, const QString &disk)
{
    const QByteArray dev = readSmallFile(paths.sysBlock + QStringLiteral("/%1/dev").arg(disk)).trimmed();
    if (dev.isEmpty())
        return {};
    QFile f(paths.udevData + QStringLiteral("/b") + QString::fromLatin1(dev));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QTextStream in(&f);
    QString shortSerial, serial;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1String("E:ID_SERIAL_SHORT=")))
            shortSerial = line.mid(18);
        else if (line.startsWith(QLatin1String("E:ID_SERIAL=")))
            serial = line.mid(12);
    }
    return shortSerial.isEmpty() ? serial : shortSerial;
}

QString sysfsSerial(const SystemPaths &paths, const QString &disk)
{
    const QString base = paths.sysBlock + QStringLiteral("/%1/device/").arg(disk);
    QString s = printable(readSmallFile(base + QStringLiteral("serial"))).trimmed();
    if (s.isEmpty())
        s = vpd80Serial(readSmallFile(base + QStringLiteral("vpd_pg80")));
    return s;
}

// ATA identify data; serial_no is 20 bytes of ASCII.
QString ataIdentifySerial(int fd)
{
    struct hd_driveid id;
    std::memset(&id, 0, sizeof id);
    if (ioctl(fd, HDIO_GET_IDENTITY, &id) != 0)
        return {};
    return printable(QByteArray(reinterpret_cast<const char *>(id.serial_no), sizeof id.serial_no)).trimmed();
}

// SCSI INQUIRY with EVPD for the unit serial number page.
QString scsiInquirySerial(int fd)
{
    unsigned char cdb[6] = {0x12, 0x01, 0x80, 0x00, 0xff, 0x00};
    unsigned char buf[255];
    unsigned char sense[32];
    std::memset(buf, 0, sizeof buf);
    sg_io_hdr_t io;
    std::memset(&io, 0, sizeof io);
    io.interface_id = 'S';
    io.cmd_len = sizeof cdb;
    io.cmdp = cdb;
    io.dxfer_direction = SG_DXFER_FROM_DEV;
    io.dxfer_len = sizeof buf;
    io.dxferp = buf;
    io.mx_sb_len = sizeof sense;
    io.sbp = sense;
    io.timeout = 5000;
    if (ioctl(fd, SG_IO, &io) != 0 || (io.info & SG_INFO_OK_MASK) != SG_INFO_OK)
        return {};
    return vpd80Serial(QByteArray(reinterpret_cast<const char *>(buf), sizeof buf));
}

// NVMe identify controller; the serial is bytes 4..23.
QString nvmeIdentifySerial(int fd)
{
    unsigned char data[4096];
    std::memset(data, 0, sizeof data);
    struct nvme_admin_cmd cmd;
    std::memset(&cmd, 0, sizeof cmd);
    cmd.opcode = 0x06;
    cmd.addr = reinterpret_cast<unsigned long long>(data);
    cmd.data_len = sizeof data;
    cmd.cdw10 = 1;
    if (ioctl(fd, NVME_IOCTL_ADMIN_CMD, &cmd) != 0)
        return {};
    return printable(QByteArray(reinterpret_cast<const char *>(data) + 4, 20)).trimmed();
}

class LinuxSources final : public IdentitySources {
public:
    explicit LinuxSources(SystemPaths paths = {}) : m_paths(std::move(paths)) {}

    QString deviceDatabaseDiskSerial() override
    {
        const QStringList disks = physicalDisks(m_paths);
        if (disks.isEmpty())
            return {};
        QString s = udevSerial(m_paths, disks.first());
        if (s.isEmpty())
            s = sysfsSerial(m_paths, disks.first());
        return s;
    }

    QString driveSerial(int driveNumber) override
    {
        QStringList disks;
        try {
            disks = physicalDisks(m_paths);
        } catch (...) {
            return {};
        }
        if (driveNumber < 0 || driveNumber >= disks.size())
            return {};
        const QString disk = disks.at(driveNumber);
        // The drive's own answer first, each method in turn; the device
        // node usually needs privileges, so the last method reads what the
        // kernel already learnt from the drive without opening it.
        const QByteArray node = QFile::encodeName(m_paths.dev + QLatin1Char('/') + disk);
        const int fd = ::open(node.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            QString s = ataIdentifySerial(fd);
            if (s.isEmpty())
                s = scsiInquirySerial(fd);
            if (s.isEmpty() && disk.startsWith(QLatin1String("nvme")))
                s = nvmeIdentifySerial(fd);
            ::close(fd);
            if (!s.isEmpty())
                return s;
        }
        return sysfsSerial(m_paths, disk);
    }

    QList<QByteArray> adapterAddresses() override
    {
        QList<QByteArray> out;
        const auto ifaces = QNetworkInterface::allInterfaces();
        for (const QNetworkInterface &nic : ifaces) {
            const QString hw = nic.hardwareAddress();
            const QStringList parts = hw.split(QLatin1Char(':'));
            if (parts.size() != 6)
                continue; // not a LAN adapter (tunnels, CAN, ...)
            QByteArray bytes;
            bool ok = true;
            for (const QString &p : parts) {
                bytes.append(static_cast<char>(p.toUInt(&ok, 16)));
                if (!ok)
                    break;
            }
            out << (ok ? bytes : QByteArray());
        }
        return out;
    }

    QString computerName() override
    {
        QString name = QSysInfo::machineHostName();
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        if (dot > 0)
            name.truncate(dot);
        return name;
    }

    QString userName() override
    {
        if (const passwd *pw = getpwuid(geteuid()))
            return QString::fromLocal8Bit(pw->pw_name);
        return QString::fromLocal8Bit(qgetenv("USER"));
    }

    QString hostIpv4() override
    {
        const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
        for (const QHostAddress &a : info.addresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol)
                return a.toString();
        return {};
    }

private:
    SystemPaths m_paths;
};

} // namespace

IdentitySources &systemSources()
{
    static LinuxSources sources;
    return sources;
}

std::unique_ptr<IdentitySources> makeSystemSources(const SystemPaths &paths)
{
    return std::make_unique<LinuxSources>(paths);
}

} // namespace varo::identity

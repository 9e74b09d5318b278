#include "app/identity/identity.h"

#include <QtTest>

using namespace varo::identity;

namespace {

// Canned answers; a "!" value makes the source throw.
class FakeSources : public IdentitySources {
public:
    QString wmi;
    QStringList driveAnswers; // one per driveSerial call, last one repeats
    QList<QByteArray> adapters;
    bool adaptersThrow = false;
    QString name, user, ip;
    QList<int> drivesAsked;

    QString deviceDatabaseDiskSerial() override
    {
        if (wmi == QLatin1String("!"))
            throw SourceUnavailable("no device database");
        return wmi;
    }
    QString driveSerial(int drive) override
    {
        drivesAsked << drive;
        if (driveAnswers.isEmpty())
            return {};
        const QString a = driveAnswers.size() > 1 ? driveAnswers.takeFirst() : driveAnswers.first();
        if (a == QLatin1String("!"))
            throw std::runtime_error("drive does not answer");
        return a;
    }
    QList<QByteArray> adapterAddresses() override
    {
        if (adaptersThrow)
            throw std::runtime_error("no adapters");
        return adapters;
    }
    QString computerName() override { return name; }
    QString userName() override { return user; }
    QString hostIpv4() override { return ip; }
};

QByteArray mac(std::initializer_list<int> bytes)
{
    QByteArray a;
    for (int b : bytes)
        a.append(static_cast<char>(b));
    return a;
}

const QByteArray kZero = mac({0, 0, 0, 0, 0, 0});
const QByteArray kReal = mac({0x0a, 0x1b, 0x2c, 0xd3, 0xe4, 0xf5});

QString trimBlanksForTest(const QString &s) { return s.trimmed(); }

} // namespace

class TstIdentity : public QObject {
    Q_OBJECT
private slots:
    void identifier_data();
    void identifier();
    void secondAttemptRereadsDriveZero();
    void fixedSerialMapping();
    void names_data();
    void names();
    void addresses();
    void printOption();
    void diskTree_data();
    void diskTree();
};

void TstIdentity::identifier_data()
{
    QTest::addColumn<QString>("wmi");
    QTest::addColumn<QStringList>("drive");
    QTest::addColumn<QList<QByteArray>>("adapters");
    QTest::addColumn<bool>("adaptersThrow");
    QTest::addColumn<QString>("expected");

    const QList<QByteArray> none;
    QTest::newRow("database serial lower case with blanks")
        << "  wd-wx31a 9 ab  " << QStringList() << QList<QByteArray>{kReal} << false << "WD-WX31A9AB";
    QTest::newRow("database serial wins over drive and mac")
        << "S3Z1NB0K" << QStringList{"OTHER123"} << QList<QByteArray>{kReal} << false << "S3Z1NB0K";
    QTest::newRow("database unavailable, drive answers")
        << "!" << QStringList{"  zx 12 34 "} << none << false << "ZX1234";
    QTest::newRow("database blank, drive answers")
        << "   " << QStringList{"QM00001"} << none << false << "QM00001";
    QTest::newRow("drive serial too short falls back to mac")
        << "" << QStringList{"AB"} << QList<QByteArray>{kReal} << false << "0A-1B-2C-D3-E4-F5";
    QTest::newRow("drive serial of four characters counts")
        << "" << QStringList{" ab1c "} << QList<QByteArray>{kReal} << false << "AB1C";
    QTest::newRow("drive throws falls back to mac")
        << "!" << QStringList{"!"} << QList<QByteArray>{kReal} << false << "0A-1B-2C-D3-E4-F5";
    QTest::newRow("first adapter all zero, second real")
        << "" << QStringList() << QList<QByteArray>{kZero, kReal} << false << "0A-1B-2C-D3-E4-F5";
    QTest::newRow("only all-zero adapters")
        << "" << QStringList() << QList<QByteArray>{kZero, kZero} << false << "00-00-00-00-00-00";
    QTest::newRow("failed first adapter query ends the walk")
        << "" << QStringList() << QList<QByteArray>{QByteArray(), kReal} << false << "";
    QTest::newRow("failed query after zero keeps walking")
        << "" << QStringList() << QList<QByteArray>{kZero, QByteArray(), kReal} << false << "0A-1B-2C-D3-E4-F5";
    QTest::newRow("every source fails")
        << "!" << QStringList{"!"} << none << true << "";
    QTest::newRow("no adapters at all")
        << "" << QStringList() << none << false << "";
}

void TstIdentity::identifier()
{
    QFETCH(QString, wmi);
    QFETCH(QStringList, drive);
    QFETCH(QList<QByteArray>, adapters);
    QFETCH(bool, adaptersThrow);
    QFETCH(QString, expected);
    FakeSources s;
    s.wmi = wmi;
    s.driveAnswers = drive;
    s.adapters = adapters;
    s.adaptersThrow = adaptersThrow;
    QCOMPARE(BilgisayarIdAl(s, {}), expected);
}

void TstIdentity::secondAttemptRereadsDriveZero()
{
    // A drive that answers only on the second read still gives its serial,
    // and both reads go to drive 0.
    FakeSources s;
    s.wmi = QString();
    s.driveAnswers = {QString(), QStringLiteral("late-serial")};
    s.adapters = {kReal};
    QCOMPARE(BilgisayarIdAl(s, {}), QStringLiteral("LATE-SERIAL"));
    QCOMPARE(s.drivesAsked, (QList<int>{0, 0}));
}

void TstIdentity::fixedSerialMapping()
{
    const SerialMap map = parseSerialMap(QStringLiteral("S1ABCDEFGHIJKLM=100200300400; S2ABCDEFGHIJKLM = 100200300400;broken;=x"));
    QCOMPARE(map.size(), 2);
    QCOMPARE(parseSerialMap(QStringLiteral("A1=X,B2=Y")).size(), 2);
    // The build setting's map, whatever it holds, is applied by the plain call.
    for (auto it = fixedSerials().cbegin(); it != fixedSerials().cend(); ++it) {
        FakeSources f;
        f.wmi = it.key();
        setIdentitySources(&f);
        QCOMPARE(BilgisayarIdAl(), it.value());
        setIdentitySources(nullptr);
    }
    FakeSources s;
    s.wmi = QStringLiteral(" s2abcdefghijklm");
    QCOMPARE(BilgisayarIdAl(s, map), QStringLiteral("100200300400"));
    s.wmi = QStringLiteral("S3ABCDEFGHIJKLM");
    QCOMPARE(BilgisayarIdAl(s, map), QStringLiteral("S3ABCDEFGHIJKLM"));
    QVERIFY(parseSerialMap(QString()).isEmpty());
}

void TstIdentity::names_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short") << "ALI" << "ALI";
    QTest::newRow("15 characters") << "ABCDEFGHIJKLMNO" << "ABCDEFGHIJKLMNO";
    QTest::newRow("16 characters") << "ABCDEFGHIJKLMNOP" << "";
    QTest::newRow("longer") << "ABCDEFGHIJKLMNOPQRSTU" << "";
}

void TstIdentity::names()
{
    QFETCH(QString, raw);
    QFETCH(QString, expected);
    FakeSources s;
    s.user = raw;
    s.name = raw;
    QCOMPARE(KullaniciAdiAl(s), expected);
    QCOMPARE(BilgisayarAdiAl(s), expected);
}

void TstIdentity::addresses()
{
    FakeSources s;
    s.ip = QStringLiteral("192.168.1.20");
    QCOMPARE(IcIpAl(s), QStringLiteral("192.168.1.20"));
    s.ip.clear();
    QCOMPARE(IcIpAl(s), QStringLiteral("127.0.0.1"));
    QCOMPARE(DisIpAl(), QStringLiteral("127.0.0.1"));
}

void TstIdentity::printOption()
{
    FakeSources s;
    s.wmi = QStringLiteral("abc 123");
    setIdentitySources(&s);
    char prog[] = "varodilva";
    char other[] = "--other";
    char *plain[] = {prog, other};
    QCOMPARE(printComputerIdIfAsked(2, plain), -1);
    QCOMPARE(BilgisayarIdAl(), QStringLiteral("ABC123"));
    setIdentitySources(nullptr);
    // The real machine's sources must not crash whatever they find.
    (void)BilgisayarIdAl();
    QVERIFY(!IcIpAl().isEmpty());
}

// A small /sys/block and udev database, one entry per file: "path=content";
// a path ending in "/" is a folder.
void TstIdentity::diskTree_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("drive0");

    const QByteArray vpd = QByteArray("\x00\x80\x00\x0c", 4) + "  Z4Y0ABCD  ";
    QTest::newRow("udev short serial wins")
        << QStringList{"sys/sda/device/", "sys/sda/dev=8:0", "sys/sda/device/vpd_pg80=" + QString::fromLatin1(vpd),
                       "udev/b8:0=E:ID_SERIAL=WDC_WD10_Z4Y0ABCD\nE:ID_SERIAL_SHORT=udev0001\n"}
        << "UDEV0001" << "Z4Y0ABCD";
    QTest::newRow("no udev record, vpd page read")
        << QStringList{"sys/sda/device/", "sys/sda/dev=8:0", "sys/sda/device/vpd_pg80=" + QString::fromLatin1(vpd)}
        << "Z4Y0ABCD" << "Z4Y0ABCD";
    QTest::newRow("nvme before sd, loop and mapper skipped")
        << QStringList{"sys/loop0/device/", "sys/loop0/device/serial=LOOPSERIAL", "sys/dm-0/device/",
                       "sys/sdb/device/", "sys/sdb/device/serial=SDBSERIAL",
                       "sys/nvme0n1/device/", "sys/nvme0n1/device/serial=  S4EWNX0  "}
        << "S4EWNX0" << "S4EWNX0";
    QTest::newRow("virtual disk without serial")
        << QStringList{"sys/vda/device/", "sys/vda/dev=254:0", "sys/ram0/"}
        << "" << "";
    QTest::newRow("no disks at all")
        << QStringList{"sys/loop1/"} << "" << "";
    QTest::newRow("no block device list")
        << QStringList{"other/"} << "!" << "";
}

void TstIdentity::diskTree()
{
    QFETCH(QStringList, files);
    QFETCH(QString, database);
    QFETCH(QString, drive0);
    QTemporaryDir dir;
    for (const QString &spec : files) {
        const qsizetype eq = spec.indexOf(QLatin1Char('='));
        const QString rel = eq < 0 ? spec : spec.left(eq);
        const QString path = dir.filePath(rel);
        if (rel.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir().mkpath(path));
            continue;
        }
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QString content = spec.mid(eq + 1);
        f.write(content.toLatin1());
    }
    SystemPaths paths;
    paths.sysBlock = dir.filePath(QStringLiteral("sys"));
    paths.udevData = dir.filePath(QStringLiteral("udev"));
    paths.dev = dir.filePath(QStringLiteral("dev"));
    auto sources = makeSystemSources(paths);
    if (database == QLatin1String("!")) {
        QVERIFY_THROWS_EXCEPTION(SourceUnavailable, WmiDiskSeriNo(*sources));
    } else {
        QCOMPARE(trimBlanksForTest(WmiDiskSeriNo(*sources)), database);
    }
    QCOMPARE(DiskBilgisiSeriNo(*sources, 1), drive0);
    QCOMPARE(sources->driveSerial(7), QString());
}

QTEST_GUILESS_MAIN(TstIdentity)
#include "tst_identity.moc"

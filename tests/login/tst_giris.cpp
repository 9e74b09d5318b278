#include "app/identity/identity.h"
#include "app/login/giris.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/support/modaldriver.h"

using namespace varo::login;

namespace {

class FixedSources : public varo::identity::IdentitySources {
public:
    QString deviceDatabaseDiskSerial() override { return QStringLiteral("DISK0001"); }
    QString driveSerial(int) override { return {}; }
    QList<QByteArray> adapterAddresses() override { return {}; }
    QString computerName() override { return QStringLiteral("PC"); }
    QString userName() override { return QStringLiteral("user"); }
    QString hostIpv4() override { return {}; }
};

using varo::testsupport::ModalDriver;

class NullRequests : public IstekSunucusu {
public:
    std::optional<CariBilgisi> MobilCariBilgisiGetir(int, const QString &) override { return std::nullopt; }
    bool MailGonserCari(const QString &, const QString &, const IstekAlanlari &) override { return true; }
};

LoginAnswer account(int version, bool varmi, int tip = 0)
{
    LoginAnswer a;
    a.Version = version;
    a.Varmi = varmi;
    a.ADI = QStringLiteral("ALI");
    a.SIFRE = QStringLiteral("ZZ");
    a.AKTIF = 1;
    a.MusteriTipi = tip;
    return a;
}

void clickLogin(QWidget *w) { w->findChild<QPushButton *>(QStringLiteral("Button1"))->click(); }

} // namespace

class TstGiris : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void registeredDealer();
    void unregisteredOpensRequestFormThenEnds();
    void otherVersionUpdatesFirst();
    void cancelledSelectionEnds();

private:
    GirisAyarlari ayarlar(const LoginAnswer &a);
    FixedSources m_sources;
    QTemporaryDir m_dir;
    QList<int> m_exits;
};

void TstGiris::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    varo::identity::setIdentitySources(&m_sources);
    varo::shell::setSonlandirici([this](int c) { m_exits << c; });
    varo::shell::setMesajSunucu([](const varo::shell::MesajIstegi &) { return int(varo::shell::mrOk); });
}

void TstGiris::cleanup() { m_exits.clear(); }

GirisAyarlari TstGiris::ayarlar(const LoginAnswer &a)
{
    const QString ini = m_dir.filePath(QStringLiteral("ayar.ini"));
    LoginSettings(ini).write({QStringLiteral("ALI"), QStringLiteral("ZZ"), true});
    GirisAyarlari s;
    s.ayarDosyasi = ini;
    s.girisKontrol = [a](const QString &idsi, const QString &, LoginAnswer &out) {
        out = a;
        return idsi == QLatin1String("DISK0001");
    };
    s.istekSunucusu = std::make_shared<NullRequests>();
    return s;
}

void TstGiris::registeredDealer()
{
    ModalDriver d;
    d.actions.insert(QStringLiteral("girisform"), clickLogin);
    QVERIFY(GirisYap(ayarlar(account(5, true))));
    QCOMPARE(d.seen, QStringList{QStringLiteral("girisform")});
    QVERIFY(m_exits.isEmpty());
}

void TstGiris::unregisteredOpensRequestFormThenEnds()
{
    ModalDriver d;
    d.actions.insert(QStringLiteral("girisform"), clickLogin);
    d.actions.insert(QStringLiteral("kullanicikayit"), [this](QWidget *w) {
        QVERIFY(m_exits.isEmpty()); // the process ends only after the form closes
        w->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        // Ending is replaced here, so close the login window ourselves.
        QTimer::singleShot(50, [] {
            if (auto *g = QApplication::activeModalWidget())
                static_cast<QDialog *>(g)->reject();
        });
    });
    QVERIFY(!GirisYap(ayarlar(account(5, false))));
    QCOMPARE(d.seen, (QStringList{QStringLiteral("girisform"), QStringLiteral("kullanicikayit")}));
    QCOMPARE(m_exits, QList<int>{0});
}

void TstGiris::otherVersionUpdatesFirst()
{
    // A web site that answers 404: the update reports, ends the process
    // (replaced here) and the login goes on.
    QTcpServer web;
    QVERIFY(web.listen(QHostAddress::LocalHost));
    int requests = 0;
    connect(&web, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *s = web.nextPendingConnection();
        connect(s, &QTcpSocket::readyRead, s, [s, &requests] {
            s->readAll();
            ++requests;
            s->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            s->disconnectFromHost();
        });
    });
    QStringList shown;
    varo::shell::setMesajSunucu([&](const varo::shell::MesajIstegi &m) { shown << m.metin; return int(varo::shell::mrOk); });
    ModalDriver d;
    d.actions.insert(QStringLiteral("girisform"), clickLogin);
    // The platform's error box of the download.
    int errorBoxes = 0;
    d.actions.insert(QString(), [&errorBoxes](QWidget *w) {
        if (auto *b = qobject_cast<QMessageBox *>(w)) {
            ++errorBoxes;
            QVERIFY(b->text().startsWith(QStringLiteral("Hata Oluştu !\r\nHata: HTTP 404")));
            b->accept();
        }
    });
    GirisAyarlari s = ayarlar(account(4, true));
    s.guncellemeAdresi = QUrl(QStringLiteral("http://127.0.0.1:%1/program/DVVaroOtomotivSetup.exe").arg(web.serverPort()));
    QVERIFY(GirisYap(s));
    QCOMPARE(errorBoxes, 1);
    QCOMPARE(requests, 1);
    QCOMPARE(m_exits, QList<int>{0});
    varo::shell::setMesajSunucu([](const varo::shell::MesajIstegi &) { return int(varo::shell::mrOk); });
}

void TstGiris::cancelledSelectionEnds()
{
    ModalDriver d;
    d.actions.insert(QStringLiteral("girisform"), clickLogin);
    GirisAyarlari s = ayarlar(account(5, true, 2));
    int asked = 0;
    s.cariSecimi = [&](QWidget *owner) {
        ++asked;
        QTimer::singleShot(50, owner, [owner] { static_cast<QDialog *>(owner)->reject(); });
        return false;
    };
    QVERIFY(!GirisYap(s));
    QCOMPARE(asked, 1);
    QCOMPARE(m_exits, QList<int>{0});
}

QTEST_MAIN(TstGiris)
#include "tst_giris.moc"

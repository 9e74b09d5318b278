#include "app/identity/identity.h"
#include "app/login/giris.h"
#include "app/login/girissunucusu.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"
#include "orderserver/database.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"
#include "protocol/transferobjects.h"
#include "server/connection.h"
#include "web/setupdownloader.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/support/dbfixture.h"
#include "tests/support/modaldriver.h"

#include <atomic>
#include <csignal>

using namespace varo;
using namespace varo::login;

namespace {

// This computer, as the identity layer sees it; the disk serial decides
// whether the server knows it.
class TestComputer : public identity::IdentitySources {
public:
    QString serial = QStringLiteral("E2ELOGIN01");
    QString deviceDatabaseDiskSerial() override { return serial; }
    QString driveSerial(int) override { return {}; }
    QList<QByteArray> adapterAddresses() override { return {}; }
    QString computerName() override { return QStringLiteral("BAYI-PC"); }
    QString userName() override { return QStringLiteral("bayi"); }
    QString hostIpv4() override { return QStringLiteral("10.0.0.7"); }
};

using varo::testsupport::ModalDriver;

template <class T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no child %s in %s", name, qPrintable(w->objectName()));
    return c;
}

QString kindName(shell::MesajTuru t)
{
    switch (t) {
    case shell::mtWarning: return QStringLiteral("Uyarı");
    case shell::mtError: return QStringLiteral("Hata");
    case shell::mtInformation: return QStringLiteral("Bilgi");
    default: return QStringLiteral("Soru");
    }
}

const QByteArray kSetupBytes = QByteArrayLiteral("MZ setup program of the next version\n");

} // namespace

// The login as the program runs it (dialog, its hand-overs and the server
// calls), against the real server program on loopback.
class TestE2eLogin : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_dbFile;
    quint16 m_webPort = 0;
    TestComputer m_computer;
    Connection m_bagc;
    TSonucBilgisi m_bilgi;
    // What the user would have seen happen, in order: notices ("kind: text"),
    // the setup program started ("start: path args") and process ends ("exit code").
    QStringList m_events;
    std::atomic<int> m_calls{0};
    std::function<void()> m_duringCall; // runs on the worker inside the login call

    QString iniPath() const { return m_dir.filePath(QStringLiteral("ayar.ini")); }

    // Changes the server's data the way its administration would, while it runs.
    template <class F>
    void withRepository(F &&f)
    {
        orderserver::Database db(orderserver::DbConfig{m_dbFile, {}});
        orderserver::Repository repo(db);
        f(db, repo);
    }

    void setExpectedVersion(int v)
    {
        withRepository([v](orderserver::Database &db, orderserver::Repository &) {
            orderserver::exec(db.connection(), QStringLiteral("UPDATE kullanici SET surum = ? WHERE adi = 'BAYI'"), {v});
        });
    }

    int outboxCount()
    {
        int n = 0;
        withRepository([&n](orderserver::Database &db, orderserver::Repository &) {
            QSqlQuery q = orderserver::exec(db.connection(), QStringLiteral("SELECT COUNT(*) FROM postakutusu"));
            q.next();
            n = q.value(0).toInt();
        });
        return n;
    }

    GirisAyarlari settings()
    {
        GirisAyarlari a;
        a.ayarDosyasi = iniPath();
        const Tgirisform::LoginCall call = sunucuGirisCagrisi(m_bagc, m_bilgi);
        a.girisKontrol = [this, call](const QString &idsi, const QString &disip, LoginAnswer &out) {
            ++m_calls;
            if (m_duringCall)
                m_duringCall();
            return call(idsi, disip, out);
        };
        a.istekSunucusu = std::make_shared<SunucuIstekleri>(m_bagc);
        a.guncellemeAdresi = QUrl(QStringLiteral("http://127.0.0.1:%1/program/DVVaroOtomotivSetup.exe").arg(m_webPort));
        a.guncellemeBaslatici = [this](const QString &path, const QStringList &args) {
            m_events << QStringLiteral("start: ") + path + QLatin1Char(' ') + args.join(QLatin1Char(' '));
            return true;
        };
        return a;
    }

    // Types into the login window, clicks "Giriş", and closes the window
    // once the login has been judged unless it accepted.
    static void typeAndLogin(QWidget *w, const QString &name, const QString &password, bool remember,
                             LoginOutcome *outcome)
    {
        auto *form = static_cast<Tgirisform *>(w);
        QObject::connect(form, &Tgirisform::loginEvaluated, form, [form, outcome](LoginOutcome o) {
            *outcome = o;
            if (o != LoginOutcome::Accepted)
                QTimer::singleShot(0, form, &QDialog::reject);
        });
        child<QLineEdit>(w, "adi")->setText(name);
        child<QLineEdit>(w, "sifre")->setText(password);
        child<QCheckBox>(w, "benihatirla")->setChecked(remember);
        child<QPushButton>(w, "Button1")->click();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The downloaded setup program goes to the Documents folder of this home.
        qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
        QStandardPaths::setTestModeEnabled(true);
        qputenv("VARO_SERVER_HOST", "127.0.0.1");
        identity::setIdentitySources(&m_computer);
        setRetryWaitForTesting(20);
        shell::setSonlandirici([this](int code) { m_events << QStringLiteral("exit %1").arg(code); });
        shell::setMesajSunucu([this](const shell::MesajIstegi &m) {
            m_events << kindName(m.tur) + QStringLiteral(": ") + m.metin;
            return int(shell::mrOk);
        });

        m_dbFile = m_dir.filePath(QStringLiteral("login.db"));
        withRepository([](orderserver::Database &db, orderserver::Repository &repo) {
            db.migrate();
            orderserver::seedDatabase(db, orderserver::SeedOptions{200, 5, 10});
            repo.registerComputer(identity::BilgisayarIdAl(), QStringLiteral("BAYI"));
        });
        const QString downloads = m_dir.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(downloads));
        QFile setup(downloads + QStringLiteral("/DVVaroOtomotivSetup.exe"));
        QVERIFY(setup.open(QIODevice::WriteOnly));
        setup.write(kSetupBytes);
        setup.close();

        QString error, web;
        m_bagc.Port = testsupport::startServer(m_server, QStringLiteral(VARO_ORDERSERVER_BIN),
                                               {"--db", m_dbFile, "--download-dir", downloads}, &error, &web);
        QVERIFY2(!m_bagc.Port.isEmpty(), qPrintable(error));
        m_webPort = quint16(web.toUInt());
    }

    void cleanupTestCase()
    {
        identity::setIdentitySources(nullptr);
        if (m_server.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_server.processId()), SIGTERM);
        QVERIFY(m_server.waitForFinished(20000));
        QCOMPARE(m_server.exitCode(), 0);
    }

    void init()
    {
        QFile::remove(iniPath());
        QFile::remove(web::SetupDownloader::defaultTargetPath());
        m_events.clear();
        m_calls = 0;
        m_duringCall = {};
        m_computer.serial = QStringLiteral("E2ELOGIN01");
        m_bilgi = TSonucBilgisi();
    }

    void cleanup()
    {
        setExpectedVersion(5);
        withRepository([](orderserver::Database &, orderserver::Repository &repo) {
            repo.setUserActive(QStringLiteral("BAYI"), true);
        });
    }

    void login_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("remember");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<int>("serverVersion");
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("windows");
        QTest::addColumn<QStringList>("events"); // "update" stands for the setup program started
        QTest::addColumn<bool>("iniWritten");

        const QString girisform = QStringLiteral("girisform");
        const QString istek = QStringLiteral("kullanicikayit");
        const QString hatali = QStringLiteral("Uyarı: Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !");
        const QString update = QStringLiteral("update");
        const QString exit0 = QStringLiteral("exit 0");
        const int accepted = int(LoginOutcome::Accepted);

        QTest::newRow("dealer logs in") << "BAYI" << "BAYI123" << true << true << 5 << true << accepted
                                        << QStringList{girisform} << QStringList{} << true;
        QTest::newRow("remember unticked") << "BAYI" << "BAYI123" << false << true << 5 << true << accepted
                                           << QStringList{girisform} << QStringList{} << true;
        QTest::newRow("wrong password") << "BAYI" << "BAYI124" << true << true << 5 << true
                                        << int(LoginOutcome::WrongCredentials) << QStringList{girisform}
                                        << QStringList{hatali} << false;
        // Names are forced to upper case as typed; a trailing blank in the
        // password is the kind of difference left, and it is not forgiven.
        QTest::newRow("password with a blank") << "BAYI" << "BAYI123 " << true << true << 5 << true
                                               << int(LoginOutcome::WrongCredentials) << QStringList{girisform}
                                               << QStringList{hatali} << false;
        QTest::newRow("inactive account") << "BAYI" << "BAYI123" << true << true << 5 << false
                                          << int(LoginOutcome::Inactive) << QStringList{girisform}
                                          << QStringList{hatali} << true;
        QTest::newRow("unregistered, fields empty") << "" << "" << true << false << 5 << true
                                                    << int(LoginOutcome::Unregistered)
                                                    << QStringList{girisform, istek} << QStringList{exit0} << false;
        // The update comes first; where ending the process is replaced, the
        // login goes on as usual.
        QTest::newRow("server expects 4") << "BAYI" << "BAYI123" << true << true << 4 << true << accepted
                                          << QStringList{girisform} << QStringList{update, exit0} << true;
        QTest::newRow("server expects 6") << "BAYI" << "BAYI123" << true << true << 6 << true << accepted
                                          << QStringList{girisform} << QStringList{update, exit0} << true;
        QTest::newRow("server expects 6, wrong password")
            << "BAYI" << "X" << true << true << 6 << true << int(LoginOutcome::WrongCredentials)
            << QStringList{girisform} << QStringList{update, exit0, hatali} << false;
    }

    void login()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(bool, remember);
        QFETCH(bool, registered);
        QFETCH(int, serverVersion);
        QFETCH(bool, active);
        QFETCH(int, outcome);
        QFETCH(QStringList, windows);
        QFETCH(QStringList, events);
        QFETCH(bool, iniWritten);

        if (!registered)
            m_computer.serial = QStringLiteral("E2EUNKNOWN");
        setExpectedVersion(serverVersion);
        withRepository([active](orderserver::Database &, orderserver::Repository &repo) {
            repo.setUserActive(QStringLiteral("BAYI"), active);
        });

        LoginOutcome got = LoginOutcome::ConnectionFailed;
        ModalDriver d;
        d.actions.insert(QStringLiteral("girisform"), [&](QWidget *w) { typeAndLogin(w, name, password, remember, &got); });
        // In new-user mode the form is closed without sending.
        d.actions.insert(QStringLiteral("kullanicikayit"),
                         [](QWidget *w) { child<QPushButton>(w, "Button1")->click(); });
        const bool ok = GirisYap(settings());

        // The update saves the setup program the server offers and starts it
        // silently; then the process is to end.
        const QString target = web::SetupDownloader::defaultTargetPath();
        events.replaceInStrings(QRegularExpression(QStringLiteral("^update$")),
                                QStringLiteral("start: ") + target + QStringLiteral(" /silent"));
        QCOMPARE(int(got), outcome);
        QCOMPARE(ok, outcome == int(LoginOutcome::Accepted));
        QCOMPARE(d.seen, windows);
        QCOMPARE(m_events, events);
        QCOMPARE(m_calls.load(), 1);
        if (serverVersion != kProgramVersion) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), kSetupBytes);
        }

        // The settings file is written once name and password match, before
        // the account is checked, and holds them even when not remembered.
        QCOMPARE(QFile::exists(iniPath()), iniWritten);
        if (iniWritten) {
            const RememberedLogin r = LoginSettings(iniPath()).read();
            QCOMPARE(r.isim, name);
            QCOMPARE(r.sifre, password);
            QCOMPARE(r.hatirla, remember);
            // The next start comes up with what was remembered, or empty.
            Tgirisform next(nullptr, iniPath());
            QCOMPARE(child<QLineEdit>(&next, "adi")->text(), remember ? name : QString());
            QCOMPARE(child<QLineEdit>(&next, "sifre")->text(), remember ? password : QString());
            QCOMPARE(child<QCheckBox>(&next, "benihatirla")->isChecked(), remember);
        }

        // After an accepted login the session record holds the server's
        // account with this computer's own identity over it.
        if (ok) {
            QCOMPARE(m_bilgi.ADI(), QStringLiteral("BAYI"));
            QVERIFY(m_bilgi.CARINO() > 0);
            QVERIFY(!m_bilgi.CariAdi().isEmpty());
            QCOMPARE(m_bilgi.BILGISAYARID(), identity::BilgisayarIdAl());
            QCOMPARE(m_bilgi.BilgiSayarAdi(), QStringLiteral("BAYI-PC"));
            QCOMPARE(m_bilgi.Icip(), QStringLiteral("10.0.0.7"));
            QCOMPARE(m_bilgi.Disip(), identity::DisIpAl());
        }
    }

    // An unknown computer asks for an account: the request lands in the
    // server's outbox with the computer's identifier and the typed texts.
    void unregisteredComputerSendsRequest()
    {
        m_computer.serial = QStringLiteral("E2ENEWPC");
        const QString id = identity::BilgisayarIdAl();
        const int before = outboxCount();

        LoginOutcome got = LoginOutcome::ConnectionFailed;
        QString shownId;
        ModalDriver d;
        d.actions.insert(QStringLiteral("girisform"), [&](QWidget *w) { typeAndLogin(w, "", "", true, &got); });
        d.actions.insert(QStringLiteral("kullanicikayit"), [&](QWidget *w) {
            shownId = child<QLabel>(w, "lblid")->text();
            const QList<std::pair<const char *, QString>> texts{
                {"firmaadi", QStringLiteral("Öz Şahin Oto Yedek Parça")},
                {"adres1", QStringLiteral("  Sanayi Sitesi 4. Blok No: 12")},
                {"ilce", QStringLiteral("Osmangazi")},
                {"sehir", QStringLiteral("Bursa")},
                {"telefon", QStringLiteral("0224 555 12 12")},
                {"yetkili", QStringLiteral("İsmail Çelik")},
                {"kullaniciadi", QStringLiteral("OZSAHIN")},
                {"sifre", QStringLiteral("gizli1")},
                {"mail", QStringLiteral("ozsahin@example.com")},
            };
            for (const auto &[edit, text] : texts)
                child<QLineEdit>(w, edit)->setText(text);
            child<QPushButton>(w, "Button2")->click();
            child<QPushButton>(w, "Button1")->click();
        });
        QVERIFY(!GirisYap(settings()));

        QCOMPARE(int(got), int(LoginOutcome::Unregistered));
        QCOMPARE(d.seen, (QStringList{QStringLiteral("girisform"), QStringLiteral("kullanicikayit")}));
        QCOMPARE(shownId, QStringLiteral("Bilgisayar ID: ") + id);
        QCOMPARE(m_events, (QStringList{QStringLiteral("Bilgi: İsteğiniz Gönderildi!"), QStringLiteral("exit 0")}));

        QCOMPARE(outboxCount(), before + 1);
        withRepository([&](orderserver::Database &db, orderserver::Repository &) {
            QSqlQuery q = orderserver::exec(
                db.connection(), QStringLiteral("SELECT bilgisayarid, baslik, govde FROM postakutusu ORDER BY sirano DESC"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), id);
            QCOMPARE(q.value(1).toString(), QStringLiteral("B2B Yeni Kullanıcı İstek"));
            const QString body = q.value(2).toString();
            for (const QString &t : {QStringLiteral("Öz Şahin Oto Yedek Parça"), QStringLiteral("  Sanayi Sitesi 4. Blok No: 12"),
                                     QStringLiteral("İsmail Çelik"), QStringLiteral("OZSAHIN"),
                                     QStringLiteral("ozsahin@example.com")})
                QVERIFY2(body.contains(t), qPrintable(body));
        });
    }

    // A logged-in dealer asks for a new password: the form comes filled with
    // what the server keeps for this computer's customer, and the request
    // lands in the outbox under its own subject. Without a server nothing is
    // sent and the form says so.
    void passwordChangeRequest()
    {
        m_bagc.HostName = Connection::portalHost();
        QVariantMap cari;
        withRepository([&cari](orderserver::Database &, orderserver::Repository &repo) {
            cari = repo.customerInfo(0, identity::BilgisayarIdAl());
        });
        QVERIFY(cari.contains(QStringLiteral("ADRES1")));
        const int before = outboxCount();

        std::unique_ptr<Tkullanicikayit> f(Tkullanicikayit::Ac(nullptr, std::make_shared<SunucuIstekleri>(m_bagc),
                                                               QStringLiteral("BAYI"), cari.value("CARIADI").toString()));
        QCOMPARE(f->durum(), TIstek::teski);
        QCOMPARE(f->windowTitle(), QStringLiteral("Şifre Değiştirme İsteği"));
        const IstekAlanlari a = f->alanlar();
        QCOMPARE(a.kullaniciadi, QStringLiteral("BAYI"));
        QCOMPARE(a.firmaadi, cari.value("CARIADI").toString());
        QVERIFY(!a.adres1.isEmpty());
        QCOMPARE(a.adres1, cari.value("ADRES1").toString());
        QCOMPARE(a.sehir, cari.value("SEHIR").toString());
        QCOMPARE(a.telefon, cari.value("TEL1").toString());
        QCOMPARE(a.vn, cari.value("VERGINO").toString());
        QVERIFY(a.yetkili.isEmpty() && a.sifre.isEmpty() && a.mail.isEmpty());

        child<QLineEdit>(f.get(), "yetkili")->setText(QStringLiteral("Ayşe Yıldız"));
        child<QLineEdit>(f.get(), "sifre")->setText(QStringLiteral("YENI2026"));
        child<QLineEdit>(f.get(), "mail")->setText(QStringLiteral("ayse@example.com"));
        f->Button2Click();
        QCOMPARE(m_events, QStringList{QStringLiteral("Bilgi: İsteğiniz Gönderildi!")});
        QCOMPARE(outboxCount(), before + 1);
        withRepository([&](orderserver::Database &db, orderserver::Repository &) {
            QSqlQuery q = orderserver::exec(
                db.connection(), QStringLiteral("SELECT bilgisayarid, baslik, govde FROM postakutusu ORDER BY sirano DESC"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), identity::BilgisayarIdAl());
            QCOMPARE(q.value(1).toString(), QStringLiteral("Şifre Değiştirme İsteği"));
            QVERIFY(q.value(2).toString().contains(QStringLiteral("Şifre: YENI2026")));
            QVERIFY(q.value(2).toString().contains(QStringLiteral("Yetkili: Ayşe Yıldız")));
        });

        // The server gone: the connection failure is reported, nothing sent,
        // the form stays for another try.
        m_events.clear();
        setConnectionErrorReporter([this](const QString &text) { m_events << QStringLiteral("Hata: ") + text; });
        const QString port = m_bagc.Port;
        m_bagc.Port = QStringLiteral("1");
        f->Button2Click();
        m_bagc.Port = port;
        setConnectionErrorReporter({});
        QCOMPARE(m_events, QStringList{QStringLiteral("Hata: ") + kBaglantiKurulamiyor});
        QCOMPARE(outboxCount(), before + 1);
    }

    // While a login runs, Enter in the password field and the button start
    // nothing; the one login finishes normally.
    void enterDuringLoginStartsNothing()
    {
        QSemaphore inCall, release;
        m_duringCall = [&] {
            inCall.release();
            release.acquire();
        };
        LoginOutcome got = LoginOutcome::ConnectionFailed;
        bool buttonEnabledDuring = true;
        QString captionDuring;
        ModalDriver d;
        d.actions.insert(QStringLiteral("girisform"), [&](QWidget *w) {
            // Whatever happens here, the held login call must go on.
            const auto letGo = qScopeGuard([&release] { release.release(); });
            auto *form = static_cast<Tgirisform *>(w);
            connect(form, &Tgirisform::loginEvaluated, form, [&got](LoginOutcome o) { got = o; });
            auto *sifre = child<QLineEdit>(w, "sifre");
            child<QLineEdit>(w, "adi")->setText(QStringLiteral("BAYI"));
            sifre->setText(QStringLiteral("BAYI123"));
            sifre->setFocus();
            QTest::keyClick(sifre, Qt::Key_Return);
            // Wait until the server call is under way, then try again.
            QTRY_VERIFY_WITH_TIMEOUT(inCall.available() > 0, 10000);
            QTest::keyClick(sifre, Qt::Key_Return);
            QTest::keyClick(sifre, Qt::Key_Enter);
            auto *button = child<QPushButton>(w, "Button1");
            buttonEnabledDuring = button->isEnabled();
            captionDuring = button->text();
            button->click();
        });
        QVERIFY(GirisYap(settings()));
        QCOMPARE(int(got), int(LoginOutcome::Accepted));
        QCOMPARE(m_calls.load(), 1);
        QVERIFY(!buttonEnabledDuring);
        QCOMPARE(captionDuring, QStringLiteral("Giriş!"));
        QVERIFY(m_events.isEmpty());
    }

    // A failed try leaves the window ready for the next, which asks the
    // server again.
    void secondTryAfterWrongPassword()
    {
        int tries = 0;
        QString captionAfterFailure;
        ModalDriver d;
        d.actions.insert(QStringLiteral("girisform"), [&](QWidget *w) {
            auto *form = static_cast<Tgirisform *>(w);
            auto *button = child<QPushButton>(w, "Button1");
            connect(form, &Tgirisform::loginEvaluated, form, [&, w, button](LoginOutcome o) {
                if (++tries == 1 && o == LoginOutcome::WrongCredentials) {
                    captionAfterFailure = button->text();
                    QTimer::singleShot(0, w, [w, button] {
                        child<QLineEdit>(w, "sifre")->setText(QStringLiteral("BAYI123"));
                        button->click();
                    });
                }
            });
            child<QLineEdit>(w, "adi")->setText(QStringLiteral("BAYI"));
            child<QLineEdit>(w, "sifre")->setText(QStringLiteral("BAYI12"));
            button->click();
        });
        QVERIFY(GirisYap(settings()));
        QCOMPARE(tries, 2);
        QCOMPARE(m_calls.load(), 2);
        QCOMPARE(captionAfterFailure, QStringLiteral("Giriş!"));
        QCOMPARE(m_events,
                 QStringList{QStringLiteral("Uyarı: Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !")});
    }

    // No server on the port: the silent connection attempts end in the
    // login's own error, and the window stays open.
    void serverUnreachable()
    {
        const QString port = m_bagc.Port;
        m_bagc.Port = QStringLiteral("1");
        LoginOutcome got = LoginOutcome::Accepted;
        ModalDriver d;
        d.actions.insert(QStringLiteral("girisform"),
                         [&](QWidget *w) { typeAndLogin(w, "BAYI", "BAYI123", true, &got); });
        const bool ok = GirisYap(settings());
        m_bagc.Port = port;
        QVERIFY(!ok);
        QCOMPARE(int(got), int(LoginOutcome::ConnectionFailed));
        QCOMPARE(m_events, QStringList{QStringLiteral("Hata: Bağlantı Kurulamadı !")});
        QVERIFY(!QFile::exists(iniPath()));
    }
};

QTEST_MAIN(TestE2eLogin)
#include "tst_e2e_login.moc"

#include "orderserver/database.h"
#include "orderserver/mailsender.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <future>
#include <thread>

using namespace varo::orderserver;

namespace {

// A relay that answers from a script and keeps what it was told. Each
// command gets the answer the script has for it (250 by default).
class FakeRelay {
public:
    struct Script {
        QByteArray greeting = "220 fake ESMTP";
        QByteArray ehlo = "250-fake\r\n250 8BITMIME";
        QByteArray rcpt = "250 ok";
        QByteArray afterData = "250 queued";
    };

    explicit FakeRelay(Script script) : m_script(std::move(script))
    {
        std::promise<quint16> port;
        m_port = port.get_future();
        m_thread = std::thread([this, p = std::move(port)]() mutable { run(p); });
        m_portValue = m_port.get();
    }
    ~FakeRelay()
    {
        m_stop = true;
        m_thread.join();
    }
    quint16 port() const { return m_portValue; }
    // The commands and DATA bodies of every conversation, in order.
    QList<QByteArray> commands() { std::lock_guard l(m_mutex); return m_commands; }
    QList<QByteArray> messages() { std::lock_guard l(m_mutex); return m_messages; }

private:
    void run(std::promise<quint16> &port)
    {
        QTcpServer listener;
        port.set_value(listener.listen(QHostAddress::LocalHost, 0) ? listener.serverPort() : 0);
        while (!m_stop) {
            if (!listener.waitForNewConnection(50))
                continue;
            std::unique_ptr<QTcpSocket> s(listener.nextPendingConnection());
            s->setParent(nullptr);
            converse(*s);
        }
    }
    void say(QTcpSocket &s, const QByteArray &line)
    {
        s.write(line + "\r\n");
        s.waitForBytesWritten(2000);
    }
    void converse(QTcpSocket &s)
    {
        say(s, m_script.greeting);
        if (!m_script.greeting.startsWith("220"))
            return;
        bool inData = false;
        QByteArray data;
        while (s.state() == QAbstractSocket::ConnectedState) {
            if (!s.canReadLine() && !s.waitForReadyRead(2000))
                return;
            while (s.canReadLine()) {
                const QByteArray line = s.readLine();
                if (inData) {
                    if (line == ".\r\n") {
                        inData = false;
                        std::lock_guard l(m_mutex);
                        m_messages << data;
                        data.clear();
                        say(s, m_script.afterData);
                    } else {
                        data += line;
                    }
                    continue;
                }
                const QByteArray cmd = line.trimmed();
                {
                    std::lock_guard l(m_mutex);
                    m_commands << cmd;
                }
                if (cmd.startsWith("EHLO"))
                    say(s, m_script.ehlo);
                else if (cmd.startsWith("RCPT"))
                    say(s, m_script.rcpt);
                else if (cmd == "DATA") {
                    say(s, "354 go on");
                    inData = true;
                } else if (cmd == "QUIT") {
                    say(s, "221 bye");
                    s.disconnectFromHost();
                    return;
                } else
                    say(s, "250 ok");
            }
        }
    }

    Script m_script;
    std::thread m_thread;
    std::future<quint16> m_port;
    quint16 m_portValue = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    QList<QByteArray> m_commands, m_messages;
};

SmtpConfig configFor(quint16 port)
{
    SmtpConfig c;
    c.host = QStringLiteral("127.0.0.1");
    c.port = port;
    c.from = QStringLiteral("siparis@varo.example");
    c.to = QStringLiteral("bayi@varo.example");
    c.timeoutMs = 3000;
    return c;
}

}  // namespace

class TestMail : public QObject {
    Q_OBJECT

private slots:
    void conversation_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("ehlo");
        QTest::addColumn<QByteArray>("rcpt");
        QTest::addColumn<QByteArray>("afterData");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QString>("error");
        QTest::newRow("accepted") << QByteArray("220 fake") << QByteArray("250-fake\r\n250 8BITMIME") << QByteArray("250 ok")
                                  << QByteArray("250 queued") << true << QString();
        QTest::newRow("old relay, HELO only") << QByteArray("220 fake") << QByteArray("502 what") << QByteArray("250 ok")
                                              << QByteArray("250 queued") << true << QString();
        QTest::newRow("greeting refused") << QByteArray("554 go away") << QByteArray() << QByteArray() << QByteArray() << false
                                          << QStringLiteral("SMTP: 554 go away");
        QTest::newRow("recipient refused") << QByteArray("220 fake") << QByteArray("250 fake") << QByteArray("550 no such user")
                                           << QByteArray("250 queued") << false << QStringLiteral("SMTP: 550 no such user");
        QTest::newRow("message refused") << QByteArray("220 fake") << QByteArray("250 fake") << QByteArray("250 ok")
                                         << QByteArray("552 too big") << false << QStringLiteral("SMTP: 552 too big");
    }
    void conversation()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, ehlo);
        QFETCH(QByteArray, rcpt);
        QFETCH(QByteArray, afterData);
        QFETCH(bool, sent);
        QFETCH(QString, error);
        FakeRelay relay({greeting, ehlo, rcpt, afterData});
        QVERIFY(relay.port());
        QString why;
        // A line of only a dot must not end the message early.
        const QString body = QStringLiteral("Firma Adı: Öz Yedek Parça\n.\n..iki nokta\r\nson");
        QCOMPARE(sendMail(configFor(relay.port()), QStringLiteral("Yeni Kullanıcı İsteği"), body, &why), sent);
        QCOMPARE(why, error);
        if (!sent)
            return;
        const QList<QByteArray> cmds = relay.commands();
        QVERIFY(cmds.contains("MAIL FROM:<siparis@varo.example>"));
        QVERIFY(cmds.contains("RCPT TO:<bayi@varo.example>"));
        QCOMPARE(cmds.last(), QByteArray("QUIT"));
        QCOMPARE(relay.messages().size(), 1);
        const QByteArray m = relay.messages().first();
        QVERIFY(m.contains("Subject: =?UTF-8?B?" + QStringLiteral("Yeni Kullanıcı İsteği").toUtf8().toBase64() + "?=\r\n"));
        QVERIFY(m.contains("\r\n\r\nFirma Ad\xc4\xb1: \xc3\x96z Yedek Par\xc3\xa7" "a\r\n..\r\n...iki nokta\r\nson\r\n"));
    }

    void badAddressesNeverReachTheRelay_data()
    {
        QTest::addColumn<QString>("from");
        QTest::newRow("empty") << QString();
        QTest::newRow("line break") << QStringLiteral("a@b\r\nRCPT TO:<x@y>");
        QTest::newRow("angle bracket") << QStringLiteral("a@b>");
    }
    void badAddressesNeverReachTheRelay()
    {
        QFETCH(QString, from);
        FakeRelay relay({});
        SmtpConfig c = configFor(relay.port());
        c.from = from;
        QString why;
        QVERIFY(!sendMail(c, QStringLiteral("x"), QStringLiteral("y"), &why));
        QVERIFY(relay.commands().isEmpty());
    }

    void outboxIsSentAndMarked_data()
    {
        QTest::addColumn<QByteArray>("rcpt");
        QTest::addColumn<bool>("relayConfigured");
        QTest::addColumn<int>("sent");
        QTest::newRow("relay takes them") << QByteArray("250 ok") << true << 2;
        QTest::newRow("relay refuses") << QByteArray("451 later") << true << 0;
        QTest::newRow("no relay") << QByteArray("250 ok") << false << 0;
    }
    void outboxIsSentAndMarked()
    {
        QFETCH(QByteArray, rcpt);
        QFETCH(bool, relayConfigured);
        QFETCH(int, sent);
        QTemporaryDir dir;
        Database db(DbConfig{dir.filePath(QStringLiteral("m.db")), {}});
        db.migrate();
        seedDatabase(db, SeedOptions{50, 5, 5});
        Repository repo(db);
        exec(db.connection(), "DELETE FROM postakutusu");
        repo.queueMail(QStringLiteral("PC-1"), QStringLiteral("Yeni Kullanıcı"), QStringLiteral("Firma Adı: A"));
        repo.queueMail(QStringLiteral("PC-2"), QStringLiteral("Şifre Hatırlatma"), QStringLiteral("Kullanıcı: B"));
        FakeRelay::Script script;
        script.rcpt = rcpt;
        FakeRelay relay(script);
        SmtpConfig c = configFor(relay.port());
        if (!relayConfigured)
            c.host.clear();
        QString why;
        QCOMPARE(sendOutbox(repo, c, &why), sent);
        QCOMPARE(relay.messages().size(), sent);
        QCOMPARE(repo.pendingMail(10).size(), 2 - sent);
        if (sent) {
            QVERIFY(relay.messages().at(0).contains("Bilgisayar: PC-1"));
            QCOMPARE(sendOutbox(repo, c, &why), 0);  // sent ones do not go twice
        }
    }
};

QTEST_GUILESS_MAIN(TestMail)
#include "tst_mail.moc"

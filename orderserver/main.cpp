// varo-orderserver: the order server the ordering client talks to.
#include "orderserver/database.h"
#include "orderserver/httpserver.h"
#include "orderserver/mailsender.h"
#include "orderserver/methods.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"
#include "protocol/methodserver.h"

#include <QDir>
#include <QHostAddress>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTextStream>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

using namespace varo::orderserver;

namespace {

const char *const kUsage = R"(usage: varo-orderserver COMMAND [OPTIONS]

Commands:
  serve     [--db FILE | --postgres URL] [--port 9095] [--http-port 8080]
            [--download-dir DIR] [--workers N]
            [--smtp-host HOST [--smtp-port 25] --smtp-from ADDRESS [--smtp-to ADDRESS]]
            Serves the methods and the web side; creates, migrates and seeds
            an empty database first. With an SMTP relay (also VARO_SMTP_HOST,
            VARO_SMTP_PORT, VARO_SMTP_FROM, VARO_SMTP_TO) the requests in the
            outbox are mailed to --smtp-to (default: the sender address);
            without one they stay in the outbox.
  seed      [--db FILE | --postgres URL] [--items N] [--replace | --if-empty]
            Fills the database with the demo data (20000 items by default).
            An existing database is refused unless --replace is given;
            --if-empty quietly leaves a filled one alone.
  register  --computer-id ID --user NAME   Binds a computer to a user.
  user      list | add NAME PASSWORD TYPE ACCOUNT | enable NAME | disable NAME
  call      METHOD [JSON-ARRAY]   Runs one server method locally and prints its answer.

Without --db or --postgres the database is the file varo.db in the data folder
(XDG_DATA_HOME/varo-orderserver).

Demo logins (computer registered with "register"): BAYI/BAYI123 (dealer),
TEMSILCI/TEMSILCI123 (representative), YONETICI/YONETICI123 (type 2),
BAYI3/BAYI3123 (type 3), BAYI4/BAYI4123 (type 4), RAZBAYI/RAZBAYI123
(customer priced from cost).
)";

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

QString option(const QStringList &args, const QString &name, const QString &fallback = {})
{
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

DbConfig configFrom(const QStringList &args)
{
    DbConfig c;
    c.postgresUrl = option(args, QStringLiteral("--postgres"));
    c.sqliteFile = option(args, QStringLiteral("--db"));
    if (c.sqliteFile.isEmpty()) {
        QString base = qEnvironmentVariable("XDG_DATA_HOME");
        if (base.isEmpty())
            base = QDir::homePath() + QStringLiteral("/.local/share");
        c.sqliteFile = base + QStringLiteral("/varo-orderserver/varo.db");
    }
    return c;
}

int fail(const QString &text)
{
    QTextStream(stderr) << "varo-orderserver: " << text << Qt::endl;
    return 1;
}

}  // namespace

int main(int argc, char **argv)
{
    // Reports and pictures are drawn without any display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varo-orderserver"));
    const QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    const QString cmd = args.value(0);
    if (cmd.isEmpty() || cmd == QLatin1String("--help") || cmd == QLatin1String("-h") || cmd == QLatin1String("help")) {
        out << kUsage;
        return cmd.isEmpty() ? 2 : 0;
    }

    try {
        Database db(configFrom(args));
        db.migrate();
        Repository repo(db);

        if (cmd == QLatin1String("seed")) {
            SeedOptions o;
            bool ok = true;
            o.items = option(args, QStringLiteral("--items"), QStringLiteral("20000")).toInt(&ok);
            if (!ok || o.items < 1 || o.items > 10000000)
                return fail(QStringLiteral("--items wants a number from 1 to 10000000"));
            if (!db.isEmpty()) {
                if (args.contains(QStringLiteral("--if-empty")))
                    return 0;
                if (!args.contains(QStringLiteral("--replace")))
                    return fail(QStringLiteral("the database already holds data; add --replace to overwrite it"));
                clearDatabase(db);
            }
            seedDatabase(db, o);
            out << "seeded " << o.items << " items" << Qt::endl;
            return 0;
        }
        if (cmd == QLatin1String("register")) {
            const QString id = option(args, QStringLiteral("--computer-id"));
            const QString user = option(args, QStringLiteral("--user"));
            if (id.isEmpty() || user.isEmpty())
                return fail(QStringLiteral("register wants --computer-id ID --user NAME"));
            repo.registerComputer(id, user);
            out << "computer " << id << " belongs to " << user.toUpper() << Qt::endl;
            return 0;
        }
        if (cmd == QLatin1String("user")) {
            const QString sub = args.value(1);
            if (sub == QLatin1String("list")) {
                const Table t = repo.users();
                for (int r = 0; r < t->recordCount(); ++r) {
                    QStringList cells;
                    for (int c = 0; c < t->fieldCount(); ++c)
                        cells << t->field(c)->fieldName() + QLatin1Char('=') + t->field(c)->stringAt(r);
                    out << cells.join(QLatin1Char(' ')) << Qt::endl;
                }
                return 0;
            }
            if (sub == QLatin1String("add") && args.size() >= 6) {
                const int no = repo.addUser(args[2], args[3], args[4].toInt(), args[5].toInt());
                out << "user " << args[2].toUpper() << " added as " << no << Qt::endl;
                return 0;
            }
            if ((sub == QLatin1String("enable") || sub == QLatin1String("disable")) && args.size() >= 3) {
                repo.setUserActive(args[2], sub == QLatin1String("enable"));
                return 0;
            }
            return fail(QStringLiteral("user list | add NAME PASSWORD TYPE ACCOUNT | enable NAME | disable NAME"));
        }
        if (cmd == QLatin1String("call")) {
            ServerMethods methods(repo);
            QJsonArray params;
            if (args.size() > 2)
                params = QJsonDocument::fromJson(args[2].toUtf8()).array();
            out << QJsonDocument(methods.call(args.value(1), params)).toJson(QJsonDocument::Indented);
            return 0;
        }
        if (cmd != QLatin1String("serve")) {
            QTextStream(stderr) << kUsage;
            return 2;
        }

        if (db.isEmpty())
            seedDatabase(db, SeedOptions{});
        ServerMethods methods(repo);
        QThreadPool pool;
        const int workers = option(args, QStringLiteral("--workers"), QString::number(std::max(4, QThread::idealThreadCount() * 4))).toInt();
        pool.setMaxThreadCount(std::clamp(workers, 1, 256));
        pool.setExpiryTimeout(-1);  // keep workers, and with them their database connections

        const QString downloads = option(args, QStringLiteral("--download-dir"),
                                         QFileInfo(db.config().sqliteFile).absolutePath() + QStringLiteral("/program"));
        HttpServer http(methods, pool, downloads);
        const quint16 httpPort = quint16(option(args, QStringLiteral("--http-port"), QStringLiteral("8080")).toUInt());
        if (!http.listen(httpPort))
            return fail(QStringLiteral("cannot listen on HTTP port %1").arg(httpPort));
        const quint16 port = quint16(option(args, QStringLiteral("--port"), QStringLiteral("9095")).toUInt());
        varo::MethodServer wire([&methods](const QString &m, const QJsonArray &p) { return methods.run(m, p); }, &pool);
        if (!wire.listen(QHostAddress::Any, port))
            return fail(QStringLiteral("cannot listen on port %1").arg(port));

        // Requests in the outbox go out through the relay in the background,
        // a round every few seconds; a failed round leaves them for the next.
        const SmtpConfig smtp = SmtpConfig::fromArguments(args);
        std::atomic<bool> mailing{false};
        QString lastMailError;  // said once, not every round
        QTimer mailTimer;
        if (smtp.enabled()) {
            QObject::connect(&mailTimer, &QTimer::timeout, &app, [&] {
                if (mailing.exchange(true))
                    return;
                pool.start([&] {
                    QString error;
                    try {
                        sendOutbox(repo, smtp, &error);
                    } catch (const std::exception &e) {
                        error = QString::fromUtf8(e.what());
                    }
                    if (!error.isEmpty() && error != lastMailError)
                        QTextStream(stderr) << "varo-orderserver: mail: " << error << Qt::endl;
                    lastMailError = error;
                    mailing = false;
                });
            });
            mailTimer.start(3000);
        }

        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
            return fail(QStringLiteral("socketpair failed"));
        QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
            char c;
            [[maybe_unused]] auto n = ::read(g_signalPipe[0], &c, 1);
            http.close();
            wire.close();
            mailTimer.stop();
            QCoreApplication::quit();
        });
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        out << "varo-orderserver: methods on port " << wire.serverPort() << ", web on port " << http.port() << Qt::endl;
        const int rc = app.exec();
        pool.waitForDone(10000);  // calls in progress finish before the database closes
        return rc;
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
}

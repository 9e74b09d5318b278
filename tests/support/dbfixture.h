#pragma once

// What the order server's tests share: both engines as test rows, a
// PostgreSQL database of the test's own, and the server program started on
// free ports.

#include "orderserver/database.h"

#include <QProcess>
#include <QRegularExpression>
#include <QUrl>
#include <QtTest>

namespace varo::testsupport {

// Adds the column "postgres" with a row for SQLite (empty) and, when
// VARO_TEST_POSTGRES_URL names a throw-away database (the test cluster of
// ./varo test), one for PostgreSQL. For initTestCase_data.
inline void addEngineRows()
{
    QTest::addColumn<QString>("postgres");
    QTest::newRow("sqlite") << QString();
    const QString pg = qEnvironmentVariable("VARO_TEST_POSTGRES_URL");
    if (!pg.isEmpty())
        QTest::newRow("postgresql") << pg;
}

// A database of this test's own inside the test cluster, made afresh, so
// tests running at the same time do not share tables. Returns its URL.
inline QString ownPostgresDatabase(const QString &url, const QString &name)
{
    {
        varo::orderserver::Database admin(varo::orderserver::DbConfig{{}, url});
        QSqlDatabase c = admin.connection();
        varo::orderserver::exec(c, QStringLiteral("DROP DATABASE IF EXISTS ") + name);
        varo::orderserver::exec(c, QStringLiteral("CREATE DATABASE ") + name);
    }
    QUrl u(url);
    u.setPath(QLatin1Char('/') + name);
    return u.toString();
}

// Starts `program serve` with `args` plus free ports and waits for it to say
// where it listens. Returns the method port (the web port in `webPort`), or
// an empty text (and the program's error output in `error`) when it did not
// come up.
inline QString startServer(QProcess &server, const QString &program, QStringList args, QString *error = nullptr,
                           QString *webPort = nullptr)
{
    args.prepend(QStringLiteral("serve"));
    args << QStringLiteral("--port") << QStringLiteral("0") << QStringLiteral("--http-port") << QStringLiteral("0");
    server.setProcessChannelMode(QProcess::SeparateChannels);
    server.start(program, args);
    if (!server.waitForStarted())
        return {};
    QByteArray out;
    const QRegularExpression re(QStringLiteral("methods on port (\\d+), web on port (\\d+)"));
    for (int i = 0; i < 100 && !re.match(QString::fromUtf8(out)).hasMatch(); ++i) {
        server.waitForReadyRead(200);
        out += server.readAllStandardOutput();
    }
    const auto m = re.match(QString::fromUtf8(out));
    if (!m.hasMatch() && error)
        *error = QString::fromUtf8(server.readAllStandardError());
    if (webPort)
        *webPort = m.captured(2);
    return m.captured(1);
}

}  // namespace varo::testsupport

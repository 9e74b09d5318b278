#include "web/dosyaindir.h"
#include "web/setupdownloader.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace varo::web;

namespace {

// Answers every request with one canned HTTP response and records the request.
class OneShotHttp : public QObject {
public:
    QByteArray status = "200 OK";
    QByteArray body;
    QByteArray lastRequest;
    int requests = 0;

    OneShotHttp()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                auto *buf = new QByteArray;
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, buf] {
                    buf->append(s->readAll());
                    if (!buf->contains("\r\n\r\n"))
                        return;
                    ++requests;
                    lastRequest = *buf;
                    QByteArray head = "HTTP/1.1 " + status + "\r\nContent-Type: application/octet-stream\r\n"
                                      "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n";
                    s->write(head + body);
                    s->disconnectFromHost();
                });
                QObject::connect(s, &QTcpSocket::disconnected, s, [s, buf] { delete buf; s->deleteLater(); });
            }
        });
    }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/program/DVVaroOtomotivSetup.exe").arg(m_server.serverPort()));
    }

private:
    QTcpServer m_server;
};

} // namespace

class TstDosyaIndir : public QObject {
    Q_OBJECT
private slots:
    void progressText_data();
    void progressText();
    void defaults();
    void download_data();
    void download();
    void runsOnce();
};

void TstDosyaIndir::progressText_data()
{
    QTest::addColumn<qint64>("read");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("text");
    QTest::newRow("half of 2 MiB") << qint64(1 << 20) << qint64(2 << 20) << "Bilgi: %50,00  İndirilen: 1,00/2,00 Mb";
    QTest::newRow("start") << qint64(0) << qint64(3 << 20) << "Bilgi: %0,00  İndirilen: 0,00/3,00 Mb";
    QTest::newRow("third") << qint64(1000) << qint64(3000) << "Bilgi: %33,33  İndirilen: 0,00/0,00 Mb";
    QTest::newRow("large, no grouping") << qint64(1500) * (1 << 20) << qint64(3000) * (1 << 20)
                                        << "Bilgi: %50,00  İndirilen: 1500,00/3000,00 Mb";
}

void TstDosyaIndir::progressText()
{
    QFETCH(qint64, read);
    QFETCH(qint64, length);
    QFETCH(QString, text);
    QCOMPARE(SetupDownloader::progressText(read, length), text);
}

void TstDosyaIndir::defaults()
{
    Tdosyaindir d(nullptr, 6);
    QCOMPARE(d.windowTitle(), QStringLiteral("Dosya İndir"));
    QVERIFY(d.labelText().endsWith(QStringLiteral("Lütfen Bekleyiniz...!\r\nVersion: 6-5")));
    QCOMPARE(SetupDownloader::defaultUrl().path(), QStringLiteral("/program/DVVaroOtomotivSetup.exe"));
    // A demo site given at run time; its own path does not matter.
    qputenv("VARO_WEB_SITE", "http://127.0.0.1:9999/portal/");
    QCOMPARE(SetupDownloader::defaultUrl(), QUrl(QStringLiteral("http://127.0.0.1:9999/program/DVVaroOtomotivSetup.exe")));
    qunsetenv("VARO_WEB_SITE");
    QVERIFY(SetupDownloader::defaultTargetPath().endsWith(QStringLiteral("/DVVaroOtomotivSetup.exe")));
    QVERIFY(!d.basladi);
}

void TstDosyaIndir::download_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("started");
    QTest::addColumn<QString>("error");
    QTest::newRow("success replaces older file") << QByteArray("200 OK") << (2 << 20) << true << QString();
    QTest::newRow("not found is never started") << QByteArray("404 Not Found") << 120 << false
                                                << QStringLiteral("Hata Oluştu !\r\nHata: HTTP 404 Not Found");
    QTest::newRow("server error page") << QByteArray("500 Internal Server Error") << 50 << false
                                       << QStringLiteral("Hata Oluştu !\r\nHata: HTTP 500 Internal Server Error");
    QTest::newRow("empty body") << QByteArray("200 OK") << 0 << false
                                << QStringLiteral("Hata Oluştu !\r\nHata: Sunucudan boş yanıt geldi");
}

void TstDosyaIndir::download()
{
    QFETCH(QByteArray, status);
    QFETCH(int, size);
    QFETCH(bool, started);
    QFETCH(QString, error);

    OneShotHttp http;
    http.status = status;
    http.body = QByteArray(size, 'x');
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("DVVaroOtomotivSetup.exe"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old setup");
    }

    Tdosyaindir d(nullptr, 4);
    d.setSource(http.url());
    d.setTarget(target);
    QStringList startedWith;
    QStringList errors;
    int exitCode = -1;
    QStringList progressSeen;
    d.setStarter([&](const QString &path, const QStringList &args) {
        startedWith << path << args;
        progressSeen << d.bilgiText();
        return true;
    });
    d.setErrorBox([&](QWidget *, const QString &t) { errors << t; });
    d.setTerminator([&](int code) { exitCode = code; });
    d.show();
    QTRY_COMPARE(exitCode, 0);
    QCOMPARE(http.requests, 1);
    QVERIFY(http.lastRequest.contains("User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36"));
    QVERIFY(http.lastRequest.contains("Accept-Language: en-US,tr-TR;q=0.8,tr;q=0.6,en;q=0.4"));
    if (started) {
        QCOMPARE(startedWith, (QStringList{target, QStringLiteral("/silent")}));
        QVERIFY(errors.isEmpty());
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), http.body);
        QVERIFY(f.permissions() & QFile::ExeOwner);
        QCOMPARE(progressSeen, QStringList{QStringLiteral("Bilgi: %100,00  İndirilen: 2,00/2,00 Mb")});
    } else {
        QVERIFY(startedWith.isEmpty());
        QCOMPARE(errors, QStringList{error});
        QVERIFY(!QFile::exists(target));
    }
}

void TstDosyaIndir::runsOnce()
{
    OneShotHttp http;
    http.body = "setup";
    QTemporaryDir dir;
    Tdosyaindir d(nullptr, 4);
    d.setSource(http.url());
    d.setTarget(dir.filePath(QStringLiteral("s.exe")));
    int starts = 0;
    d.setStarter([&](const QString &, const QStringList &) { return ++starts > 0; });
    d.setTerminator([](int) {});
    d.show();
    QTRY_COMPARE(starts, 1);
    d.hide();
    d.show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&d, &activate);
    QTest::qWait(50);
    QCOMPARE(starts, 1);
    QCOMPARE(http.requests, 1);
}

QTEST_MAIN(TstDosyaIndir)
#include "tst_dosyaindir.moc"

#include "orderserver/httpserver.h"

#include "orderserver/database.h"
#include "orderserver/methods.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPointer>
#include <QTcpSocket>
#include <QThreadPool>
#include <QUrl>
#include <QUrlQuery>

namespace varo::orderserver {

namespace {

constexpr int kMaxRequest = 1 << 20;

QByteArray statusText(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    default: return "Internal Server Error";
    }
}

HttpReply html(int status, const QString &title, const QString &bodyHtml)
{
    HttpReply r;
    r.status = status;
    r.body = QStringLiteral("<!DOCTYPE html><html lang=\"tr\"><head><meta charset=\"utf-8\"><title>%1</title></head><body>%2</body></html>")
                 .arg(title.toHtmlEscaped(), bodyHtml)
                 .toUtf8();
    return r;
}

HttpReply json(int status, const QJsonObject &o)
{
    HttpReply r;
    r.status = status;
    r.contentType = "application/json; charset=utf-8";
    r.body = QJsonDocument(o).toJson(QJsonDocument::Compact);
    return r;
}

}  // namespace

QByteArray cardPageHtml(const QString &carino, const QString &sube, const QString &firmasi, const QString &bakiye)
{
    auto e = [](const QString &s) { return s.toHtmlEscaped(); };
    return QStringLiteral(
               "<!DOCTYPE html><html lang=\"tr\"><head><meta charset=\"utf-8\"><title>Sanal Kart Ödeme</title>"
               "<style>body{font-family:sans-serif;margin:2em}td{padding:4px 12px}</style></head><body>"
               "<h2>Sanal Kart ile Ödeme</h2><table>"
               "<tr><td>Cari No</td><td id=\"carino\">%1</td></tr><tr><td>Şube</td><td id=\"sube\">%2</td></tr>"
               "<tr><td>Firma</td><td id=\"firmasi\">%3</td></tr><tr><td>Bakiye</td><td id=\"bakiye\">%4</td></tr></table>"
               "<form onsubmit=\"return false\"><p>Kart No <input name=\"kart\" autocomplete=\"off\"></p>"
               "<p>Tutar <input name=\"tutar\" value=\"%4\"></p><p><button>Öde</button></p></form></body></html>")
        .arg(e(carino), e(sube), e(firmasi), e(bakiye))
        .toUtf8();
}

HttpServer::HttpServer(ServerMethods &methods, QThreadPool &pool, QString downloadFolder, QObject *parent)
    : QObject(parent), m_methods(methods), m_pool(pool), m_downloads(std::move(downloadFolder))
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::onConnection);
}

bool HttpServer::listen(quint16 port, const QHostAddress &address) { return m_server.listen(address, port); }

void HttpServer::onConnection()
{
    while (QTcpSocket *s = m_server.nextPendingConnection()) {
        connect(s, &QTcpSocket::readyRead, this, [this, s] { onReadable(s); });
        connect(s, &QTcpSocket::disconnected, this, [this, s] {
            m_buffers.remove(s);
            s->deleteLater();
        });
    }
}

void HttpServer::onReadable(QTcpSocket *s)
{
    QByteArray &buf = m_buffers[s];
    buf += s->readAll();
    const int headerEnd = buf.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        if (buf.size() > kMaxRequest)
            s->abort();
        return;
    }
    const QList<QByteArray> lines = buf.left(headerEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    qint64 length = 0;
    for (const QByteArray &l : lines) {
        if (l.toLower().startsWith("content-length:"))
            length = l.mid(15).trimmed().toLongLong();
    }
    if (length < 0 || length > kMaxRequest) {
        s->abort();
        return;
    }
    if (buf.size() < headerEnd + 4 + length)
        return;
    const QByteArray method = first.value(0), target = first.value(1), body = buf.mid(headerEnd + 4, length);
    m_buffers.remove(s);
    disconnect(s, &QTcpSocket::readyRead, this, nullptr);
    QPointer<QTcpSocket> sock(s);
    m_pool.start([this, sock, method, target, body] {
        const HttpReply r = handle(method, target, body);
        QMetaObject::invokeMethod(this, [sock, r] {
            if (!sock)
                return;
            QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + statusText(r.status) + "\r\nContent-Type: " +
                r.contentType + "\r\nContent-Length: " + QByteArray::number(r.body.size()) + "\r\nConnection: close\r\n\r\n";
            sock->write(head + r.body);
            sock->disconnectFromHost();
        });
    });
}

HttpReply HttpServer::handle(const QByteArray &method, const QByteArray &target, const QByteArray &body)
{
    if (method != "GET" && method != "POST")
        return html(405, QStringLiteral("Hata"), QStringLiteral("<p>Desteklenmeyen istek</p>"));
    const QUrl url(QString::fromUtf8(target));
    const QString path = url.path();
    if (path == QLatin1String("/") || path == QLatin1String("/index.html")) {
        return html(200, QStringLiteral("VARO Otomotiv"),
                    QStringLiteral("<h1>VARO Otomotiv Yedek Parça</h1><p>Bayilerimiz için çevrim içi sipariş sistemi.</p>"
                                   "<p><a href=\"/program/DVVaroOtomotivSetup.exe\">Sipariş programını indir</a></p>"));
    }
    if (path.startsWith(QLatin1String("/program/"))) {
        const QString name = path.mid(9);
        // Only plain file names from the operator's folder; no way out of it.
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1String("..")) || m_downloads.isEmpty())
            return html(404, QStringLiteral("Bulunamadı"), QStringLiteral("<p>Dosya bulunamadı</p>"));
        QFile f(QDir(m_downloads).filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            return html(404, QStringLiteral("Bulunamadı"), QStringLiteral("<p>Dosya bulunamadı</p>"));
        HttpReply r;
        r.contentType = "application/octet-stream";
        r.body = f.readAll();
        return r;
    }
    if (path == QLatin1String("/zafirkart.html")) {
        const QUrlQuery q(url);
        auto v = [&](const char *k) { return q.queryItemValue(QString::fromLatin1(k), QUrl::FullyDecoded); };
        HttpReply r;
        r.body = cardPageHtml(v("carino"), v("sube"), v("firmasi"), v("bakiye"));
        return r;
    }
    const QString rest = QStringLiteral("/datasnap/rest/TServerMethods1/");
    if (path.startsWith(rest)) {
        // /datasnap/rest/TServerMethods1/Method/arg0/arg1... or a POSTed JSON array.
        QStringList parts = path.mid(rest.size()).split(QLatin1Char('/'));
        const QString name = parts.takeFirst();
        QJsonArray params;
        if (method == "POST" && !body.isEmpty()) {
            QJsonParseError err;
            const QJsonDocument doc = QJsonDocument::fromJson(body, &err);
            if (err.error != QJsonParseError::NoError || !doc.isArray())
                return json(400, {{QStringLiteral("error"), QStringLiteral("Gövde bir JSON dizisi olmalı")}});
            params = doc.array();
        } else {
            for (const QString &p : parts) {
                const QString dec = QUrl::fromPercentEncoding(p.toUtf8());
                if (dec.startsWith(QLatin1Char('{'))) {
                    params.append(QJsonDocument::fromJson(dec.toUtf8()).object());
                    continue;
                }
                bool ok = false;
                const double d = dec.toDouble(&ok);
                params.append(ok ? QJsonValue(d) : QJsonValue(dec));
            }
        }
        if (!ServerMethods::methodNames().contains(name))
            return json(404, {{QStringLiteral("error"), QStringLiteral("Bilinmeyen metot: ") + name}});
        try {
            return json(200, m_methods.call(name, params));
        } catch (const std::exception &e) {
            return json(400, {{QStringLiteral("error"), QString::fromUtf8(e.what())}});
        }
    }
    return html(404, QStringLiteral("Bulunamadı"), QStringLiteral("<p>Sayfa bulunamadı</p>"));
}

}  // namespace varo::orderserver

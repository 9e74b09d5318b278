#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;
class QThreadPool;

namespace varo::orderserver {

class ServerMethods;

struct HttpReply {
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
};

// The web side: the company site root, the setup download from an operator
// folder, the dealer portal's card page and a JSON mirror of the server
// methods. GET and POST only, one request per connection.
class HttpServer : public QObject {
    Q_OBJECT
public:
    HttpServer(ServerMethods &methods, QThreadPool &pool, QString downloadFolder, QObject *parent = nullptr);
    bool listen(quint16 port, const QHostAddress &address = QHostAddress::Any);
    quint16 port() const { return m_server.serverPort(); }
    void close() { m_server.close(); }

    // One request to its answer; runs on a worker thread for method calls.
    HttpReply handle(const QByteArray &method, const QByteArray &target, const QByteArray &body);

private:
    void onConnection();
    void onReadable(QTcpSocket *s);

    ServerMethods &m_methods;
    QThreadPool &m_pool;
    QString m_downloads;
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

// The card page with the four values it was given, HTML-escaped.
QByteArray cardPageHtml(const QString &carino, const QString &sube, const QString &firmasi, const QString &bakiye);

}  // namespace varo::orderserver

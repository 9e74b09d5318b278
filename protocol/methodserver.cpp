#include "methodserver.h"

#include "frame.h"

#include <QTcpSocket>
#include <QThreadPool>

#include <exception>

namespace varo {

MethodServer::MethodServer(Handler handler, QThreadPool *pool, QObject *parent)
    : QTcpServer(parent), m_handler(std::move(handler)), m_pool(pool), m_maxFrame(kDefaultMaxFrame)
{
}

QJsonArray positionalAnswer(const MethodInfo &method, const QJsonObject &answer)
{
    const QJsonObject out = answer.value(QStringLiteral("out")).toObject();
    QJsonArray values;
    for (const MethodParam &p : method.params)
        values.append(p.out ? out.value(p.name) : QJsonValue());
    values.append(method.result == u"-" ? QJsonValue() : answer.value(QStringLiteral("result")));
    return values;
}

namespace {

QJsonObject errorReply(const QString &text)
{
    return {{QStringLiteral("error"), text}};
}

void serveConnection(qintptr fd, const MethodServer::Handler &handler, qint64 maxFrame, int idleMs)
{
    QTcpSocket socket;
    if (!socket.setSocketDescriptor(fd))
        return;
    QString error;
    // Handshake first: anything else closes the connection.
    auto hello = readFrame(socket, idleMs, 4096, &error);
    if (!hello || hello->value(QStringLiteral("context")).toString() != kDataSnapContext
        || hello->value(QStringLiteral("version")).toInt() != kProtocolVersion) {
        writeFrame(socket, errorReply(hello ? QStringLiteral("Desteklenmeyen protokol") : error), 2000, nullptr);
        socket.disconnectFromHost();
        return;
    }
    writeFrame(socket, {{QStringLiteral("version"), kProtocolVersion}}, idleMs, nullptr);

    std::vector<const MethodInfo *> prepared;
    for (;;) {
        auto msg = readFrame(socket, idleMs, maxFrame, &error);
        if (!msg) {
            if (socket.state() == QAbstractSocket::ConnectedState)
                writeFrame(socket, errorReply(error), 2000, nullptr);
            break;
        }
        if (msg->contains(QStringLiteral("prepare"))) {
            const MethodInfo *m = findMethod(msg->value(QStringLiteral("prepare")).toString());
            if (!m) {
                writeFrame(socket, errorReply(QStringLiteral("Bilinmeyen metot: %1").arg(msg->value(QStringLiteral("prepare")).toString())), 2000, nullptr);
                break;
            }
            QJsonArray params;
            for (const MethodParam &p : m->params)
                params.append(QJsonObject{{QStringLiteral("name"), p.name}, {QStringLiteral("kind"), p.kind}, {QStringLiteral("out"), p.out}});
            prepared.push_back(m);
            if (!writeFrame(socket, {{QStringLiteral("handle"), int(prepared.size() - 1)}, {QStringLiteral("params"), params},
                                     {QStringLiteral("result"), m->result}}, idleMs, nullptr))
                break;
        } else if (msg->contains(QStringLiteral("execute"))) {
            const int h = msg->value(QStringLiteral("execute")).toInt(-1);
            if (h < 0 || h >= int(prepared.size())) {
                writeFrame(socket, errorReply(QStringLiteral("Geçersiz komut")), 2000, nullptr);
                break;
            }
            const MethodInfo &m = *prepared[std::size_t(h)];
            QJsonArray values = msg->value(QStringLiteral("values")).toArray();
            if (values.size() != qsizetype(m.params.size())) {
                writeFrame(socket, errorReply(QStringLiteral("%1: %2 değer bekleniyordu").arg(m.name).arg(m.params.size())), 2000, nullptr);
                break;
            }
            QJsonObject reply;
            try {
                reply = {{QStringLiteral("values"), positionalAnswer(m, handler(m.name, values))}};
            } catch (const std::exception &e) {
                reply = errorReply(QString::fromUtf8(e.what()));
            }
            if (!writeFrame(socket, reply, idleMs, nullptr))
                break;
        } else {
            writeFrame(socket, errorReply(QStringLiteral("Bilinmeyen istek")), 2000, nullptr);
            break;
        }
    }
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
}

}  // namespace

void MethodServer::incomingConnection(qintptr socketDescriptor)
{
    const Handler handler = m_handler;
    const qint64 maxFrame = m_maxFrame;
    const int idle = m_idleTimeoutMs;
    m_pool->start([=] { serveConnection(socketDescriptor, handler, maxFrame, idle); });
}

}  // namespace varo

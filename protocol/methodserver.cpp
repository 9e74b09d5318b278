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

// A stream result leaves the JSON reply and follows it as a binary
// attachment; the reply keeps its size and attachment number. The Int64 out
// parameter beside a stream gets the byte length when the handler left it out.
std::vector<QByteArray> takeStreams(const MethodInfo &m, QJsonArray &values)
{
    std::vector<QByteArray> out;
    if (m.result != u"T")
        return out;
    const qsizetype pos = qsizetype(m.params.size());
    const QJsonValue v = values.at(pos);
    if (!v.isObject())
        return out;
    const QJsonObject o = v.toObject();
    if (!o.contains(QStringLiteral("base64")))
        return out;
    const QByteArray bytes = QByteArray::fromBase64(o.value(QStringLiteral("base64")).toString().toLatin1());
    values.replace(pos, QJsonObject{{QStringLiteral("size"), double(bytes.size())}, {QStringLiteral("attachment"), 0}});
    for (std::size_t i = 0; i < m.params.size(); ++i)
        if (m.params[i].out && m.params[i].kind == u"L" && values.at(qsizetype(i)).isNull())
            values.replace(qsizetype(i), double(bytes.size()));
    out.push_back(bytes);
    return out;
}

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
            std::vector<QByteArray> attachments;
            try {
                QJsonArray answer = positionalAnswer(m, handler(m.name, values));
                attachments = takeStreams(m, answer);
                reply = {{QStringLiteral("values"), answer}};
                if (!attachments.empty())
                    reply.insert(QStringLiteral("attachments"), int(attachments.size()));
            } catch (const std::exception &e) {
                reply = errorReply(QString::fromUtf8(e.what()));
                attachments.clear();
            }
            bool written = writeFrame(socket, reply, idleMs, nullptr);
            for (const QByteArray &a : attachments)
                written = written && writeFrameBytes(socket, a, idleMs, nullptr);
            if (!written)
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

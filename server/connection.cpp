#include "connection.h"

#include "protocol/frame.h"
#include "protocol/wiresocket.h"

#include <QJsonObject>
#include <QThread>

#include <atomic>
#include <mutex>

#ifndef VARO_PORTAL_HOST
#define VARO_PORTAL_HOST "localhost"
#endif
#ifndef VARO_PORTAL_PORT
#define VARO_PORTAL_PORT "9095"
#endif

namespace varo {

namespace {
std::mutex g_reporterMutex;
std::function<void(const QString &)> g_reporter;
std::atomic<int> g_retryWaitMs{500};
}  // namespace

Connection::Connection() = default;
Connection::~Connection() { Close(); }

// The address is a build setting; the environment may override it so that a test or a second
// demo server on the same machine can be reached without rebuilding.
QString Connection::portalHost()
{
    const QString env = qEnvironmentVariable("VARO_SERVER_HOST");
    return env.isEmpty() ? QStringLiteral(VARO_PORTAL_HOST) : env;
}
QString Connection::portalPort()
{
    const QString env = qEnvironmentVariable("VARO_SERVER_PORT");
    return env.isEmpty() ? QStringLiteral(VARO_PORTAL_PORT) : env;
}

void Connection::Open()
{
    if (Connected())
        return;
    Close();
    auto s = std::make_unique<WireSocket>();
    bool ok = false;
    const quint16 port = quint16(Port.toUInt(&ok));
    if (!ok || port == 0)
        throw ConnectionError("Geçersiz port: " + Port.toStdString());
    QString error;
    if (!s->connectTo(HostName, port, connectTimeoutMs, &error))
        throw ConnectionError(error.toStdString());
    m_socket = std::move(s);
    static std::atomic<quint64> generations{0};
    m_generation = ++generations;
    m_nextHandle = 0;
    m_handshakeSent = false;
    m_tableFrames = false;
}

bool Connection::appendHandshake(QByteArray &out)
{
    if (m_handshakeSent)
        return false;
    // Written directly: a fresh connection per call makes this part of every call.
    const qsizetype start = beginFrame(out);
    out.append("{\"version\":");
    out.append(QByteArray::number(kProtocolVersion));
    out.append(",\"context\":");
    appendJsonString(out, DatasnapContext);
    out.append(",\"tableFrames\":true}");
    finishFrame(out, start);
    m_handshakeSent = true;
    return true;
}

void Connection::readHandshakeAnswer()
{
    QString error;
    auto reply = m_socket ? readFrame(*m_socket, timeoutMs, 4096, &error) : std::nullopt;
    if (!reply) {
        Close();
        throw ConnectionError(error.isEmpty() ? std::string("Bağlantı açık değil") : error.toStdString());
    }
    if (reply->contains(QStringLiteral("error"))) {
        Close();
        throw ConnectionError(reply->value(QStringLiteral("error")).toString().toStdString());
    }
    m_tableFrames = reply->value(QStringLiteral("tableFrames")).toBool();
}

void Connection::Close()
{
    m_socket.reset();
}

bool Connection::Connected() const
{
    return m_socket && m_socket->isOpen();
}

std::unique_ptr<Connection> Connection::CloneConnection() const
{
    auto c = std::make_unique<Connection>();
    c->ConnectionName = ConnectionName;
    c->DriverName = DriverName;
    c->LoginPrompt = LoginPrompt;
    c->CommunicationProtocol = CommunicationProtocol;
    c->HostName = HostName;
    c->Port = Port;
    c->DatasnapContext = DatasnapContext;
    c->Filters = Filters;
    c->DSProxyPort = DSProxyPort;
    c->timeoutMs = timeoutMs;
    c->connectTimeoutMs = connectTimeoutMs;
    c->maxFrame = maxFrame;
    return c;
}

bool BaglantiKur(Connection &conn, int reportFlag)
{
    conn.Close();
    for (int attempt = 0; attempt < 11; ++attempt) {
        try {
            conn.Open();
            return true;
        } catch (const std::exception &) {
            conn.Close();
            QThread::msleep(ulong(g_retryWaitMs.load()));
        }
    }
    if (reportFlag == 1) {
        std::function<void(const QString &)> r;
        {
            std::lock_guard lock(g_reporterMutex);
            r = g_reporter;
        }
        if (r)
            r(kBaglantiKurulamiyor);
        else
            qWarning("%s", qPrintable(kBaglantiKurulamiyor));
    }
    return conn.Connected();
}

void setConnectionErrorReporter(std::function<void(const QString &)> reporter)
{
    std::lock_guard lock(g_reporterMutex);
    g_reporter = std::move(reporter);
}

void setRetryWaitForTesting(int ms) { g_retryWaitMs = ms; }

}  // namespace varo

#pragma once

#include "catalogue.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTcpServer>

#include <functional>

class QThreadPool;

namespace varo {

// Serves the method protocol: handshake, prepare, execute (see
// docs/protocol.md). Each connection is handled on a worker of the given pool
// with blocking reads bounded by a timeout, so a slow or silent peer holds one
// worker for at most that long and never the listener.
//
// The handler receives the method name without prefix and one value per
// parameter position (out parameters null) and answers
// {"result": value, "out": {"<param name>": value, ...}}; it throws
// std::exception to fail the call with the exception's text.
class MethodServer : public QTcpServer {
    Q_OBJECT
public:
    using Handler = std::function<QJsonObject(const QString &method, const QJsonArray &params)>;

    MethodServer(Handler handler, QThreadPool *pool, QObject *parent = nullptr);

    void setMaxFrame(qint64 bytes) { m_maxFrame = bytes; }
    void setIdleTimeout(int ms) { m_idleTimeoutMs = ms; }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    Handler m_handler;
    QThreadPool *m_pool;
    qint64 m_maxFrame;
    int m_idleTimeoutMs = 30000;
};

// Turns a handler's answer into the positional values of an execute reply:
// out parameters at their positions, the result after the last parameter.
QJsonArray positionalAnswer(const MethodInfo &method, const QJsonObject &answer);

}  // namespace varo

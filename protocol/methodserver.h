#pragma once

#include "catalogue.h"
#include "dataset.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTcpServer>

#include <functional>
#include <memory>

class QThreadPool;

namespace varo {

// What a method answered: its result and out parameters as JSON values, or a
// table result kept as columns, written onto the wire straight from them.
struct MethodAnswer {
    QJsonValue result;
    QJsonObject out;                 // out parameter name -> value
    std::unique_ptr<DataSet> table;  // when set, the result
};

// Serves the method protocol: handshake, prepare, execute (see
// docs/protocol.md). Each connection is handled on a worker of the given pool
// with blocking reads bounded by a timeout, so a slow or silent peer holds one
// worker for at most that long and never the listener.
//
// Requests of one connection are answered strictly in order; answers to
// requests that arrived together leave in one write, so a client may send its
// handshake, prepare and execute at once and wait only for one round trip.
//
// The handler receives the method name without prefix and one value per
// parameter position (out parameters null) and answers
// {"result": value, "out": {"<param name>": value, ...}} or a MethodAnswer;
// it throws std::exception to fail the call with the exception's text.
class MethodServer : public QTcpServer {
    Q_OBJECT
public:
    using Handler = std::function<QJsonObject(const QString &method, const QJsonArray &params)>;
    using AnswerHandler = std::function<MethodAnswer(const QString &method, const QJsonArray &params)>;

    MethodServer(Handler handler, QThreadPool *pool, QObject *parent = nullptr);
    MethodServer(AnswerHandler handler, QThreadPool *pool, QObject *parent = nullptr);

    void setMaxFrame(qint64 bytes) { m_maxFrame = bytes; }
    void setIdleTimeout(int ms) { m_idleTimeoutMs = ms; }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    std::shared_ptr<const AnswerHandler> m_handler;
    QThreadPool *m_pool;
    qint64 m_maxFrame;
    int m_idleTimeoutMs = 30000;
};

// Turns a handler's answer into the positional values of an execute reply:
// out parameters at their positions, the result after the last parameter.
QJsonArray positionalAnswer(const MethodInfo &method, const QJsonObject &answer);

// How table results travel, as the client asked in its handshake: inside the
// reply's JSON, or as an attachment frame of their own, which the client
// decodes without first scanning past the table.
enum class TableForm { Inline, Frame };

// Appends the frames of an execute reply for `answer` to `out`: the reply
// {"values": [...]}, then the attachment frames. A stream result always
// travels as an attachment, a table result as `form` says.
void appendExecuteReply(QByteArray &out, const MethodInfo &method, MethodAnswer &answer, TableForm form);

}  // namespace varo

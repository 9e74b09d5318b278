#include "methodserver.h"

#include "frame.h"
#include "tablecodec.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QThreadPool>
#include <QtEndian>

#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varo {

MethodServer::MethodServer(Handler handler, QThreadPool *pool, QObject *parent)
    : MethodServer(AnswerHandler([h = std::move(handler)](const QString &m, const QJsonArray &p) {
                       const QJsonObject a = h(m, p);
                       return MethodAnswer{a.value(QStringLiteral("result")), a.value(QStringLiteral("out")).toObject(), nullptr};
                   }),
                   pool, parent)
{
}

MethodServer::MethodServer(AnswerHandler handler, QThreadPool *pool, QObject *parent)
    : QTcpServer(parent), m_handler(std::make_shared<const AnswerHandler>(std::move(handler))), m_pool(pool),
      m_maxFrame(kDefaultMaxFrame)
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

void appendExecuteReply(QByteArray &out, const MethodInfo &m, MethodAnswer &answer, TableForm form)
{
    // A stream result leaves the JSON reply and follows it as a binary
    // attachment; the reply keeps its size and attachment number. The Int64
    // out parameter beside a stream gets the byte length when the handler
    // left it out.
    QJsonValue result = m.result == u"-" ? QJsonValue() : answer.result;
    QByteArray stream;
    qint64 streamSize = -1;
    if (m.result == u"T" && !answer.table && result.isObject()) {
        const QJsonObject o = result.toObject();
        if (o.contains(QStringLiteral("base64"))) {
            stream = QByteArray::fromBase64(o.value(QStringLiteral("base64")).toString().toLatin1());
            streamSize = stream.size();
            result = QJsonObject{{QStringLiteral("size"), double(streamSize)}, {QStringLiteral("attachment"), 0}};
        }
    }
    const bool table = answer.table && m.result != u"-";
    // Every table result goes as an attachment once asked, also one a
    // handler gave as JSON; only a missing table stays an inline null.
    const bool tableAttached = form != TableForm::Inline && m.result == u"R" && (table || !(result.isNull() || result.isUndefined()));
    // Room for the table up front: growing the reply step by step would copy
    // what was written so far each time.
    if (table)
        out.reserve(out.size() + qsizetype(answer.table->recordCount()) * answer.table->fieldCount() * 12 + 4096);
    const qsizetype start = beginFrame(out);
    out.append("{\"values\":[", 11);
    for (const MethodParam &p : m.params) {
        QJsonValue v = p.out ? answer.out.value(p.name) : QJsonValue();
        if (streamSize >= 0 && p.out && p.kind == u"L" && (v.isNull() || v.isUndefined()))
            v = double(streamSize);
        appendJson(out, v);
        out.append(',');
    }
    if (tableAttached)
        out.append("{\"attachment\":0}");
    else if (table)
        encodeTable(*answer.table, out);
    else
        appendJson(out, result);
    out.append(']');
    if (tableAttached || streamSize >= 0)
        out.append(",\"attachments\":1");
    out.append('}');
    finishFrame(out, start);
    if (tableAttached) {
        const qsizetype at = beginFrame(out);
        if (table)
            encodeTable(*answer.table, out);
        else
            appendJson(out, result);
        finishFrame(out, at);
    } else if (streamSize >= 0) {
        const qsizetype at = beginFrame(out);
        out.append(stream);
        finishFrame(out, at);
    }
}

namespace {

QJsonObject errorReply(const QString &text)
{
    return {{QStringLiteral("error"), text}};
}

// One accepted connection on a plain blocking-with-deadline descriptor. Input
// is read in large pieces and split into frames here, so requests sent
// together are all at hand; answers collect in `out` and leave in one write
// when the next request is not yet there.
class Channel {
public:
    enum class Status { Ok, Closed, Failed };

    explicit Channel(int fd) : m_fd(fd)
    {
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    }
    ~Channel() { ::close(m_fd); }
    Channel(const Channel &) = delete;
    Channel &operator=(const Channel &) = delete;

    QByteArray &out() { return m_out; }
    Status status() const { return m_status; }

    std::optional<QByteArray> readFrame(int timeoutMs, qint64 maxFrame, QString *error)
    {
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            const qsizetype avail = m_in.size() - m_pos;
            if (avail >= 4) {
                const quint32 len = qFromBigEndian<quint32>(m_in.constData() + m_pos);
                if (qint64(len) > maxFrame) {
                    *error = QStringLiteral("Çerçeve çok büyük (%1 bayt)").arg(len);
                    m_status = Status::Failed;
                    return std::nullopt;
                }
                if (avail - 4 >= qsizetype(len)) {
                    QByteArray body(m_in.constData() + m_pos + 4, qsizetype(len));
                    m_pos += 4 + qsizetype(len);
                    return body;
                }
            }
            // Nothing more to answer before the next request arrives.
            if (!m_out.isEmpty() && !flush(timeoutMs)) {
                *error = QStringLiteral("Bağlantı kapandı");
                m_status = Status::Closed;
                return std::nullopt;
            }
            if (!fill(deadline, error))
                return std::nullopt;
        }
    }

    bool flush(int timeoutMs)
    {
        // A fresh connection starts with a small send buffer that grows only
        // as replies go out; a large table would leave in many small turns,
        // each waiting for the client to read. Room for it all at once.
        if (m_out.size() > m_sendBuffer && m_sendBuffer < kMaxSendBuffer) {
            m_sendBuffer = int(std::min<qsizetype>(m_out.size(), kMaxSendBuffer));
            ::setsockopt(m_fd, SOL_SOCKET, SO_SNDBUF, &m_sendBuffer, sizeof m_sendBuffer);
        }
        const QDeadlineTimer deadline(timeoutMs);
        qsizetype done = 0;
        while (done < m_out.size()) {
            const ssize_t n = ::send(m_fd, m_out.constData() + done, size_t(m_out.size() - done), MSG_NOSIGNAL);
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && wait(POLLOUT, deadline))
                continue;
            m_out.clear();
            m_broken = true;
            return false;
        }
        m_out.resize(0);
        return true;
    }

    // Sends what is left and hangs up. After a refused request the peer may
    // still be sending; that input is read and dropped for a moment so that
    // closing does not reset the connection under the error answer.
    void finish()
    {
        if (!m_out.isEmpty() && !m_broken)
            flush(2000);
        if (m_status == Status::Closed || m_broken)
            return;
        ::shutdown(m_fd, SHUT_WR);
        const QDeadlineTimer deadline(1000);
        char sink[4096];
        while (wait(POLLIN, deadline)) {
            const ssize_t n = ::read(m_fd, sink, sizeof sink);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
                break;
        }
    }

private:
    bool wait(short events, QDeadlineTimer deadline)
    {
        for (;;) {
            pollfd p{m_fd, events, 0};
            const qint64 left = deadline.remainingTime();
            if (left == 0)
                return false;
            const int r = ::poll(&p, 1, int(std::min<qint64>(left, 1 << 30)));
            if (r > 0)
                return true;
            if (r == 0)
                return false;
            if (errno != EINTR)
                return false;
        }
    }

    bool fill(QDeadlineTimer deadline, QString *error)
    {
        if (m_pos == m_in.size()) {
            m_in.resize(0);
            m_pos = 0;
        } else if (m_pos > 0) {
            m_in.remove(0, m_pos);
            m_pos = 0;
        }
        // Read into a buffer of the thread's and keep only what came: most
        // requests are small, and a large buffer per connection would cost an
        // allocation of its size every time.
        constexpr std::size_t kPiece = 64 * 1024;
        thread_local std::unique_ptr<char[]> piece(new char[kPiece]);
        for (;;) {
            const ssize_t n = ::read(m_fd, piece.get(), kPiece);
            if (n > 0) {
                m_in.append(piece.get(), qsizetype(n));
                return true;
            }
            if (n == 0) {
                *error = QStringLiteral("Bağlantı kapandı");
                m_status = Status::Closed;
                return false;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                *error = QStringLiteral("Bağlantı kapandı");
                m_status = Status::Closed;
                return false;
            }
            if (!wait(POLLIN, deadline)) {
                *error = deadline.hasExpired() ? QStringLiteral("Sunucu zamanında cevap vermedi") : QStringLiteral("Bağlantı kapandı");
                m_status = Status::Failed;
                return false;
            }
        }
    }

    int m_fd;
    QByteArray m_in;
    qsizetype m_pos = 0;
    QByteArray m_out;
    static constexpr int kMaxSendBuffer = 4 * 1024 * 1024;
    int m_sendBuffer = 64 * 1024;
    Status m_status = Status::Ok;
    bool m_broken = false;  // a write failed: nothing more can be sent
};

void queue(Channel &ch, const QJsonObject &message)
{
    QByteArray &out = ch.out();
    const qsizetype start = beginFrame(out);
    appendJson(out, message);
    finishFrame(out, start);
}

std::optional<QJsonObject> parseRequest(const QByteArray &body, QString *error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        *error = QStringLiteral("Geçersiz çerçeve: %1").arg(pe.errorString());
        return std::nullopt;
    }
    return doc.object();
}

void serveConnection(int fd, const MethodServer::AnswerHandler &handler, qint64 maxFrame, int idleMs)
{
    Channel ch(fd);
    QString error;
    // Handshake first: anything else closes the connection.
    std::optional<QJsonObject> hello;
    if (auto body = ch.readFrame(idleMs, 4096, &error))
        hello = parseRequest(*body, &error);
    if (!hello || hello->value(QStringLiteral("context")).toString() != kDataSnapContext
        || hello->value(QStringLiteral("version")).toInt() != kProtocolVersion) {
        if (ch.status() != Channel::Status::Closed)
            queue(ch, errorReply(hello ? QStringLiteral("Desteklenmeyen protokol") : error));
        ch.finish();
        return;
    }
    // A client that reads table results as attachment frames says so; the
    // answer confirms it. Others get them inside the reply as before.
    const bool tableFrames = hello->value(QStringLiteral("tableFrames")).toBool();
    const TableForm form = tableFrames ? TableForm::Frame : TableForm::Inline;
    QJsonObject welcome{{QStringLiteral("version"), kProtocolVersion}};
    if (tableFrames)
        welcome.insert(QStringLiteral("tableFrames"), true);
    queue(ch, welcome);

    // Handles are numbered from 0 in the order of the prepares on this
    // connection, so a client can send an execute right behind its prepare.
    std::vector<const MethodInfo *> prepared;
    for (;;) {
        std::optional<QJsonObject> msg;
        if (auto body = ch.readFrame(idleMs, maxFrame, &error))
            msg = parseRequest(*body, &error);
        if (!msg) {
            if (ch.status() != Channel::Status::Closed)
                queue(ch, errorReply(error));
            break;
        }
        if (msg->contains(QStringLiteral("prepare"))) {
            const MethodInfo *m = findMethod(msg->value(QStringLiteral("prepare")).toString());
            if (!m) {
                queue(ch, errorReply(QStringLiteral("Bilinmeyen metot: %1").arg(msg->value(QStringLiteral("prepare")).toString())));
                break;
            }
            QJsonArray params;
            for (const MethodParam &p : m->params)
                params.append(QJsonObject{{QStringLiteral("name"), p.name}, {QStringLiteral("kind"), p.kind}, {QStringLiteral("out"), p.out}});
            prepared.push_back(m);
            queue(ch, {{QStringLiteral("handle"), int(prepared.size() - 1)}, {QStringLiteral("params"), params},
                       {QStringLiteral("result"), m->result}});
        } else if (msg->contains(QStringLiteral("execute"))) {
            const int h = msg->value(QStringLiteral("execute")).toInt(-1);
            if (h < 0 || h >= int(prepared.size())) {
                queue(ch, errorReply(QStringLiteral("Geçersiz komut")));
                break;
            }
            const MethodInfo &m = *prepared[std::size_t(h)];
            const QJsonArray values = msg->value(QStringLiteral("values")).toArray();
            if (values.size() != qsizetype(m.params.size())) {
                queue(ch, errorReply(QStringLiteral("%1: %2 değer bekleniyordu").arg(m.name).arg(m.params.size())));
                break;
            }
            MethodAnswer answer;
            bool failed = false;
            try {
                answer = handler(m.name, values);
            } catch (const std::exception &e) {
                queue(ch, errorReply(QString::fromUtf8(e.what())));
                failed = true;
            }
            if (!failed)
                appendExecuteReply(ch.out(), m, answer, form);
        } else {
            queue(ch, errorReply(QStringLiteral("Bilinmeyen istek")));
            break;
        }
    }
    ch.finish();
}

}  // namespace

void MethodServer::incomingConnection(qintptr socketDescriptor)
{
    std::shared_ptr<const AnswerHandler> handler = m_handler;
    const qint64 maxFrame = m_maxFrame;
    const int idle = m_idleTimeoutMs;
    const int fd = int(socketDescriptor);
    m_pool->start([handler = std::move(handler), fd, maxFrame, idle] { serveConnection(fd, *handler, maxFrame, idle); });
}

}  // namespace varo

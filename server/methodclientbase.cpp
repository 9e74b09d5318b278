#include "methodclientbase.h"

#include "protocol/catalogue.h"
#include "protocol/frame.h"
#include "protocol/tablecodec.h"

#include <QJsonObject>
#include "protocol/wiresocket.h"

namespace varo {

MethodClientBase::MethodClientBase(Connection &connection, bool instanceOwner)
    : m_connection(connection), m_instanceOwner(instanceOwner)
{
    if (!connection.Connected())
        throw ConnectionError("Connection cannot be nil.  Make sure the connection has been opened.");
}

MethodClientBase::~MethodClientBase() = default;

QJsonValue MethodClientBase::Reply::value(int position) const
{
    if (position < 0 || std::size_t(position) >= values.size())
        return QJsonValue();
    try {
        return parseJsonValue(values[std::size_t(position)]);
    } catch (const TableFormatError &e) {
        if (connection)
            connection->Close();
        throw ConnectionError(e.what());
    }
}

MethodClientBase::Reply MethodClientBase::call(int slot, const QString &method, const QJsonArray &inputs)
{
    WireSocket *s = m_connection.socket();
    if (!s || !m_connection.Connected())
        throw ConnectionError("Bağlantı açık değil");
    const int timeout = m_connection.timeoutMs;
    const qint64 maxFrame = m_connection.maxFrame;
    QString error;
    // A reply that cannot be read leaves the connection in an unknown state:
    // it is closed, so the next call fails cleanly instead of reading garbage.
    auto broken = [&](const std::string &why) {
        m_connection.Close();
        return ConnectionError(why);
    };
    auto receive = [&] {
        auto body = readFrameBytes(*s, timeout, maxFrame, &error);
        if (!body)
            throw broken(error.toStdString());
        Reply r;
        r.connection = &m_connection;
        r.tableFrames = m_connection.tableFrames();
        r.body = std::move(*body);
        int attachments = 0;
        try {
            for (const auto &[key, raw] : jsonObjectMembers(r.body)) {
                if (key == u"error")
                    throw ServerError(parseJsonValue(raw).toString().toStdString());
                if (key == u"values")
                    r.values = jsonArrayElements(raw);
                else if (key == u"attachments") {
                    const QJsonValue n = parseJsonValue(raw);
                    attachments = n.toInt(-1);
                    if (attachments < 0 || attachments > 16)
                        throw broken("Geçersiz cevap: ek sayısı");
                }
            }
        } catch (const TableFormatError &e) {
            throw broken(std::string("Geçersiz cevap: ") + e.what());
        }
        for (int i = 0; i < attachments; ++i) {
            auto a = readFrameBytes(*s, timeout, maxFrame, &error);
            if (!a)
                throw broken(error.toStdString());
            r.attachments.push_back(std::move(*a));
        }
        return r;
    };

    // Everything the call needs leaves in one write: the handshake on a fresh
    // connection, the prepare the first time this client runs the method on
    // it, and the execute; then the answers are read in the same order.
    QByteArray request;
    const bool handshake = m_connection.appendHandshake(request);
    auto it = m_handles.find(slot);
    const bool prepare = it == m_handles.end() || it->second.first != m_connection.generation();
    const int handle = prepare ? m_connection.claimHandle() : it->second.second;
    if (prepare) {
        const qsizetype start = beginFrame(request);
        request.append("{\"prepare\":");
        appendJsonString(request, QString(kCommandPrefix + method));
        request.append('}');
        finishFrame(request, start);
    }
    const qsizetype start = beginFrame(request);
    request.append("{\"execute\":");
    request.append(QByteArray::number(handle));
    request.append(",\"values\":");
    appendJson(request, inputs);
    request.append('}');
    finishFrame(request, start);
    if (!writeBytes(*s, request, timeout, &error))
        throw broken(error.toStdString());

    if (handshake)
        m_connection.readHandshakeAnswer();
    if (prepare) {
        Reply r;
        try {
            r = receive();
        } catch (const ServerError &) {
            m_connection.Close();  // the server hangs up after refusing a prepare
            throw;
        }
        QJsonValue answered;
        for (const auto &[key, raw] : jsonObjectMembers(r.body))
            if (key == u"handle")
                answered = parseJsonValue(raw);
        if (!answered.isDouble() || answered.toInt() != handle)
            throw broken("Geçersiz cevap: komut numarası yok");
        m_handles[slot] = {m_connection.generation(), handle};
    }
    return receive();
}

QJsonArray MethodClientBase::execute(int slot, const QString &method, const QJsonArray &inputs)
{
    const Reply r = call(slot, method, inputs);
    const MethodInfo *info = findMethod(kCommandPrefix + method);
    const int resultAt = info ? int(info->params.size()) : -1;
    QJsonArray out;
    for (std::size_t i = 0; i < r.values.size(); ++i) {
        if (int(i) == resultAt && info->result == u"R") {
            const QByteArrayView raw = tableBytes(r, resultAt);
            try {
                out.append(raw.isEmpty() ? QJsonValue() : parseJsonValue(raw));
            } catch (const TableFormatError &e) {
                m_connection.Close();
                throw ConnectionError(e.what());
            }
            continue;
        }
        QJsonValue v = r.value(int(i));
        const QJsonObject o = v.toObject();
        if (o.contains(QStringLiteral("attachment"))) {
            const int a = o.value(QStringLiteral("attachment")).toInt(-1);
            if (a < 0 || std::size_t(a) >= r.attachments.size())
                throw ConnectionError("Geçersiz cevap: ek yok");
            v = QJsonObject{{QStringLiteral("size"), double(r.attachments[std::size_t(a)].size())},
                            {QStringLiteral("base64"), QString::fromLatin1(r.attachments[std::size_t(a)].toBase64())}};
        }
        out.append(v);
    }
    return out;
}

QByteArrayView MethodClientBase::tableBytes(const Reply &reply, int position)
{
    if (position < 0 || std::size_t(position) >= reply.values.size())
        return {};
    const QByteArrayView raw = reply.values[std::size_t(position)];
    if (raw.startsWith("null"))
        return {};
    if (!reply.tableFrames)
        return raw;
    const int a = reply.value(position).toObject().value(QStringLiteral("attachment")).toInt(-1);
    if (a < 0 || std::size_t(a) >= reply.attachments.size()) {
        m_connection.Close();
        throw ConnectionError("Geçersiz cevap: ek yok");
    }
    return reply.attachments[std::size_t(a)];
}

DataSet *MethodClientBase::keepReader(int, const Reply &reply, int position)
{
    auto ds = std::make_unique<DataSet>();
    const QByteArrayView raw = tableBytes(reply, position);
    if (!raw.isEmpty()) {
        try {
            decodeTable(raw, *ds);
        } catch (const TableFormatError &e) {
            m_connection.Close();
            throw ConnectionError(e.what());
        }
    }
    ds->open();
    m_readers.push_back(std::move(ds));
    return m_readers.back().get();
}

QIODevice *MethodClientBase::keepStream(int, const Reply &reply, int position)
{
    const QJsonObject o = reply.value(position).toObject();
    QByteArray bytes;
    if (o.contains(QStringLiteral("attachment"))) {
        const int a = o.value(QStringLiteral("attachment")).toInt(-1);
        if (a < 0 || std::size_t(a) >= reply.attachments.size()) {
            m_connection.Close();
            throw ConnectionError("Geçersiz cevap: ek yok");
        }
        bytes = reply.attachments[std::size_t(a)];
    } else
        bytes = QByteArray::fromBase64(o.value(QStringLiteral("base64")).toString().toLatin1());
    auto b = std::make_unique<QBuffer>();
    b->setData(bytes);
    b->open(QIODevice::ReadOnly);
    m_streams.push_back(std::move(b));
    return m_streams.back().get();
}

}  // namespace varo

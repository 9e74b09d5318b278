#include "methodclientbase.h"

#include "protocol/catalogue.h"
#include "protocol/frame.h"
#include "protocol/tablejson.h"

#include <QTcpSocket>

namespace varo {

MethodClientBase::MethodClientBase(Connection &connection, bool instanceOwner)
    : m_connection(connection), m_instanceOwner(instanceOwner)
{
    if (!connection.Connected())
        throw ConnectionError("Connection cannot be nil.  Make sure the connection has been opened.");
}

MethodClientBase::~MethodClientBase() = default;

QJsonArray MethodClientBase::execute(int slot, const QString &method, const QJsonArray &inputs)
{
    QTcpSocket *s = m_connection.socket();
    if (!s || !m_connection.Connected())
        throw ConnectionError("Bağlantı açık değil");
    const int timeout = m_connection.timeoutMs;
    QString error;
    auto call = [&](const QJsonObject &msg) {
        if (!writeFrame(*s, msg, timeout, &error))
            throw ConnectionError(error.toStdString());
        auto reply = readFrame(*s, timeout, kDefaultMaxFrame, &error);
        if (!reply)
            throw ConnectionError(error.toStdString());
        if (reply->contains(QStringLiteral("error")))
            throw ServerError(reply->value(QStringLiteral("error")).toString().toStdString());
        return *reply;
    };
    auto it = m_handles.find(slot);
    if (it == m_handles.end()) {
        const QJsonObject r = call({{QStringLiteral("prepare"), kCommandPrefix + method}});
        it = m_handles.emplace(slot, r.value(QStringLiteral("handle")).toInt()).first;
    }
    const QJsonObject r = call({{QStringLiteral("execute"), it->second}, {QStringLiteral("values"), inputs}});
    return r.value(QStringLiteral("values")).toArray();
}

DataSet *MethodClientBase::keepReader(int, const QJsonValue &v)
{
    auto ds = std::make_unique<DataSet>();
    if (v.isObject())
        dataSetFromJson(v.toObject(), *ds);
    ds->open();
    m_readers.push_back(std::move(ds));
    return m_readers.back().get();
}

QIODevice *MethodClientBase::keepStream(int, const QJsonValue &v)
{
    auto b = std::make_unique<QBuffer>();
    b->setData(QByteArray::fromBase64(v.toObject().value(QStringLiteral("base64")).toString().toLatin1()));
    b->open(QIODevice::ReadOnly);
    m_streams.push_back(std::move(b));
    return m_streams.back().get();
}

}  // namespace varo

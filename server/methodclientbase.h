#pragma once

#include "protocol/dataset.h"
#include "protocol/transferobjects.h"
#include "server/connection.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonValue>

#include <map>
#include <memory>
#include <vector>

namespace varo {

// Raised when the server method itself failed; carries the server's message.
struct ServerError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What every generated operation needs: the command handles prepared once per
// client instance, and ownership of what the calls returned. Readers and
// streams live until the client is destroyed; an object result until the same
// operation runs again.
class MethodClientBase {
public:
    explicit MethodClientBase(Connection &connection, bool instanceOwner = true);
    virtual ~MethodClientBase();
    MethodClientBase(const MethodClientBase &) = delete;
    MethodClientBase &operator=(const MethodClientBase &) = delete;

    // Generic form, for tools: positional values in, positional values out
    // (a stream as {"size": n, "base64": "..."}).
    QJsonArray execute(int slot, const QString &method, const QJsonArray &inputs);

protected:
    // An execute reply as it arrived: the positional values are views into
    // the frame, parsed only when asked for, so a table is decoded straight
    // from the bytes into a data set.
    struct Reply {
        QByteArray body;
        std::vector<QByteArrayView> values;
        std::vector<QByteArray> attachments;
        Connection *connection = nullptr;  // closed when a value turns out unreadable
        bool tableFrames = false;          // table results came as attachment frames
        QJsonValue value(int position) const;
    };
    Reply call(int slot, const QString &method, const QJsonArray &inputs);
    // The bytes of the table at `position`: inside the reply, or its
    // attachment frame. Empty for a null table.
    QByteArrayView tableBytes(const Reply &reply, int position);

    DataSet *keepReader(int slot, const Reply &reply, int position);
    QIODevice *keepStream(int slot, const Reply &reply, int position);
    template <class T>
    T *keepObject(int slot, const QJsonValue &v)
    {
        m_objects.erase(slot);
        if (!v.isObject())
            return nullptr;
        std::unique_ptr<T> o = T::fromJson(v.toObject());
        T *raw = o.get();
        m_objects[slot] = std::shared_ptr<void>(o.release(), [](void *p) { delete static_cast<T *>(p); });
        return raw;
    }
    template <class E>
    TransferList<E> *keepList(int slot, const QJsonValue &v)
    {
        m_objects.erase(slot);
        if (!v.isObject())
            return nullptr;
        auto o = listFromJson<E>(v.toObject());
        auto *raw = o.get();
        m_objects[slot] = std::shared_ptr<void>(o.release(), [](void *p) { delete static_cast<TransferList<E> *>(p); });
        return raw;
    }

private:
    Connection &m_connection;
    bool m_instanceOwner;
    std::map<int, std::pair<quint64, int>> m_handles;  // slot -> connection generation, server handle
    std::vector<std::unique_ptr<DataSet>> m_readers;
    std::vector<std::unique_ptr<QBuffer>> m_streams;
    std::map<int, std::shared_ptr<void>> m_objects;
};

}  // namespace varo

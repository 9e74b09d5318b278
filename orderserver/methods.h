#pragma once

#include "orderserver/repository.h"
#include "protocol/methodserver.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

namespace varo::orderserver {

using varo::MethodAnswer;

// The server methods in JSON form: positional input values in, the result and
// the out parameters back. This is what the web mirror serves and what the
// binary wire handlers call, so both answer alike.
//
// Answer shape: {"result": value, "out": {"name": value, ...}}.
// Tables: {"columns": [{"name", "type": code}], "data": [[column 0 values], ...]}.
// Streams: {"size": n, "base64": "..."}.
// Objects: {"type": "unit.Class", "fields": {"FName": value, ...}}; lists of
// objects: {"type": "unit.List", "items": [object, ...]}.
class ServerMethods {
public:
    explicit ServerMethods(Repository &repo) : m_repo(repo) {}

    // Throws RequestError for an unknown method or bad arguments, DbError on
    // storage failures.
    QJsonObject call(const QString &method, const QJsonArray &params);
    // The same answer with a table result kept as its data set, for the wire.
    varo::MethodAnswer run(const QString &method, const QJsonArray &params);

    static QStringList methodNames();  // in catalogue order

    static Session sessionFromJson(const QJsonValue &v);
    static QJsonObject sessionToJson(const Session &s);
    static QJsonObject tableToJson(const varo::DataSet &t);

private:
    Repository &m_repo;
};

}  // namespace varo::orderserver

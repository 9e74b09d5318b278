// varo-call: calls one method of an order server and prints what it answered
// as JSON. For administrators and for scripts that check a running server.
#include "protocol/catalogue.h"
#include "server/connection.h"
#include "server/methodclientbase.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

namespace {

const char *const kUsage = R"(usage: varo-call [--host H] [--port P] [--stream-out FILE] METHOD [ARG...]
Arguments are given in parameter order, out parameters skipped. Text as it
is, numbers as numbers, objects as JSON ({"type": "baglantiu.TSonucBilgisi",
"fields": {...}}) or "null". A stream result is written to FILE, or to
standard output when FILE is "-"; the JSON answer then shows its size.
)";

int fail(const QString &text, int code = 1)
{
    QTextStream(stderr) << "varo-call: " << text << Qt::endl;
    return code;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    varo::Connection conn;
    conn.HostName = varo::Connection::portalHost();
    conn.Port = varo::Connection::portalPort();
    QString streamOut;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString opt = args.takeFirst();
        if (opt == QLatin1String("--help")) {
            QTextStream(stdout) << kUsage;
            return 0;
        }
        if (args.isEmpty())
            return fail(QStringLiteral("%1 needs a value").arg(opt), 2);
        const QString value = args.takeFirst();
        if (opt == QLatin1String("--host"))
            conn.HostName = value;
        else if (opt == QLatin1String("--port"))
            conn.Port = value;
        else if (opt == QLatin1String("--stream-out"))
            streamOut = value;
        else
            return fail(QStringLiteral("unknown option %1").arg(opt), 2);
    }
    if (args.isEmpty()) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    const varo::MethodInfo *m = varo::findMethod(args.takeFirst());
    if (!m)
        return fail(QStringLiteral("no such method"), 2);
    QJsonArray in;
    for (const varo::MethodParam &p : m->params) {
        if (p.out || p.kind == u"C") {
            in.append(QJsonValue());
            continue;
        }
        if (args.isEmpty())
            return fail(QStringLiteral("missing argument %1").arg(p.name), 2);
        const QString a = args.takeFirst();
        if (p.kind == u"S") {
            in.append(a);
        } else if (p.kind == u"I" || p.kind == u"D") {
            bool ok = false;
            const double d = a.toDouble(&ok);
            if (!ok)
                return fail(QStringLiteral("%1 must be a number").arg(p.name), 2);
            in.append(d);
        } else {
            const QJsonDocument doc = QJsonDocument::fromJson(a.toUtf8());
            in.append(a == u"null" ? QJsonValue() : QJsonValue(doc.object()));
        }
    }
    if (!args.isEmpty())
        return fail(QStringLiteral("too many arguments"), 2);
    const int slot = int(m - varo::methodCatalogue().data());
    try {
        conn.Open();
        varo::MethodClientBase client(conn);
        QJsonArray values = client.execute(slot, m->name, in);
        QJsonObject out;
        for (std::size_t i = 0; i < m->params.size(); ++i)
            if (m->params[i].out)
                out.insert(m->params[i].name, values.at(qsizetype(i)));
        QJsonValue result = values.at(qsizetype(m->params.size()));
        if (m->result == u"T" && !streamOut.isEmpty()) {
            const QByteArray bytes = QByteArray::fromBase64(result.toObject().value(QStringLiteral("base64")).toString().toLatin1());
            if (streamOut == u"-") {
                fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
                return 0;
            }
            QFile f(streamOut);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                return fail(QStringLiteral("cannot write %1").arg(streamOut));
            result = QJsonObject{{QStringLiteral("size"), double(bytes.size())}, {QStringLiteral("file"), streamOut}};
        }
        QJsonObject answer{{QStringLiteral("result"), result}};
        if (!out.isEmpty())
            answer.insert(QStringLiteral("out"), out);
        QTextStream(stdout) << QJsonDocument(answer).toJson(QJsonDocument::Indented);
        return 0;
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
}

#include "frame.h"
#include "wiresocket.h"

#include <QAbstractSocket>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QtEndian>

#include <QJsonArray>
#include <QLocale>

#include <cmath>
#include <cstring>
#include <limits>

namespace varo {

QByteArray encodeFrameBytes(QByteArrayView body)
{
    QByteArray out(4 + body.size(), Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(body.size()), out.data());
    memcpy(out.data() + 4, body.data(), size_t(body.size()));
    return out;
}

QByteArray encodeFrame(const QJsonObject &message)
{
    QByteArray out;
    const qsizetype start = beginFrame(out);
    appendJson(out, message);
    finishFrame(out, start);
    return out;
}

qsizetype beginFrame(QByteArray &out)
{
    const qsizetype start = out.size();
    out.append(4, '\0');
    return start;
}

void finishFrame(QByteArray &out, qsizetype start)
{
    qToBigEndian<quint32>(quint32(out.size() - start - 4), out.data() + start);
}

void appendJsonString(QByteArray &out, QStringView text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    out.reserve(out.size() + utf8.size() + 2);
    out.append('"');
    const char *p = utf8.constData();
    const char *const end = p + utf8.size();
    const char *run = p;
    for (; p < end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(run, p - run);
        run = p + 1;
        switch (c) {
        case '"': out.append("\\\"", 2); break;
        case '\\': out.append("\\\\", 2); break;
        case '\b': out.append("\\b", 2); break;
        case '\f': out.append("\\f", 2); break;
        case '\n': out.append("\\n", 2); break;
        case '\r': out.append("\\r", 2); break;
        case '\t': out.append("\\t", 2); break;
        default: {
            const char esc[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
            out.append(esc, 6);
        }
        }
    }
    out.append(run, end - run);
    out.append('"');
}

void appendJson(QByteArray &out, const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        out.append("null", 4);
        break;
    case QJsonValue::Bool:
        value.toBool() ? out.append("true", 4) : out.append("false", 5);
        break;
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            out.append("null", 4);
        else if (d == std::trunc(d) && std::fabs(d) < 9007199254740992.0)
            out.append(QByteArray::number(qint64(d)));
        else
            out.append(QByteArray::number(d, 'g', QLocale::FloatingPointShortest));
        break;
    }
    case QJsonValue::String:
        appendJsonString(out, value.toString());
        break;
    case QJsonValue::Array: {
        const QJsonArray a = value.toArray();
        out.append('[');
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (i)
                out.append(',');
            appendJson(out, a.at(i));
        }
        out.append(']');
        break;
    }
    case QJsonValue::Object: {
        const QJsonObject o = value.toObject();
        out.append('{');
        bool first = true;
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (!first)
                out.append(',');
            first = false;
            appendJsonString(out, it.key());
            out.append(':');
            appendJson(out, it.value());
        }
        out.append('}');
        break;
    }
    }
}

namespace {

bool readExactly(QAbstractSocket &s, char *dst, qint64 n, QDeadlineTimer deadline, QString *error)
{
    qint64 got = 0;
    while (got < n) {
        if (s.bytesAvailable() == 0) {
            if (s.state() != QAbstractSocket::ConnectedState && s.bytesAvailable() == 0) {
                *error = QStringLiteral("Bağlantı kapandı");
                return false;
            }
            if (!s.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
                *error = deadline.hasExpired() ? QStringLiteral("Sunucu zamanında cevap vermedi")
                                               : QStringLiteral("Bağlantı kapandı");
                return false;
            }
        }
        const qint64 r = s.read(dst + got, n - got);
        if (r < 0) {
            *error = s.errorString();
            return false;
        }
        got += r;
    }
    return true;
}

}  // namespace

namespace {

// One frame's body through `read(dst, n, deadline, error)`.
template <class ReadExactly>
std::optional<QByteArray> readFrameWith(ReadExactly read, int timeoutMs, qint64 maxFrame, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    const QDeadlineTimer deadline(timeoutMs);
    char head[4];
    if (!read(head, 4, deadline, error))
        return std::nullopt;
    const quint32 len = qFromBigEndian<quint32>(head);
    if (qint64(len) > maxFrame) {
        *error = QStringLiteral("Çerçeve çok büyük (%1 bayt)").arg(len);
        return std::nullopt;
    }
    QByteArray body(qsizetype(len), Qt::Uninitialized);
    if (!read(body.data(), len, deadline, error))
        return std::nullopt;
    return body;
}

std::optional<QJsonObject> frameObject(const std::optional<QByteArray> &body, QString *error)
{
    if (!body)
        return std::nullopt;
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(*body, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = QStringLiteral("Geçersiz çerçeve: %1").arg(pe.errorString());
        return std::nullopt;
    }
    return doc.object();
}

}  // namespace

std::optional<QByteArray> readFrameBytes(QAbstractSocket &socket, int timeoutMs, qint64 maxFrame, QString *error)
{
    return readFrameWith([&](char *dst, qint64 n, QDeadlineTimer d, QString *e) { return readExactly(socket, dst, n, d, e); },
                         timeoutMs, maxFrame, error);
}

std::optional<QByteArray> readFrameBytes(WireSocket &socket, int timeoutMs, qint64 maxFrame, QString *error)
{
    return readFrameWith([&](char *dst, qint64 n, QDeadlineTimer d, QString *e) { return socket.readExactly(dst, n, d, e); },
                         timeoutMs, maxFrame, error);
}

std::optional<QJsonObject> readFrame(QAbstractSocket &socket, int timeoutMs, qint64 maxFrame, QString *error)
{
    return frameObject(readFrameBytes(socket, timeoutMs, maxFrame, error), error);
}

std::optional<QJsonObject> readFrame(WireSocket &socket, int timeoutMs, qint64 maxFrame, QString *error)
{
    return frameObject(readFrameBytes(socket, timeoutMs, maxFrame, error), error);
}

bool writeFrame(QAbstractSocket &socket, const QJsonObject &message, int timeoutMs, QString *error)
{
    QByteArray body;
    appendJson(body, message);
    return writeFrameBytes(socket, body, timeoutMs, error);
}

bool writeFrameBytes(QAbstractSocket &socket, QByteArrayView body, int timeoutMs, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    if (body.size() > qsizetype(std::numeric_limits<quint32>::max())) {
        *error = QStringLiteral("Çerçeve çok büyük (%1 bayt)").arg(body.size());
        return false;
    }
    char head[4];
    qToBigEndian<quint32>(quint32(body.size()), head);
    if (socket.write(head, 4) != 4) {
        *error = socket.errorString();
        return false;
    }
    return writeBytes(socket, body, timeoutMs, error);
}

bool writeBytes(QAbstractSocket &socket, QByteArrayView bytes, int timeoutMs, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    if (socket.write(bytes.data(), bytes.size()) != bytes.size()) {
        *error = socket.errorString();
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())))) {
            *error = socket.errorString();
            return false;
        }
    }
    return true;
}

bool writeBytes(WireSocket &socket, QByteArrayView bytes, int timeoutMs, QString *error)
{
    QString dummy;
    return socket.writeAll(bytes.data(), bytes.size(), QDeadlineTimer(timeoutMs), error ? error : &dummy);
}

}  // namespace varo

#include "frame.h"

#include <QAbstractSocket>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QtEndian>

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
    return encodeFrameBytes(QJsonDocument(message).toJson(QJsonDocument::Compact));
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

std::optional<QByteArray> readFrameBytes(QAbstractSocket &socket, int timeoutMs, qint64 maxFrame, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    const QDeadlineTimer deadline(timeoutMs);
    char head[4];
    if (!readExactly(socket, head, 4, deadline, error))
        return std::nullopt;
    const quint32 len = qFromBigEndian<quint32>(head);
    if (qint64(len) > maxFrame) {
        *error = QStringLiteral("Çerçeve çok büyük (%1 bayt)").arg(len);
        return std::nullopt;
    }
    QByteArray body(qsizetype(len), Qt::Uninitialized);
    if (!readExactly(socket, body.data(), len, deadline, error))
        return std::nullopt;
    return body;
}

std::optional<QJsonObject> readFrame(QAbstractSocket &socket, int timeoutMs, qint64 maxFrame, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    const std::optional<QByteArray> body = readFrameBytes(socket, timeoutMs, maxFrame, error);
    if (!body)
        return std::nullopt;
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(*body, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        *error = QStringLiteral("Geçersiz çerçeve: %1").arg(pe.errorString());
        return std::nullopt;
    }
    return doc.object();
}

bool writeFrame(QAbstractSocket &socket, const QJsonObject &message, int timeoutMs, QString *error)
{
    return writeFrameBytes(socket, QJsonDocument(message).toJson(QJsonDocument::Compact), timeoutMs, error);
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
    if (socket.write(head, 4) != 4 || socket.write(body.data(), body.size()) != body.size()) {
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

}  // namespace varo

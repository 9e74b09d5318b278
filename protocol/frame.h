#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringView>
#include <QString>

#include <optional>

class QAbstractSocket;

namespace varo {

class WireSocket;

// A frame is a 4-byte big-endian length followed by that many bytes of UTF-8
// JSON holding one object. Both ends refuse frames above the limit before
// reading them, so a hostile length cannot make either side allocate it.
inline constexpr qint64 kDefaultMaxFrame = 256 * 1024 * 1024;
inline constexpr int kProtocolVersion = 1;
inline const QString kDataSnapContext = QStringLiteral("datasnap/");

QByteArray encodeFrame(const QJsonObject &message);
QByteArray encodeFrameBytes(QByteArrayView body);

// Compact JSON of one value appended to `out`, the same text QJsonDocument
// writes (keys sorted, integers in doubles written as integers, NaN and
// infinities as null), without building a document first.
void appendJson(QByteArray &out, const QJsonValue &value);
void appendJsonString(QByteArray &out, QStringView text);

// Frames built in place: reserve the length, append the body, then patch the
// length in. Returns the offset to hand to finishFrame.
qsizetype beginFrame(QByteArray &out);
void finishFrame(QByteArray &out, qsizetype start);

// Blocking read of one frame with a deadline. On failure returns nothing and
// says why in `error`.
std::optional<QJsonObject> readFrame(QAbstractSocket &socket, int timeoutMs, qint64 maxFrame, QString *error);
std::optional<QJsonObject> readFrame(WireSocket &socket, int timeoutMs, qint64 maxFrame, QString *error);
bool writeFrame(QAbstractSocket &socket, const QJsonObject &message, int timeoutMs, QString *error);

// The same for a frame whose body is not parsed into a document: execute
// replies (whose tables are decoded straight into data sets) and the binary
// attachments that carry byte streams.
std::optional<QByteArray> readFrameBytes(QAbstractSocket &socket, int timeoutMs, qint64 maxFrame, QString *error);
std::optional<QByteArray> readFrameBytes(WireSocket &socket, int timeoutMs, qint64 maxFrame, QString *error);
bool writeFrameBytes(QAbstractSocket &socket, QByteArrayView body, int timeoutMs, QString *error);
// Already framed bytes (several frames sent together), written in full.
bool writeBytes(QAbstractSocket &socket, QByteArrayView bytes, int timeoutMs, QString *error);
bool writeBytes(WireSocket &socket, QByteArrayView bytes, int timeoutMs, QString *error);

}  // namespace varo

#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

namespace varo {

// The client end of a method connection: a plain TCP socket used in blocking
// fashion with deadlines, by one thread at a time.
//
// A client opens a connection per call, so what a socket costs to set up and
// to read from is paid on every call: this one is a descriptor and a read
// buffer. Small frames come out of the buffer; the bulk of a large one is
// read by the system straight into its destination, without a copy in between.
class WireSocket {
public:
    WireSocket() = default;
    ~WireSocket();
    WireSocket(const WireSocket &) = delete;
    WireSocket &operator=(const WireSocket &) = delete;

    // Resolves `host` (a name or an address) and connects to the first of
    // its addresses that answers. On failure says why in `error`.
    bool connectTo(const QString &host, quint16 port, int timeoutMs, QString *error);
    // Connected, and neither closed here nor found closed by the peer.
    bool isOpen() const { return m_fd >= 0 && !m_peerClosed; }
    void close();

    bool writeAll(const char *data, qint64 n, QDeadlineTimer deadline, QString *error);
    bool readExactly(char *dst, qint64 n, QDeadlineTimer deadline, QString *error);
    // Bytes that can be read without waiting.
    qint64 bytesAvailable() const;

private:
    bool wait(short events, QDeadlineTimer deadline, QString *error);

    int m_fd = -1;
    bool m_peerClosed = false;
    QByteArray m_buf;  // read ahead, not handed out yet from m_pos on
    qsizetype m_pos = 0;
};

}  // namespace varo

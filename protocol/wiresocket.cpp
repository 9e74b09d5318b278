#include "wiresocket.h"

#include <QHostAddress>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varo {

namespace {

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// Most replies are a few kilobytes: one read takes them whole.
constexpr qsizetype kReadAhead = 64 * 1024;
// A large reply is read straight into its frame past this much.
constexpr qint64 kDirect = 16 * 1024;

}  // namespace

WireSocket::~WireSocket()
{
    close();
}

void WireSocket::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_peerClosed = false;
    m_buf.clear();
    m_pos = 0;
}

bool WireSocket::connectTo(const QString &host, quint16 port, int timeoutMs, QString *error)
{
    close();
    const QDeadlineTimer deadline(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // An address needs no lookup; a name goes through the system's resolver.
    if (!QHostAddress(host).isNull())
        hints.ai_flags = AI_NUMERICHOST;
    addrinfo *found = nullptr;
    const QByteArray name = host.toUtf8();
    const QByteArray service = QByteArray::number(port);
    if (const int rc = ::getaddrinfo(name.constData(), service.constData(), &hints, &found); rc != 0 || !found) {
        *error = QStringLiteral("Sunucu bulunamadı: %1 (%2)").arg(host, QString::fromLocal8Bit(::gai_strerror(rc)));
        return false;
    }
    int lastError = ECONNREFUSED;
    for (addrinfo *a = found; a; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        bool ok = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        if (!ok && errno == EINPROGRESS) {
            m_fd = fd;
            QString waitError;
            ok = wait(POLLOUT, deadline, &waitError);
            m_fd = -1;
            int soError = ok ? 0 : ETIMEDOUT;
            socklen_t len = sizeof soError;
            if (ok && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0)
                soError = errno;
            ok = soError == 0;
            if (!ok)
                lastError = soError;
        } else if (!ok) {
            lastError = errno;
        }
        if (!ok) {
            ::close(fd);
            if (deadline.hasExpired())
                break;
            continue;
        }
        // Requests are small and each waits for its answer: never hold one
        // back. Room for a large table at once: a fresh connection's window
        // would make the server send it in small turns.
        const int on = 1, room = 1 << 20;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &room, sizeof room);
        m_fd = fd;
        break;
    }
    ::freeaddrinfo(found);
    if (m_fd < 0) {
        *error = systemError(lastError);
        return false;
    }
    return true;
}

bool WireSocket::wait(short events, QDeadlineTimer deadline, QString *error)
{
    for (;;) {
        const qint64 left = deadline.remainingTime();  // -1: forever
        pollfd p{m_fd, events, 0};
        const int rc = ::poll(&p, 1, left < 0 ? -1 : int(std::min<qint64>(left, 1 << 30)));
        if (rc > 0)
            return true;
        if (rc == 0) {
            *error = QStringLiteral("Sunucu zamanında cevap vermedi");
            return false;
        }
        if (errno != EINTR) {
            *error = systemError(errno);
            return false;
        }
    }
}

bool WireSocket::writeAll(const char *data, qint64 n, QDeadlineTimer deadline, QString *error)
{
    if (m_fd < 0) {
        *error = QStringLiteral("Bağlantı açık değil");
        return false;
    }
    qint64 done = 0;
    while (done < n) {
        const ssize_t w = ::send(m_fd, data + done, size_t(n - done), MSG_NOSIGNAL);
        if (w > 0) {
            done += w;
        } else if (w < 0 && errno == EINTR) {
            continue;
        } else if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!wait(POLLOUT, deadline, error))
                return false;
        } else {
            *error = w < 0 && errno != EPIPE && errno != ECONNRESET ? systemError(errno) : QStringLiteral("Bağlantı kapandı");
            m_peerClosed = true;
            return false;
        }
    }
    return true;
}

bool WireSocket::readExactly(char *dst, qint64 n, QDeadlineTimer deadline, QString *error)
{
    if (m_fd < 0) {
        *error = QStringLiteral("Bağlantı açık değil");
        return false;
    }
    qint64 got = 0;
    for (;;) {
        const qint64 buffered = m_buf.size() - m_pos;
        if (buffered > 0) {
            const qint64 take = std::min(buffered, n - got);
            std::memcpy(dst + got, m_buf.constData() + m_pos, size_t(take));
            m_pos += take;
            got += take;
        }
        if (got == n)
            return true;
        // Read ahead into the buffer, or the rest of a large frame in place.
        const bool direct = n - got >= kDirect;
        char *into = dst + got;
        qint64 room = n - got;
        if (!direct) {
            m_buf.resize(kReadAhead);
            m_pos = 0;
            into = m_buf.data();
            room = kReadAhead;
        }
        const ssize_t r = ::recv(m_fd, into, size_t(room), 0);
        if (!direct)
            m_buf.resize(std::max<qsizetype>(r, 0));
        if (r > 0) {
            if (direct)
                got += r;
            continue;
        }
        if (r == 0) {
            m_peerClosed = true;
            *error = QStringLiteral("Bağlantı kapandı");
            return false;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!wait(POLLIN, deadline, error))
                return false;
            continue;
        }
        *error = errno == ECONNRESET ? QStringLiteral("Bağlantı kapandı") : systemError(errno);
        m_peerClosed = true;
        return false;
    }
}

qint64 WireSocket::bytesAvailable() const
{
    int pending = 0;
    if (m_fd >= 0)
        ::ioctl(m_fd, FIONREAD, &pending);
    return (m_buf.size() - m_pos) + pending;
}

}  // namespace varo

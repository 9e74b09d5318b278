#pragma once

#include "protocol/frame.h"

#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

namespace varo {

class WireSocket;

// Raised when a connection cannot be opened or a call fails on the way.
struct ConnectionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The main connection `bagc` and its copies. Closed at rest; opened around
// calls. A connection (and the socket it opens) belongs to the thread that
// opens it: background bodies work on their own copy.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionName = QStringLiteral("DataSnapCONNECTION");
    QString DriverName = QStringLiteral("DataSnap");
    bool LoginPrompt = false;
    QString CommunicationProtocol = QStringLiteral("tcp/ip");
    QString HostName = QStringLiteral("localhost");
    QString Port = QStringLiteral("9095");
    QString DatasnapContext = QStringLiteral("datasnap/");
    QString Filters = QStringLiteral("{}");
    QString DSProxyPort = QStringLiteral("8095");
    int timeoutMs = 30000;       // per call; a server that stops answering fails the call
    int connectTimeoutMs = 3000;
    qint64 maxFrame = kDefaultMaxFrame;  // largest reply accepted; above it the call fails

    // TCP connect. The handshake leaves with the first request and its answer
    // is read just before that request's, so a call on a fresh connection
    // costs one round trip; a refused handshake fails that first call.
    // Opening an open connection does nothing.
    void Open();
    void Close();
    bool Connected() const;

    // A new, closed connection with the same parameters as this one now.
    std::unique_ptr<Connection> CloneConnection() const;

    WireSocket *socket() const { return m_socket.get(); }

    // For the method client. Every open starts a new generation: command
    // handles prepared on an earlier one are void. The server numbers the
    // prepares of a connection from 0, so the next handle is known before
    // its answer arrives.
    quint64 generation() const { return m_generation; }
    int claimHandle() { return m_nextHandle++; }
    // Appends the handshake to `out` unless it was already sent on this
    // connection; true when it was appended and its answer is still to come.
    bool appendHandshake(QByteArray &out);
    // Reads and checks the handshake's answer; throws ConnectionError (and
    // closes) when the server refused or did not answer.
    void readHandshakeAnswer();
    // The server sends table results as attachment frames on this connection
    // (asked for in the handshake, confirmed in its answer).
    bool tableFrames() const { return m_tableFrames; }

    // The fixed server address of this build.
    static QString portalHost();
    static QString portalPort();

private:
    std::unique_ptr<WireSocket> m_socket;
    quint64 m_generation = 0;
    int m_nextHandle = 0;
    bool m_handshakeSent = false;
    bool m_tableFrames = false;
};

// Opens `conn` with up to 11 attempts 500 ms apart (the wait follows the last
// failure too). With reportFlag 1 a final failure is reported through the
// reporter; 0 is silent.
bool BaglantiKur(Connection &conn, int reportFlag);

inline const QString kBaglantiKurulamiyor = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");

// The application installs a reporter that shows its message box (on the UI
// thread); without one the failure goes to stderr.
void setConnectionErrorReporter(std::function<void(const QString &)> reporter);

// Test hook: how long BaglantiKur waits between attempts.
void setRetryWaitForTesting(int ms);

}  // namespace varo

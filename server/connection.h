#pragma once

#include "protocol/frame.h"

#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

class QTcpSocket;

namespace varo {

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

    // TCP connect and handshake. Opening an open connection does nothing.
    void Open();
    void Close();
    bool Connected() const;

    // A new, closed connection with the same parameters as this one now.
    std::unique_ptr<Connection> CloneConnection() const;

    QTcpSocket *socket() const { return m_socket.get(); }

    // The fixed server address of this build.
    static QString portalHost();
    static QString portalPort();

private:
    std::unique_ptr<QTcpSocket> m_socket;
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

#pragma once

#include <QString>

namespace varo::orderserver {

class Repository;

// Where the requests in the outbox go: a plain SMTP relay (no TLS, no
// login), the sender address and the company's address that receives them.
struct SmtpConfig {
    QString host;  // empty: no relay, requests stay in the outbox
    quint16 port = 25;
    QString from;
    QString to;  // empty: the sender address
    QString heloName = QStringLiteral("varo-orderserver");
    int timeoutMs = 15000;

    bool enabled() const { return !host.isEmpty() && !from.isEmpty(); }
    // From --smtp-host/--smtp-port/--smtp-from/--smtp-to, else from
    // VARO_SMTP_HOST/VARO_SMTP_PORT/VARO_SMTP_FROM/VARO_SMTP_TO.
    static SmtpConfig fromArguments(const QStringList &args);
};

// One message through the relay: EHLO (HELO when refused), MAIL FROM,
// RCPT TO, DATA with the body's lines dot-stuffed and CRLF-ended, QUIT. The
// subject travels UTF-8 encoded, the body as UTF-8 text. Returns false and
// the relay's answer in `error` when any step is refused or times out.
bool sendMail(const SmtpConfig &config, const QString &subject, const QString &body, QString *error);

// Sends the requests still waiting in the outbox, oldest first, and marks
// each one sent once the relay took it. Stops at the first failure (the rest
// wait for the next round). Returns how many were sent.
int sendOutbox(Repository &repo, const SmtpConfig &config, QString *error, int limit = 100);

}  // namespace varo::orderserver

#include "orderserver/mailsender.h"

#include "orderserver/repository.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QLocale>
#include <QStringList>
#include <QTcpSocket>
#include <QUuid>

namespace varo::orderserver {

SmtpConfig SmtpConfig::fromArguments(const QStringList &args)
{
    auto value = [&](const char *option, const char *env) {
        const int i = args.indexOf(QString::fromLatin1(option));
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : qEnvironmentVariable(env);
    };
    SmtpConfig c;
    c.host = value("--smtp-host", "VARO_SMTP_HOST");
    const QString port = value("--smtp-port", "VARO_SMTP_PORT");
    if (!port.isEmpty())
        c.port = quint16(port.toUInt());
    c.from = value("--smtp-from", "VARO_SMTP_FROM");
    c.to = value("--smtp-to", "VARO_SMTP_TO");
    return c;
}

namespace {

class Conversation {
public:
    Conversation(QTcpSocket &s, int timeoutMs) : m_s(s), m_timeoutMs(timeoutMs) {}

    // Reads one reply (all lines of a multi-line one) and checks its code.
    bool expect(std::initializer_list<int> codes, QString *error)
    {
        const QDeadlineTimer deadline(m_timeoutMs);
        QString last;
        for (;;) {
            while (!m_s.canReadLine()) {
                if (m_s.state() != QAbstractSocket::ConnectedState || !m_s.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
                    *error = last.isEmpty() ? QStringLiteral("SMTP: cevap yok") : QStringLiteral("SMTP: ") + last;
                    return false;
                }
            }
            const QByteArray line = m_s.readLine(4096).trimmed();
            last = QString::fromUtf8(line);
            // "250-..." continues, "250 ..." (or a bare code) ends the reply.
            if (line.size() >= 4 && line[3] == '-')
                continue;
            const int code = line.left(3).toInt();
            for (int c : codes)
                if (code == c)
                    return true;
            *error = QStringLiteral("SMTP: ") + last;
            return false;
        }
    }

    bool send(const QByteArray &bytes, QString *error)
    {
        m_s.write(bytes);
        const QDeadlineTimer deadline(m_timeoutMs);
        while (m_s.bytesToWrite() > 0)
            if (!m_s.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())))) {
                *error = QStringLiteral("SMTP: ") + m_s.errorString();
                return false;
            }
        return true;
    }

    bool command(const QByteArray &line, std::initializer_list<int> codes, QString *error)
    {
        return send(line + "\r\n", error) && expect(codes, error);
    }

private:
    QTcpSocket &m_s;
    int m_timeoutMs;
};

// An address goes into the envelope and the headers verbatim: nothing that
// could end a line or a command may be in it.
bool plainAddress(const QString &a)
{
    if (a.isEmpty() || a.size() > 254)
        return false;
    for (QChar c : a)
        if (c.unicode() < 0x21 || c.unicode() > 0x7e || c == u'<' || c == u'>')
            return false;
    return true;
}

QByteArray encodedWord(const QString &text)
{
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7f;
    if (ascii)
        return text.toLatin1();
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

// The body as DATA lines: CRLF line ends, a line starting with "." gets a
// second one, and the end mark follows.
QByteArray dataOf(const QString &from, const QString &to, const QString &subject, const QString &body)
{
    QByteArray out;
    const QLocale c = QLocale::c();
    out += "From: <" + from.toLatin1() + ">\r\n";
    out += "To: <" + to.toLatin1() + ">\r\n";
    QString subjectLine = subject;
    subjectLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    out += "Subject: " + encodedWord(subjectLine) + "\r\n";
    out += "Date: " + c.toString(QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1() + " +0000\r\n";
    out += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@varo-orderserver>\r\n";
    out += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QByteArray l = line.toUtf8();
        if (l.startsWith('.'))
            out += '.';
        out += l + "\r\n";
    }
    out += ".\r\n";
    return out;
}

}  // namespace

bool sendMail(const SmtpConfig &config, const QString &subject, const QString &body, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    const QString to = config.to.isEmpty() ? config.from : config.to;
    if (!plainAddress(config.from) || !plainAddress(to)) {
        *error = QStringLiteral("SMTP: geçersiz adres");
        return false;
    }
    QTcpSocket s;
    s.connectToHost(config.host, config.port);
    if (!s.waitForConnected(config.timeoutMs)) {
        *error = QStringLiteral("SMTP: ") + s.errorString();
        return false;
    }
    Conversation c(s, config.timeoutMs);
    const QByteArray helo = config.heloName.toLatin1();
    bool ok = c.expect({220}, error);
    if (ok && !c.command("EHLO " + helo, {250}, error))
        ok = c.command("HELO " + helo, {250}, error);
    ok = ok && c.command("MAIL FROM:<" + config.from.toLatin1() + ">", {250}, error)
        && c.command("RCPT TO:<" + to.toLatin1() + ">", {250, 251}, error) && c.command("DATA", {354}, error)
        && c.send(dataOf(config.from, to, subject, body), error) && c.expect({250}, error);
    if (ok) {
        error->clear();  // a refused EHLO answered by HELO is no failure
        QString ignored;
        c.command("QUIT", {221}, &ignored);  // the message is taken; a rude goodbye changes nothing
    }
    s.disconnectFromHost();
    return ok;
}

int sendOutbox(Repository &repo, const SmtpConfig &config, QString *error, int limit)
{
    if (!config.enabled())
        return 0;
    int sent = 0;
    for (const OutboxMail &m : repo.pendingMail(limit)) {
        const QString body = QStringLiteral("Bilgisayar: %1\nZaman: %2\n\n%3").arg(m.bilgisayarid, m.zaman, m.govde);
        if (!sendMail(config, m.baslik, body, error))
            break;
        repo.markMailSent(m.sirano);
        ++sent;
    }
    return sent;
}

}  // namespace varo::orderserver

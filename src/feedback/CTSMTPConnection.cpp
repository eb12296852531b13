#include "feedback/CTSMTPConnection.h"

#include "feedback/CTCoreMessage.h"
#include "feedback/CTESMTP.h"

#include <libetpan/libetpan.h>

#include <csignal>
#include <ctime>
#include <functional>
#include <memory>
#include <pthread.h>

namespace {

// A server that drops the connection must not end the process: SIGPIPE is blocked on this
// thread while it talks, and one raised meanwhile is taken off before the mask goes back.
class SigpipeBlocker
{
public:
    SigpipeBlocker()
    {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &set, &m_old);
    }
    ~SigpipeBlocker()
    {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGPIPE);
        const timespec zero {0, 0};
        while (sigtimedwait(&set, nullptr, &zero) == SIGPIPE) {
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }

private:
    sigset_t m_old;
};

struct SessionDeleter {
    void operator()(mailsmtp *s) const { mailsmtp_free(s); }
};

constexpr time_t kTimeoutSeconds = 60;

MailCoreError invalid(const QString &what)
{
    return MailCoreCreateError(MAILSMTP_ERROR_UNEXPECTED_CODE, what);
}

// Connects, greets, upgrades and logs in. The wrapper in use comes back in *dialect.
bool openSession(mailsmtp *session, const QString &server, const QString &username, const QString &password,
                 unsigned port, int connectionType, bool useAuth, std::unique_ptr<CTSMTP> *dialect,
                 std::optional<MailCoreError> *error)
{
    auto esmtp = std::make_unique<CTESMTP>(session);
    auto failWith = [&](const CTSMTP &w) {
        *error = w.lastError() ? w.lastError() : std::optional(MailCoreCreateErrorFromSMTPCode(MAILSMTP_ERROR_UNEXPECTED_CODE));
        return false;
    };
    const bool connected = connectionType == CTSMTPConnection::TLS
        ? esmtp->connectWithTlsToServer(server, quint16(port))
        : esmtp->connectToServer(server, quint16(port));
    if (!connected)
        return failWith(*esmtp);

    std::unique_ptr<CTSMTP> w;
    if (esmtp->helo()) {
        w = std::move(esmtp);
    } else {
        if (esmtp->lastError())
            return failWith(*esmtp);
        w = std::make_unique<CTSMTP>(session);
        if (!w->helo())
            return failWith(*w);
    }
    if (connectionType == CTSMTPConnection::StartTLS && !w->startTLS())
        return failWith(*w);
    if (useAuth && !w->authenticateWithUsername(username, password, server))
        return failWith(*w);
    *dialect = std::move(w);
    return true;
}

bool checkArguments(const QString &server, unsigned port, int connectionType, std::optional<MailCoreError> *error)
{
    if (connectionType < CTSMTPConnection::Plain || connectionType > CTSMTPConnection::TLS) {
        error->reset();
        return false;
    }
    if (server.isEmpty()) {
        *error = invalid(QStringLiteral("No mail server given"));
        return false;
    }
    if (port == 0 || port > 65535) {
        *error = invalid(QStringLiteral("Invalid port %1").arg(port));
        return false;
    }
    return true;
}

// One session from connection to QUIT: the steps after the login are the caller's.
bool runSession(const QString &server, const QString &username, const QString &password, unsigned port,
                int connectionType, bool useAuth, std::optional<MailCoreError> *error,
                const std::function<bool(CTSMTP &)> &afterLogin)
{
    SigpipeBlocker sigpipe;
    std::unique_ptr<mailsmtp, SessionDeleter> session(mailsmtp_new(0, nullptr));
    if (!session) {
        *error = MailCoreCreateErrorFromSMTPCode(MAILSMTP_ERROR_MEMORY);
        return false;
    }
    mailsmtp_set_timeout(session.get(), kTimeoutSeconds);
    std::unique_ptr<CTSMTP> w;
    if (!openSession(session.get(), server, username, password, port, connectionType, useAuth, &w, error))
        return false;
    if (!afterLogin(*w)) {
        *error = w->lastError();
        return false;
    }
    mailsmtp_quit(session.get());
    return true;
}

}

bool CTSMTPConnection::sendMessage(CTCoreMessage &message, const QString &server, const QString &username,
                                   const QString &password, unsigned port, int connectionType, bool useAuth,
                                   std::optional<MailCoreError> *error)
{
    std::optional<MailCoreError> ignored;
    if (!error)
        error = &ignored;
    error->reset();
    if (!checkArguments(server, port, connectionType, error))
        return false;

    // The envelope: one sender, and every recipient once however often it is named.
    if (message.from().isEmpty() || !message.from().first().isSafeForEnvelope()) {
        *error = invalid(QStringLiteral("The message has no valid sender"));
        return false;
    }
    CTCoreAddressSet recipients;
    QStringList seen;
    for (const auto &set : {message.to(), message.bcc(), message.cc()})
        for (const auto &a : set) {
            if (!a.isSafeForEnvelope()) {
                *error = invalid(QStringLiteral("Invalid recipient address"));
                return false;
            }
            const QString key = a.email().toLower();
            if (!seen.contains(key)) {
                seen.append(key);
                recipients.append(a);
            }
        }
    if (recipients.isEmpty()) {
        *error = invalid(QStringLiteral("The message has no recipient"));
        return false;
    }

    // Bcc recipients get the message, but no Bcc header.
    const CTCoreAddressSet bcc = message.bcc();
    message.setBcc({});
    const QByteArray text = message.render();
    message.setBcc(bcc);
    if (text.isEmpty()) {
        *error = message.lastError() ? message.lastError() : std::optional(invalid(QStringLiteral("The message is empty")));
        return false;
    }

    return runSession(server, username, password, port, connectionType, useAuth, error, [&](CTSMTP &w) {
        return w.setFrom(message.from().first().email()) && w.setRecipients(recipients) && w.setData(text);
    });
}

bool CTSMTPConnection::canConnectToServer(const QString &server, const QString &username, const QString &password,
                                          unsigned port, int connectionType, bool useAuth,
                                          std::optional<MailCoreError> *error)
{
    std::optional<MailCoreError> ignored;
    if (!error)
        error = &ignored;
    error->reset();
    if (!checkArguments(server, port, connectionType, error))
        return false;
    return runSession(server, username, password, port, connectionType, useAuth, error,
                      [](CTSMTP &) { return true; });
}

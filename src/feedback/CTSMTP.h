#pragma once

#include "feedback/CTCoreAddress.h"
#include "feedback/MailCoreError.h"

#include <QString>

#include <optional>

typedef struct mailsmtp mailsmtp;
struct mailstream_ssl_context;

// The plain SMTP dialect over one libetpan session (not owned). Each step answers true on
// success; on failure it keeps the error in lastError and answers false.
class CTSMTP
{
public:
    explicit CTSMTP(mailsmtp *session);
    virtual ~CTSMTP();

    mailsmtp *resource() const { return m_session; }
    std::optional<MailCoreError> lastError() const { return m_lastError; }
    void setLastError(std::optional<MailCoreError> error) { m_lastError = std::move(error); }

    bool connectToServer(const QString &server, quint16 port);
    bool connectWithTlsToServer(const QString &server, quint16 port);
    virtual bool helo();
    // Plain SMTP has neither: asked for after a HELO they fail rather than go on unencrypted
    // or unauthenticated.
    virtual bool startTLS();
    virtual bool authenticateWithUsername(const QString &username, const QString &password, const QString &server);
    virtual bool setFrom(const QString &address);
    bool setRecipients(const CTCoreAddressSet &recipients);
    virtual bool setRecipientAddress(const QString &address);
    bool setData(const QByteArray &message);

protected:
    // Sends the host name in the TLS handshake (SNI).
    static void setServerName(struct mailstream_ssl_context *context, void *host);
    bool fail(int code);
    // The peer's certificate chain must verify against the trusted authorities for the host.
    bool verifyPeer();

    mailsmtp *m_session;
    QString m_server;
    std::optional<MailCoreError> m_lastError;
};

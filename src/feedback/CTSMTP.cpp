#include "feedback/CTSMTP.h"

#include <libetpan/libetpan.h>

#include <QSslCertificate>
#include <QSslError>

void CTSMTP::setServerName(struct mailstream_ssl_context *context, void *host)
{
    mailstream_ssl_set_server_name(context, static_cast<char *>(host));
}

CTSMTP::CTSMTP(mailsmtp *session) : m_session(session) {}

CTSMTP::~CTSMTP() = default;

bool CTSMTP::fail(int code)
{
    m_lastError = MailCoreCreateErrorFromSMTPCode(code);
    return false;
}

bool CTSMTP::connectToServer(const QString &server, quint16 port)
{
    m_server = server;
    const int r = mailsmtp_socket_connect(m_session, server.toUtf8().constData(), port);
    return r == MAILSMTP_NO_ERROR || fail(r);
}

bool CTSMTP::connectWithTlsToServer(const QString &server, quint16 port)
{
    m_server = server;
    QByteArray host = server.toUtf8();
    const int r = mailsmtp_ssl_connect_with_callback(m_session, host.constData(), port, setServerName, host.data());
    if (r != MAILSMTP_NO_ERROR)
        return fail(r);
    return verifyPeer();
}

bool CTSMTP::verifyPeer()
{
    QList<QSslCertificate> chain;
    if (carray *certs = mailstream_get_certificate_chain(m_session->stream)) {
        for (unsigned i = 0; i < carray_count(certs); ++i) {
            const auto *der = static_cast<MMAPString *>(carray_get(certs, i));
            chain.append(QSslCertificate(QByteArray(der->str, qsizetype(der->len)), QSsl::Der));
        }
        mailstream_certificate_chain_free(certs);
    }
    if (chain.isEmpty()) {
        m_lastError = MailCoreCreateError(MAILSMTP_ERROR_SSL, QStringLiteral("The server sent no certificate"));
        return false;
    }
    const QList<QSslError> errors = QSslCertificate::verify(chain, m_server);
    if (errors.isEmpty())
        return true;
    m_lastError = MailCoreCreateError(MAILSMTP_ERROR_SSL,
                                      QStringLiteral("The server's certificate is not trusted: %1")
                                          .arg(errors.first().errorString()));
    return false;
}

bool CTSMTP::helo()
{
    const int r = mailsmtp_helo(m_session);
    return r == MAILSMTP_NO_ERROR || fail(r);
}

bool CTSMTP::startTLS()
{
    return fail(MAILSMTP_ERROR_STARTTLS_NOT_SUPPORTED);
}

bool CTSMTP::authenticateWithUsername(const QString &, const QString &, const QString &)
{
    return fail(MAILSMTP_ERROR_AUTH_NOT_SUPPORTED);
}

bool CTSMTP::setFrom(const QString &address)
{
    const int r = mailsmtp_mail(m_session, address.toUtf8().constData());
    return r == MAILSMTP_NO_ERROR || fail(r);
}

bool CTSMTP::setRecipients(const CTCoreAddressSet &recipients)
{
    for (const auto &a : recipients)
        if (!setRecipientAddress(a.email()))
            return false;
    return true;
}

bool CTSMTP::setRecipientAddress(const QString &address)
{
    const int r = mailsmtp_rcpt(m_session, address.toUtf8().constData());
    return r == MAILSMTP_NO_ERROR || fail(r);
}

bool CTSMTP::setData(const QByteArray &message)
{
    int r = mailsmtp_data(m_session);
    if (r != MAILSMTP_NO_ERROR)
        return fail(r);
    r = mailsmtp_data_message(m_session, message.constData(), size_t(message.size()));
    return r == MAILSMTP_NO_ERROR || fail(r);
}

#include "feedback/CTESMTP.h"

#include <libetpan/libetpan.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// "address;port" of one end of the session's socket, or empty.
QByteArray endpointText(mailsmtp *session, bool peer)
{
    if (!session->stream)
        return {};
    const int fd = mailstream_low_get_fd(mailstream_get_low(session->stream));
    sockaddr_storage addr {};
    socklen_t len = sizeof addr;
    if (fd < 0 || (peer ? getpeername(fd, reinterpret_cast<sockaddr *>(&addr), &len)
                        : getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len)) != 0)
        return {};
    char text[INET6_ADDRSTRLEN] = {};
    int port = 0;
    if (addr.ss_family == AF_INET) {
        const auto *in = reinterpret_cast<const sockaddr_in *>(&addr);
        if (!inet_ntop(AF_INET, &in->sin_addr, text, sizeof text))
            return {};
        port = ntohs(in->sin_port);
    } else if (addr.ss_family == AF_INET6) {
        const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(&addr);
        if (!inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text))
            return {};
        port = ntohs(in6->sin6_port);
    } else {
        return {};
    }
    return QByteArray(text) + ';' + QByteArray::number(port);
}

bool dsnOffered(mailsmtp *session)
{
    return session->esmtp & MAILSMTP_ESMTP_DSN;
}

}

bool CTESMTP::helo()
{
    const int r = mailesmtp_ehlo(m_session);
    if (r == MAILSMTP_NO_ERROR)
        return true;
    // The library only calls 504 "not implemented"; 500 and 502 mean the same to us.
    const int reply = m_session->response_code;
    if (r == MAILSMTP_ERROR_NOT_IMPLEMENTED
        || (r == MAILSMTP_ERROR_UNEXPECTED_CODE && (reply == 500 || reply == 502 || reply == 504))) {
        m_lastError.reset();
        return false;
    }
    return fail(r == MAILSMTP_ERROR_UNEXPECTED_CODE && reply == 421 ? MAILSMTP_ERROR_SERVICE_NOT_AVAILABLE : r);
}

bool CTESMTP::startTLS()
{
    QByteArray host = m_server.toUtf8();
    int r = mailsmtp_socket_starttls_with_callback(m_session, setServerName, host.data());
    if (r != MAILSMTP_NO_ERROR)
        return fail(r);
    if (!verifyPeer())
        return false;
    r = mailesmtp_ehlo(m_session);
    return r == MAILSMTP_NO_ERROR || fail(r);
}

bool CTESMTP::authenticateWithUsername(const QString &username, const QString &password, const QString &server)
{
    const QByteArray host = server.toUtf8();
    const QByteArray user = username.toUtf8();
    const QByteArray pass = password.toUtf8();
    const char *mechanism =
        (m_session->auth & (MAILSMTP_AUTH_CHECKED | MAILSMTP_AUTH_PLAIN | MAILSMTP_AUTH_LOGIN))
                == (MAILSMTP_AUTH_CHECKED | MAILSMTP_AUTH_LOGIN)
            ? "LOGIN"
            : "PLAIN";
    const QByteArray local = endpointText(m_session, false);
    const QByteArray remote = endpointText(m_session, true);
    const int r = mailesmtp_auth_sasl(m_session, mechanism, host.constData(),
                                      local.isEmpty() ? nullptr : local.constData(),
                                      remote.isEmpty() ? nullptr : remote.constData(), user.constData(),
                                      user.constData(), pass.constData(), host.constData());
    return r == MAILSMTP_NO_ERROR || fail(r);
}

bool CTESMTP::setFrom(const QString &address)
{
    // Delivery-status parameters only for a server that offers them.
    if (!dsnOffered(m_session))
        return CTSMTP::setFrom(address);
    const int r = mailesmtp_mail(m_session, address.toUtf8().constData(), 1, "MailCoreSMTP");
    return r == MAILSMTP_NO_ERROR || fail(r);
}

bool CTESMTP::setRecipientAddress(const QString &address)
{
    if (!dsnOffered(m_session))
        return CTSMTP::setRecipientAddress(address);
    const int r = mailesmtp_rcpt(m_session, address.toUtf8().constData(),
                                 MAILSMTP_DSN_NOTIFY_FAILURE | MAILSMTP_DSN_NOTIFY_DELAY, nullptr);
    return r == MAILSMTP_NO_ERROR || fail(r);
}

#include "ScriptedSmtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

bool sendAll(int fd, const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

}

ScriptedSmtpServer::ScriptedSmtpServer()
{
    m_replies["GREETING"] = "220 scripted ESMTP ready\r\n";
    m_replies["EHLO"] = "250-scripted\r\n250-AUTH PLAIN LOGIN\r\n250 8BITMIME\r\n";
    m_replies["HELO"] = "250 scripted\r\n";
    m_replies["AUTH"] = "235 2.7.0 Authentication successful\r\n";
    m_replies["MAIL"] = "250 2.1.0 Ok\r\n";
    m_replies["RCPT"] = "250 2.1.5 Ok\r\n";
    m_replies["DATA"] = "354 End data with <CR><LF>.<CR><LF>\r\n";
    m_replies["."] = "250 2.0.0 Ok: queued\r\n";
    m_replies["AUTH-CONTINUE"] = "235 2.7.0 Authentication successful\r\n";
    m_replies["QUIT"] = "221 2.0.0 Bye\r\n";
    m_replies["STARTTLS"] = "454 4.7.0 TLS not available\r\n";
}

ScriptedSmtpServer::~ScriptedSmtpServer()
{
    if (m_listen >= 0)
        ::shutdown(m_listen, SHUT_RDWR);
    if (m_thread.joinable())
        m_thread.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

QByteArray ScriptedSmtpServer::verbOf(const QByteArray &line)
{
    QByteArray verb = line.left(line.indexOf(' ') < 0 ? line.size() : line.indexOf(' '));
    if (verb.contains(':'))
        verb = verb.left(verb.indexOf(':'));
    return verb.toUpper();
}

void ScriptedSmtpServer::setReply(const QByteArray &verb, const QByteArray &reply)
{
    m_replies[verb] = reply;
}

void ScriptedSmtpServer::setReplyAt(const QByteArray &verb, int occurrence, const QByteArray &reply)
{
    m_repliesAt[verb][occurrence] = reply;
}

void ScriptedSmtpServer::start()
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(m_listen, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(m_listen, 4);
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

QByteArray ScriptedSmtpServer::replyFor(const QByteArray &verb)
{
    const int n = ++m_counts[verb];
    const auto at = m_repliesAt.constFind(verb);
    if (at != m_repliesAt.cend() && at->contains(n))
        return at->value(n);
    return m_replies.value(verb, "500 5.5.2 Error: command not recognized\r\n");
}

void ScriptedSmtpServer::run()
{
    const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    auto finish = [this, fd] {
        if (fd >= 0)
            ::close(fd);
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_done.notify_all();
    };
    if (fd < 0)
        return finish();
    bool inData = false;
    auto reply = [&](const QByteArray &verb) {
        const QByteArray r = replyFor(verb);
        if (r.endsWith("DROP")) {
            sendAll(fd, r.chopped(4));
            return false;
        }
        if (verb == "DATA")
            inData = r.startsWith("354");
        return sendAll(fd, r);
    };
    if (!reply("GREETING"))
        return finish();
    QByteArray buffer;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return finish();
        buffer.append(chunk, n);
        for (;;) {
            if (inData) {
                const qsizetype end = buffer.indexOf("\r\n.\r\n");
                if (end < 0)
                    break;
                {
                    std::lock_guard lock(m_mutex);
                    m_data = buffer.left(end + 2);
                }
                buffer.remove(0, end + 5);
                inData = false;
                if (!reply("."))
                    return finish();
                continue;
            }
            const qsizetype eol = buffer.indexOf("\r\n");
            if (eol < 0)
                break;
            const QByteArray line = buffer.left(eol);
            buffer.remove(0, eol + 2);
            {
                std::lock_guard lock(m_mutex);
                m_commands.append(line);
            }
            QByteArray verb = verbOf(line);
            // Continuation lines of AUTH (base64) are answered as part of AUTH.
            if (m_counts.value("AUTH") > 0 && !m_replies.contains(verb) && !m_repliesAt.contains(verb))
                verb = "AUTH-CONTINUE";
            if (!reply(verb))
                return finish();
            if (verb == "QUIT")
                return finish();
        }
    }
}

QList<QByteArray> ScriptedSmtpServer::commands()
{
    std::unique_lock lock(m_mutex);
    m_done.wait_for(lock, std::chrono::seconds(60), [this] { return m_finished; });
    return m_commands;
}

QByteArray ScriptedSmtpServer::data()
{
    commands();
    std::lock_guard lock(m_mutex);
    return m_data;
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>

#include <condition_variable>
#include <mutex>
#include <thread>

// An SMTP server on 127.0.0.1 (port 0) in its own thread that serves one connection by a
// reply table: command verb ("EHLO", "MAIL", "RCPT", ...) to the reply lines, sent as they
// are. A reply ending in "DROP" sends what comes before and closes the connection. What it has not been told it answers
// as a plain, willing server. It records every line it receives and the message data.
class ScriptedSmtpServer
{
public:
    ScriptedSmtpServer();
    ~ScriptedSmtpServer();

    // "MAIL FROM:<a>" gives "MAIL".
    static QByteArray verbOf(const QByteArray &line);

    void setReply(const QByteArray &verb, const QByteArray &reply);
    // A reply for the n-th time (1-based) the verb comes.
    void setReplyAt(const QByteArray &verb, int occurrence, const QByteArray &reply);
    void start();
    quint16 port() const { return m_port; }

    // Waits until the connection has ended, then answers the received command lines.
    QList<QByteArray> commands();
    QByteArray data();

private:
    void run();
    QByteArray replyFor(const QByteArray &verb);

    int m_listen = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    QMap<QByteArray, QByteArray> m_replies;
    QMap<QByteArray, QMap<int, QByteArray>> m_repliesAt;
    QMap<QByteArray, int> m_counts;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    QList<QByteArray> m_commands;
    QByteArray m_data;
};

#include "ScriptedSmtpServer.h"

#include "feedback/CTCoreMessage.h"
#include "feedback/CTSMTPConnection.h"

#include <libetpan/libetpan.h>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class CTSMTPConnectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The default disposition, so a SIGPIPE that gets through ends this test process.
        signal(SIGPIPE, SIG_DFL);
        message.setFrom({CTCoreAddress(QString(), QStringLiteral("sender@example.org"))});
        message.setTo({CTCoreAddress(QString(), QStringLiteral("support@example.org"))});
        message.setSubject(QStringLiteral("subject"));
        message.setBody(QStringLiteral("body"));
    }

    bool send(ScriptedSmtpServer &server, int type = CTSMTPConnection::Plain, bool useAuth = false)
    {
        server.start();
        return CTSMTPConnection::sendMessage(message, QStringLiteral("127.0.0.1"), QStringLiteral("user"),
                                             QStringLiteral("secret"), server.port(), type, useAuth, &error);
    }

    static QList<QByteArray> verbs(const QList<QByteArray> &commands)
    {
        QList<QByteArray> v;
        for (const QByteArray &c : commands)
            v.append(ScriptedSmtpServer::verbOf(c));
        return v;
    }

    static int count(const QList<QByteArray> &commands, const QByteArray &prefix)
    {
        int n = 0;
        for (const QByteArray &c : commands)
            n += c.toUpper().startsWith(prefix);
        return n;
    }

    CTCoreMessage message;
    std::optional<MailCoreError> error;
};

}

TEST_F(CTSMTPConnectionTest, PlainDeliveryWalksTheDialogue)
{
    ScriptedSmtpServer server;
    ASSERT_TRUE(send(server)) << (error ? error->description().toStdString() : "");
    const auto commands = server.commands();
    EXPECT_EQ(verbs(commands), (QList<QByteArray> {"EHLO", "MAIL", "RCPT", "DATA", "QUIT"}));
    EXPECT_EQ(commands[1], "MAIL FROM:<sender@example.org>") << "no delivery-status parameters unless offered";
    EXPECT_TRUE(server.data().contains("Subject: subject"));
    EXPECT_EQ(count(commands, "AUTH"), 0) << "no login when it is off";
}

TEST_F(CTSMTPConnectionTest, EhloUnknownFallsBackToHelo)
{
    for (const QByteArray &reply : {QByteArray("504 5.5.1 not implemented\r\n"), QByteArray("500 5.5.2 unknown\r\n"),
                                    QByteArray("502 5.5.1 not implemented\r\n")}) {
        ScriptedSmtpServer server;
        server.setReply("EHLO", reply);
        EXPECT_TRUE(send(server)) << reply.constData();
        const auto commands = server.commands();
        EXPECT_EQ(verbs(commands), (QList<QByteArray> {"EHLO", "HELO", "MAIL", "RCPT", "DATA", "QUIT"}))
            << reply.constData();
    }
}

TEST_F(CTSMTPConnectionTest, FailuresThatMustNotPassAsExtended)
{
    struct Case {
        const char *name;
        QByteArray verb;
        QByteArray reply;
    } cases[] = {
        {"421 on EHLO", "EHLO", "421 4.3.2 shutting down\r\n"},
        {"dropped on EHLO", "EHLO", "DROP"},
        {"dropped on greeting", "GREETING", "DROP"},
    };
    for (const auto &c : cases) {
        ScriptedSmtpServer server;
        server.setReply(c.verb, c.reply);
        EXPECT_FALSE(send(server)) << c.name;
        ASSERT_TRUE(error.has_value()) << c.name;
        EXPECT_EQ(error->domain(), QStringLiteral("mailcore"));
        const auto commands = server.commands();
        EXPECT_EQ(count(commands, "HELO"), 0) << c.name;
        EXPECT_EQ(count(commands, "MAIL"), 0) << c.name;
    }
}

TEST_F(CTSMTPConnectionTest, DroppedDuringDataDoesNotKillTheProcess)
{
    // The server takes DATA and hangs up: writing a large message into the closed
    // connection raises SIGPIPE, which must not end the process.
    message.addAttachment(CTCoreAttachment(QByteArray(8 * 1024 * 1024, 'x'), QStringLiteral("application/octet-stream"),
                                           QStringLiteral("big.bin")));
    ScriptedSmtpServer server;
    server.setReply("DATA", "354 go ahead\r\nDROP");
    EXPECT_FALSE(send(server));
    ASSERT_TRUE(error.has_value());
    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE)) << "a SIGPIPE was left pending";
}

TEST_F(CTSMTPConnectionTest, StartTlsOrAuthAfterHeloFail)
{
    struct Case {
        const char *name;
        int type;
        bool auth;
        QByteArray forbidden;
    } cases[] = {{"STARTTLS", CTSMTPConnection::StartTLS, false, "STARTTLS"},
                 {"AUTH", CTSMTPConnection::Plain, true, "AUTH"}};
    for (const auto &c : cases) {
        ScriptedSmtpServer server;
        server.setReply("EHLO", "502 5.5.1 not implemented\r\n");
        EXPECT_FALSE(send(server, c.type, c.auth)) << c.name;
        ASSERT_TRUE(error.has_value()) << c.name;
        const auto commands = server.commands();
        EXPECT_EQ(count(commands, c.forbidden), 0) << c.name;
        EXPECT_EQ(count(commands, "MAIL"), 0) << c.name << ": nothing goes out unprotected";
    }
}

TEST_F(CTSMTPConnectionTest, LoginRefusedIsInvalidCredentials)
{
    ScriptedSmtpServer server;
    server.setReply("AUTH", "535 5.7.8 Authentication credentials invalid\r\n");
    EXPECT_FALSE(send(server, CTSMTPConnection::Plain, true));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->description(), QStringLiteral("Invalid username or password"));
    EXPECT_EQ(count(server.commands(), "MAIL"), 0);
}

TEST_F(CTSMTPConnectionTest, LoginMechanismFollowsTheOffer)
{
    {
        // Only LOGIN offered: user name and password each answer a prompt.
        ScriptedSmtpServer server;
        server.setReply("EHLO", "250-scripted\r\n250 AUTH LOGIN\r\n");
        server.setReply("AUTH", "334 VXNlcm5hbWU6\r\n");
        server.setReplyAt("AUTH-CONTINUE", 1, "334 UGFzc3dvcmQ6\r\n");
        EXPECT_TRUE(send(server, CTSMTPConnection::Plain, true)) << (error ? error->description().toStdString() : "");
        const auto commands = server.commands();
        ASSERT_GE(commands.size(), 4);
        EXPECT_EQ(commands[1], "AUTH LOGIN");
        EXPECT_EQ(QByteArray::fromBase64(commands[2]), "user");
        EXPECT_EQ(QByteArray::fromBase64(commands[3]), "secret");
    }
    {
        ScriptedSmtpServer server;
        server.setReply("EHLO", "250-scripted\r\n250 AUTH PLAIN LOGIN\r\n");
        EXPECT_TRUE(send(server, CTSMTPConnection::Plain, true)) << (error ? error->description().toStdString() : "");
        const auto commands = server.commands();
        ASSERT_GE(commands.size(), 2);
        ASSERT_TRUE(commands[1].startsWith("AUTH PLAIN")) << commands[1].constData();
        const QByteArray initial = QByteArray::fromBase64(commands[1].mid(11));
        EXPECT_TRUE(initial.endsWith(QByteArray("user\0secret", 11))) << initial.toHex().constData();
    }
}

TEST_F(CTSMTPConnectionTest, RefusedRecipientStopsTheRest)
{
    message.setTo({CTCoreAddress(QString(), QStringLiteral("a@example.org")),
                   CTCoreAddress(QString(), QStringLiteral("b@example.org"))});
    ScriptedSmtpServer server;
    server.setReplyAt("RCPT", 1, "550 5.1.1 Mailbox unavailable\r\n");
    EXPECT_FALSE(send(server));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), MAILSMTP_ERROR_MAILBOX_UNAVAILABLE);
    const auto commands = server.commands();
    EXPECT_EQ(count(commands, "RCPT"), 1);
    EXPECT_EQ(count(commands, "DATA"), 0);
}

TEST_F(CTSMTPConnectionTest, RecipientsOnceAndBccWithoutHeader)
{
    const CTCoreAddress shared(QStringLiteral("Shared"), QStringLiteral("shared@example.org"));
    const CTCoreAddress hidden(QString(), QStringLiteral("hidden@example.org"));
    message.setTo({shared});
    message.setCc({CTCoreAddress(QStringLiteral("Other name"), QStringLiteral("SHARED@example.org"))});
    message.setBcc({hidden});
    ScriptedSmtpServer server;
    ASSERT_TRUE(send(server));
    const auto commands = server.commands();
    EXPECT_EQ(count(commands, "RCPT TO:<SHARED@EXAMPLE.ORG>"), 1);
    EXPECT_EQ(count(commands, "RCPT TO:<HIDDEN@EXAMPLE.ORG>"), 1);
    EXPECT_EQ(count(commands, "RCPT"), 2);
    const QByteArray data = server.data();
    EXPECT_FALSE(data.contains("Bcc:"));
    EXPECT_FALSE(data.contains("hidden@example.org"));
    EXPECT_EQ(message.bcc(), CTCoreAddressSet {hidden}) << "the Bcc set is put back";
}

TEST_F(CTSMTPConnectionTest, DeliveryStatusOnlyWhenOffered)
{
    ScriptedSmtpServer server;
    server.setReply("EHLO", "250-scripted\r\n250 DSN\r\n");
    ASSERT_TRUE(send(server));
    const auto commands = server.commands();
    EXPECT_EQ(count(commands, "MAIL FROM:<SENDER@EXAMPLE.ORG> RET=FULL ENVID=MAILCORESMTP"), 1)
        << commands.join('\n').constData();
    EXPECT_EQ(count(commands, "RCPT TO:<SUPPORT@EXAMPLE.ORG> NOTIFY=FAILURE,DELAY"), 1)
        << commands.join('\n').constData();
}

TEST_F(CTSMTPConnectionTest, ArgumentsRefusedBeforeAnyNetwork)
{
    EXPECT_FALSE(CTSMTPConnection::sendMessage(message, QStringLiteral("127.0.0.1"), {}, {}, 25, 3, false, &error));
    EXPECT_FALSE(error.has_value()) << "a refused connection type carries no error";
    for (const unsigned port : {0u, 70000u}) {
        EXPECT_FALSE(CTSMTPConnection::sendMessage(message, QStringLiteral("127.0.0.1"), {}, {}, port, 0, false, &error));
        EXPECT_TRUE(error.has_value()) << port;
    }
    message.setTo({CTCoreAddress(QString(), QStringLiteral("a@example.org>\r\nRCPT TO:<b@example.org"))});
    EXPECT_FALSE(CTSMTPConnection::sendMessage(message, QStringLiteral("127.0.0.1"), {}, {}, 25, 0, false, &error));
    EXPECT_TRUE(error.has_value());
}

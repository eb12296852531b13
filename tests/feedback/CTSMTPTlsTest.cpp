#include "AiosmtpdServer.h"
#include "support/TestCertificates.h"

#include "feedback/CTCoreMessage.h"
#include "feedback/CTSMTPConnection.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

class CTSMTPTlsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { certificates = new TestCertificates; }
    static void TearDownTestSuite()
    {
        TestCertificates::untrustAll();
        delete certificates;
        certificates = nullptr;
    }
    void TearDown() override { TestCertificates::untrustAll(); }

    static void fill(CTCoreMessage &m)
    {
        m.setFrom({CTCoreAddress(QString(), QStringLiteral("sender@example.org"))});
        m.setTo({CTCoreAddress(QString(), QStringLiteral("support@example.org"))});
        m.setSubject(QStringLiteral("over TLS"));
        m.setBody(QStringLiteral("encrypted body"));
    }

    static TestCertificates *certificates;
};

TestCertificates *CTSMTPTlsTest::certificates = nullptr;

struct Mode {
    const char *server;
    int connectionType;
};
const Mode kModes[] = {{"starttls", CTSMTPConnection::StartTLS}, {"tls", CTSMTPConnection::TLS}};

}

TEST_F(CTSMTPTlsTest, DeliversWhenTheAuthorityIsTrusted)
{
    if (!certificates->ok())
        GTEST_SKIP() << certificates->why().toStdString();
    certificates->trust();
    for (const auto &mode : kModes) {
        AiosmtpdServer server(QString::fromLatin1(mode.server), certificates->certPath(), certificates->keyPath());
        if (!server.start())
            GTEST_SKIP() << server.why().toStdString();
        for (const char *host : {"localhost", "127.0.0.1"}) {
            CTCoreMessage m;
            fill(m);
            std::optional<MailCoreError> error;
            EXPECT_TRUE(CTSMTPConnection::sendMessage(m, QString::fromLatin1(host), QStringLiteral("user"),
                                                      QStringLiteral("secret"), server.port(), mode.connectionType,
                                                      true, &error))
                << mode.server << " " << host << ": " << (error ? error->description().toStdString() : "");
            const QJsonObject got = server.nextMessage();
            EXPECT_EQ(got.value(QStringLiteral("from")).toString(), QStringLiteral("sender@example.org")) << mode.server;
            EXPECT_TRUE(AiosmtpdServer::dataOf(got).contains("encrypted body")) << mode.server;
        }
    }
}

TEST_F(CTSMTPTlsTest, RefusedWhenTheAuthorityIsNotTrusted)
{
    if (!certificates->ok())
        GTEST_SKIP() << certificates->why().toStdString();
    for (const auto &mode : kModes) {
        AiosmtpdServer server(QString::fromLatin1(mode.server), certificates->certPath(), certificates->keyPath());
        if (!server.start())
            GTEST_SKIP() << server.why().toStdString();
        CTCoreMessage m;
        fill(m);
        std::optional<MailCoreError> error;
        EXPECT_FALSE(CTSMTPConnection::sendMessage(m, QStringLiteral("localhost"), QStringLiteral("user"),
                                                   QStringLiteral("secret"), server.port(), mode.connectionType, true,
                                                   &error))
            << mode.server;
        ASSERT_TRUE(error.has_value()) << mode.server;
        EXPECT_TRUE(error->description().contains(QStringLiteral("not trusted"))) << error->description().toStdString();
        // A message that got through would have been taken before a later one: send one the
        // server may accept and look at what arrives first.
        certificates->trust();
        CTCoreMessage marker;
        fill(marker);
        marker.setBody(QStringLiteral("marker body"));
        ASSERT_TRUE(CTSMTPConnection::sendMessage(marker, QStringLiteral("localhost"), QStringLiteral("user"),
                                                  QStringLiteral("secret"), server.port(), mode.connectionType, true,
                                                  &error))
            << mode.server;
        EXPECT_TRUE(AiosmtpdServer::dataOf(server.nextMessage()).contains("marker body"))
            << mode.server << ": nothing may be delivered";
        TestCertificates::untrustAll();
    }
}

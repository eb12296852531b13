#include "MailParse.h"

#include "feedback/CTCoreMessage.h"
#include "feedback/CTMIME_Enumerator.h"
#include "feedback/CTMIME_HtmlPart.h"
#include "feedback/CTMIME_MessagePart.h"
#include "feedback/CTMIME_MultiPart.h"
#include "feedback/CTMIME_TextPart.h"
#include "feedback/MailCoreError.h"
#include "feedback/MailCoreUtilities.h"

#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

#define PARSE_OR_SKIP(var, message)                                                                \
    const QJsonObject var = parseMailWithPython(message);                                          \
    if (var.isEmpty())                                                                             \
        GTEST_SKIP() << "python3 is not installed; the independent parser is missing";

QByteArray payload(const QJsonObject &part)
{
    return QByteArray::fromHex(part.value(QStringLiteral("payload")).toString().toLatin1());
}

QString header(const QJsonObject &mail, const char *name)
{
    return mail.value(QStringLiteral("headers")).toObject().value(QString::fromLatin1(name)).toString();
}

bool hasHeader(const QJsonObject &mail, const char *name)
{
    return mail.value(QStringLiteral("headers")).toObject().contains(QString::fromLatin1(name));
}

void fillFeedbackLike(CTCoreMessage &m)
{
    m.setTo({CTCoreAddress::addressWithName(QString(), QStringLiteral("support@example.org"))});
    m.setFrom({CTCoreAddress::addressWithName(QString(), QStringLiteral("sender@example.org"))});
    m.setSubject(QStringLiteral("T#user@example.net#42#client:contact#Contact from product"));
}

}

TEST(CTCoreMessage, BodyAndAttachmentRenderAsMixedWithTextFirst)
{
    CTCoreMessage m;
    fillFeedbackLike(m);
    m.setBody(QStringLiteral("Hello\nDescription:it broke\n"));
    const QByteArray archive("\x1f\x8b\x08\x00binary\r\n\x00tail", 17);
    m.addAttachment(CTCoreAttachment(archive, QStringLiteral("application/gzip"), QStringLiteral("log.tar.gz")));

    PARSE_OR_SKIP(mail, m.render());
    EXPECT_EQ(mail.value(QStringLiteral("type")).toString(), QStringLiteral("multipart/mixed"));
    const QJsonArray parts = mail.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 2);
    const QJsonObject text = parts[0].toObject();
    EXPECT_EQ(text.value(QStringLiteral("type")).toString(), QStringLiteral("text/plain"));
    EXPECT_EQ(text.value(QStringLiteral("charset")).toString().toLower(), QStringLiteral("utf-8"));
    EXPECT_EQ(text.value(QStringLiteral("encoding")).toString(), QStringLiteral("quoted-printable"));
    EXPECT_EQ(payload(text).replace("\r\n", "\n"), QByteArray("Hello\nDescription:it broke\n"));
    const QJsonObject att = parts[1].toObject();
    EXPECT_EQ(att.value(QStringLiteral("type")).toString(), QStringLiteral("application/gzip"));
    EXPECT_EQ(att.value(QStringLiteral("disposition")).toString(), QStringLiteral("attachment"));
    EXPECT_EQ(att.value(QStringLiteral("filename")).toString(), QStringLiteral("log.tar.gz"));
    EXPECT_EQ(att.value(QStringLiteral("encoding")).toString(), QStringLiteral("base64"));
    EXPECT_EQ(payload(att), archive);

    EXPECT_FALSE(header(mail, "Date").isEmpty());
    EXPECT_FALSE(header(mail, "Message-ID").isEmpty());
    EXPECT_EQ(header(mail, "To"), QStringLiteral("support@example.org"));
    EXPECT_FALSE(hasHeader(mail, "X-Priority"));
    EXPECT_FALSE(hasHeader(mail, "Priority"));
}

TEST(CTCoreMessage, AttachmentBeforeBodyIsKeptAfterTheBody)
{
    CTCoreMessage m;
    fillFeedbackLike(m);
    m.addAttachment(CTCoreAttachment("abc", QStringLiteral("text/plain"), QStringLiteral("note.txt")));
    m.setBody(QStringLiteral("first"));
    m.setBody(QStringLiteral("second"));

    PARSE_OR_SKIP(mail, m.render());
    const QJsonArray parts = mail.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(payload(parts[0].toObject()), QByteArray("second"));
    EXPECT_EQ(parts[1].toObject().value(QStringLiteral("filename")).toString(), QStringLiteral("note.txt"));
}

TEST(CTCoreMessage, NonAsciiSubjectAndNamesAreEncodedWords)
{
    CTCoreMessage m;
    const QString name = QStringLiteral("Zoë Ågren 中文");
    const QString subject = QStringLiteral("Rückmeldung – %1 ").arg(QString(60, QChar(0x00e9))) + QStringLiteral("end");
    m.setFrom({CTCoreAddress(name, QStringLiteral("zoe@example.org"))});
    m.setTo({CTCoreAddress::addressWithName(QString(), QStringLiteral("support@example.org"))});
    m.setSubject(subject);
    m.setBody(QStringLiteral("x"));
    const QByteArray text = m.render();
    const QByteArray head = text.left(text.indexOf("\r\n\r\n"));
    for (const char c : head)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "raw 8-bit byte in the header";
    for (const QByteArray &line : head.split('\n'))
        EXPECT_LE(line.size(), 999) << "header line beyond the RFC 5322 limit";

    PARSE_OR_SKIP(mail, text);
    EXPECT_EQ(header(mail, "Subject"), subject);
    EXPECT_TRUE(header(mail, "From").startsWith(name)) << header(mail, "From").toStdString();
    EXPECT_EQ(MailCoreDecodeMIMEPhrase(MailCoreEncodeMIMEPhrase(name)), name);
}

TEST(CTCoreMessage, HostileHeaderTextCannotAddHeaders)
{
    CTCoreMessage m;
    fillFeedbackLike(m);
    m.setSubject(QStringLiteral("hi\r\nBcc: victim@example.org\r\n\r\nbody"));
    m.setBody(QStringLiteral("x"));
    PARSE_OR_SKIP(mail, m.render());
    EXPECT_FALSE(hasHeader(mail, "Bcc"));
    EXPECT_TRUE(header(mail, "Subject").startsWith(QStringLiteral("hi")));

    CTCoreMessage bad;
    bad.setTo({CTCoreAddress(QString(), QStringLiteral("a@example.org>\r\nBcc: b@example.org"))});
    bad.setBody(QStringLiteral("x"));
    EXPECT_TRUE(bad.render().isEmpty());
    ASSERT_TRUE(bad.lastError().has_value());
    EXPECT_EQ(bad.lastError()->domain(), QStringLiteral("mailcore"));
}

TEST(CTCoreMessage, PriorityHeadersOnlyWhenSet)
{
    struct Case {
        int priority;
        const char *xPriority;
        const char *priorityText;
    } cases[] = {{1, "1", "urgent"}, {2, "3", "normal"}, {3, "5", "non-urgent"}, {0, nullptr, nullptr}};
    for (const auto &c : cases) {
        CTCoreMessage m;
        fillFeedbackLike(m);
        m.setBody(QStringLiteral("x"));
        m.setMailPriority(c.priority);
        PARSE_OR_SKIP(mail, m.render());
        if (c.xPriority) {
            EXPECT_EQ(header(mail, "X-Priority"), QString::fromLatin1(c.xPriority)) << c.priority;
            EXPECT_EQ(header(mail, "Priority"), QString::fromLatin1(c.priorityText)) << c.priority;
        } else {
            EXPECT_FALSE(hasHeader(mail, "X-Priority"));
            EXPECT_FALSE(hasHeader(mail, "Priority"));
        }
    }
}

TEST(CTCoreMessage, RenderTwiceKeepsTheMessageWhole)
{
    // Each rendering frees its own header copies: run under AddressSanitizer this catches a
    // double free or a use of freed fields.
    CTCoreMessage m;
    fillFeedbackLike(m);
    m.setCc({CTCoreAddress(QStringLiteral("Copy"), QStringLiteral("cc@example.org"))});
    m.setReplyTo({CTCoreAddress(QStringLiteral("Reply"), QStringLiteral("reply@example.org"))});
    m.setInReplyTo({QStringLiteral("<a@example.org>")});
    m.setReferences({QStringLiteral("<a@example.org>"), QStringLiteral("<b@example.org>")});
    m.setMailPriority(CTCoreMessage::PriorityUrgent);
    m.setBody(QStringLiteral("body"));
    m.addAttachment(CTCoreAttachment("data", QStringLiteral("application/octet-stream"), QStringLiteral("d.bin")));
    const QByteArray first = m.render();
    const QByteArray second = m.render();
    ASSERT_FALSE(first.isEmpty());
    auto strip = [](QByteArray t) {
        // Date, Message-ID and the boundary differ each time; the rest must not.
        QList<QByteArray> kept;
        for (const QByteArray &line : t.split('\n'))
            if (!line.startsWith("Date:") && !line.startsWith("Message-ID:") && !line.contains("boundary")
                && !line.startsWith("--"))
                kept.append(line);
        return kept;
    };
    EXPECT_EQ(strip(first), strip(second));
    EXPECT_EQ(m.to().size(), 1);
    EXPECT_EQ(m.cc().first().name(), QStringLiteral("Copy"));
}

TEST(CTCoreMessage, EmptyNameAndNoTree)
{
    CTCoreMessage empty;
    EXPECT_TRUE(empty.render().isEmpty());

    CTCoreMessage m;
    CTCoreAddress a = CTCoreAddress::address();
    a.setEmail(QStringLiteral("only@example.org"));
    m.setTo({a});
    m.setBody(QStringLiteral("x"));
    PARSE_OR_SKIP(mail, m.render());
    EXPECT_EQ(header(mail, "To"), QStringLiteral("only@example.org"));
    EXPECT_EQ(a.description(), QStringLiteral(" <only@example.org>"));
}

TEST(CTMIME, MultiPartRendersPartsInOrder)
{
    auto multi = CTMIME_MultiPart::mimeMultiPart();
    multi->addMIMEPart(CTMIME_TextPart::mimeTextPartWithString(QStringLiteral("one")));
    multi->addMIMEPart(CTMIME_HtmlPart::mimeTextPartWithString(QStringLiteral("<b>two</b>")));
    auto bare = CTMIME_SinglePart::mimeSinglePartWithData("three");
    multi->addMIMEPart(bare);
    const QByteArray text = CTMIME_MessagePart::mimeMessagePartWithContent(multi)->render();

    PARSE_OR_SKIP(mail, text);
    EXPECT_EQ(mail.value(QStringLiteral("type")).toString(), QStringLiteral("multipart/mixed"));
    const QJsonArray parts = mail.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(payload(parts[0].toObject()), QByteArray("one"));
    EXPECT_EQ(parts[1].toObject().value(QStringLiteral("type")).toString(), QStringLiteral("text/html"));
    EXPECT_EQ(parts[1].toObject().value(QStringLiteral("disposition")).toString(), QStringLiteral("inline"));
    const QJsonObject third = parts[2].toObject();
    EXPECT_EQ(third.value(QStringLiteral("disposition")).toString(), QString()) << "no file name: no disposition";
    EXPECT_EQ(third.value(QStringLiteral("encoding")).toString(), QStringLiteral("base64"));
    EXPECT_EQ(payload(third), QByteArray("three"));
}

TEST(CTMIME, EnumeratorWalksBreadthFirst)
{
    auto text = CTMIME_TextPart::mimeTextPartWithString(QStringLiteral("t"));
    auto attachment = CTMIME_SinglePart::mimeSinglePartWithData("a");
    auto multi = CTMIME_MultiPart::mimeMultiPart();
    multi->addMIMEPart(text);
    multi->addMIMEPart(attachment);
    auto message = CTMIME_MessagePart::mimeMessagePartWithContent(multi);

    CTMIME_Enumerator e = message->mimeEnumerator();
    EXPECT_EQ(e.nextObject(), message);
    EXPECT_EQ(e.nextObject(), multi);
    const auto rest = e.allObjects();
    ASSERT_EQ(rest.size(), 2);
    EXPECT_EQ(rest[0], text);
    EXPECT_EQ(rest[1], attachment);
    EXPECT_EQ(e.nextObject(), nullptr);
}

TEST(MailCoreError, CodesAndDescriptions)
{
    struct Case {
        int code;
        const char *text;
    } cases[] = {{3, "Bad state"}, {14, "Capability error"}, {43, "Capability error"}, {57, "Folder errror"},
                 {2, "Error: 2"}, {58, "Error: 58"}};
    for (const auto &c : cases)
        EXPECT_EQ(MailCoreCreateErrorFromIMAPCode(c.code).description(), QString::fromLatin1(c.text)) << c.code;
    EXPECT_EQ(MailCoreCreateErrorFromSMTPCode(17).description(), QStringLiteral("Invalid username or password"));
    EXPECT_EQ(MailCoreCreateErrorFromSMTPCode(17).code(), 17);
}

TEST(CTCoreAttachment, FromFileAndAtomicWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.tar.gz"));
    CTCoreAttachment written("bytes", QStringLiteral("x/y"), QStringLiteral("n"));
    ASSERT_TRUE(written.writeToFile(path));
    const auto read = CTCoreAttachment::attachmentWithContentsOfFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->data(), QByteArray("bytes"));
    EXPECT_EQ(read->filename(), QStringLiteral("log.tar.gz"));
    EXPECT_EQ(read->contentType(), QStringLiteral("application/gzip"));
    EXPECT_EQ(CTCoreAttachment::contentTypeForExtension(QStringLiteral("JPG")), QStringLiteral("application/octet-stream"));
    EXPECT_FALSE(CTCoreAttachment::attachmentWithContentsOfFile(dir.filePath(QStringLiteral("missing"))).has_value());
    EXPECT_FALSE(written.writeToFile(dir.filePath(QStringLiteral("no/such/folder/file"))));
}

#include "feedback/CTCoreMessage.h"
#include "feedback/CTMIMEFactory.h"
#include "feedback/CTMIME_MessagePart.h"
#include "feedback/CTMIME_MultiPart.h"
#include "feedback/CTMIME_TextPart.h"
#include "feedback/MailCoreUtilities.h"
#include "platform/PropertyList.h"
#include "support/SpecialFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <libetpan/libetpan.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Messages are written with LF here and sent to the parser with CRLF, as they travel.
QString crlf(const char *text)
{
    return QString::fromUtf8(QByteArray(text).replace("\n", "\r\n"));
}

QString lf(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QStringList emails(const CTCoreAddressSet &set)
{
    QStringList out;
    for (const auto &a : set)
        out.append(a.email());
    return out;
}

struct Attachment
{
    QString filename; // decoded
    QString contentType;
    QByteArray bytes;
};

struct ReadCase
{
    const char *name;
    const char *text;
    QString subject;
    QString fromName, fromEmail;
    QStringList to;
    QString body; // plain text, LF line ends
    QString html;
    bool hasHtml;
    QList<Attachment> attachments;
    int zoneSeconds; // -1: no Date field
};

const ReadCase kReadCases[] = {
    {"plain", R"(From: Alice Example <alice@example.org>
To: bob@example.net
Subject: Plain hello
Date: Tue, 1 Dec 2026 10:20:30 +0530
Message-ID: <plain-1@example.org>
Content-Type: text/plain; charset=us-ascii

Hello Bob,
see you.
)",
     QStringLiteral("Plain hello"),
     QStringLiteral("Alice Example"),
     QStringLiteral("alice@example.org"),
     {QStringLiteral("bob@example.net")},
     QStringLiteral("Hello Bob,\nsee you.\n"),
     QString(),
     false,
     {},
     19800},
    {"html only", R"(From: news@example.org
To: reader@example.net
Subject: Weekly
Date: Wed, 2 Dec 2026 08:00:00 -0800
MIME-Version: 1.0
Content-Type: text/html; charset=UTF-8

<p>Hi <b>there</b></p>
)",
     QStringLiteral("Weekly"),
     QString(),
     QStringLiteral("news@example.org"),
     {QStringLiteral("reader@example.net")},
     QString(),
     QStringLiteral("<p>Hi <b>there</b></p>\n"),
     true,
     {},
     -8 * 3600},
    {"multipart/alternative", R"(From: Shop <shop@example.org>
To: buyer@example.net
Subject: Your order
Date: Thu, 3 Dec 2026 12:00:00 +0000
MIME-Version: 1.0
Content-Type: multipart/alternative; boundary="alt-b"

--alt-b
Content-Type: text/plain; charset=UTF-8

Order 17 shipped.
--alt-b
Content-Type: text/html; charset=UTF-8

<p>Order 17 shipped.</p>
--alt-b--
)",
     QStringLiteral("Your order"),
     QStringLiteral("Shop"),
     QStringLiteral("shop@example.org"),
     {QStringLiteral("buyer@example.net")},
     QStringLiteral("Order 17 shipped."),
     QStringLiteral("<p>Order 17 shipped.</p>"),
     true,
     {},
     0},
    {"multipart/mixed with an attachment", R"(From: a@example.org
To: b@example.org, c@example.org
Subject: Report
Date: Fri, 4 Dec 2026 09:15:00 +0100
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="mix"

--mix
Content-Type: text/plain; charset=UTF-8
Content-Transfer-Encoding: 7bit

See the report.
--mix
Content-Type: application/pdf; name="report.pdf"
Content-Disposition: attachment; filename="report.pdf"
Content-Transfer-Encoding: base64

JVBERi0xLjQKJcOkw7zDtsOf
--mix--
)",
     QStringLiteral("Report"),
     QString(),
     QStringLiteral("a@example.org"),
     {QStringLiteral("b@example.org"), QStringLiteral("c@example.org")},
     QStringLiteral("See the report."),
     QString(),
     true,
     {{QStringLiteral("report.pdf"), QStringLiteral("application/pdf"), QByteArray("%PDF-1.4\n%\xc3\xa4\xc3\xbc\xc3\xb6\xc3\x9f")}},
     3600},
    {"RFC 2047 names, subject and file name", R"(From: =?UTF-8?B?Wm/DqyDDhWdyZW4=?= <zoe@example.org>
To: =?ISO-8859-1?Q?J=F6rg?= <joerg@example.net>
Subject: =?ISO-8859-1?Q?R=FCckmeldung?= =?UTF-8?B?IOKAkyDkuK3mlofvvIE=?=
Date: Sat, 5 Dec 2026 23:59:59 +0900
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="b2047"

--b2047
Content-Type: text/plain; charset=UTF-8

ok
--b2047
Content-Type: text/plain; charset=UTF-8
Content-Disposition: attachment; filename="=?UTF-8?B?R3LDvMOfZS50eHQ=?="

bytes
--b2047--
)",
     QStringLiteral("Rückmeldung – 中文！"),
     QStringLiteral("Zoë Ågren"),
     QStringLiteral("zoe@example.org"),
     {QStringLiteral("joerg@example.net")},
     QStringLiteral("ok"),
     QString(),
     true,
     {{QStringLiteral("Grüße.txt"), QStringLiteral("text/plain"), QByteArray("bytes")}},
     9 * 3600},
    {"quoted-printable in ISO-8859-1", R"(From: b@example.org
To: a@example.org
Subject: qp
Date: Sun, 6 Dec 2026 10:00:00 +0000
MIME-Version: 1.0
Content-Type: text/plain; charset=ISO-8859-1
Content-Transfer-Encoding: quoted-printable

Viele Gr=FC=DFe, ein sehr langer Satz, der weich umbrochen wird, damit er in=
 eine Zeile passt.
)",
     QStringLiteral("qp"),
     QString(),
     QStringLiteral("b@example.org"),
     {QStringLiteral("a@example.org")},
     QStringLiteral("Viele Grüße, ein sehr langer Satz, der weich umbrochen wird, damit er in eine Zeile passt.\n"),
     QString(),
     false,
     {},
     0},
    {"base64 text and a PDF named only by its location", R"(From: c@example.org
To: d@example.org
Subject: b64
Date: Mon, 7 Dec 2026 10:00:00 +0000
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="b64"

--b64
Content-Type: text/plain; charset=UTF-8
Content-Transfer-Encoding: base64

SGVsbG8gYmFzZTY0IOKckw==
--b64
Content-Type: application/octet-stream
Content-Location: SCAN.PDF
Content-Transfer-Encoding: base64

AAECAw==
--b64--
)",
     QStringLiteral("b64"),
     QString(),
     QStringLiteral("c@example.org"),
     {QStringLiteral("d@example.org")},
     QStringLiteral("Hello base64 ✓"),
     QString(),
     true,
     {{QStringLiteral("SCAN.PDF"), QStringLiteral("application/octet-stream"), QByteArray("\x00\x01\x02\x03", 4)}},
     0},
    {"group address and no Date", R"(From: e@example.org
To: Team: x@example.org, "Why" <y@example.org>;, z@example.org
Subject: group

body
)",
     QStringLiteral("group"),
     QString(),
     QStringLiteral("e@example.org"),
     {QStringLiteral("x@example.org"), QStringLiteral("y@example.org"), QStringLiteral("z@example.org")},
     QStringLiteral("body\n"),
     QString(),
     false,
     {},
     -1},
};

}

TEST(CTCoreMessageRead, RealMessagesTable)
{
    for (const ReadCase &c : kReadCases) {
        SCOPED_TRACE(c.name);
        CTCoreMessage m;
        ASSERT_TRUE(m.initWithString(crlf(c.text))) << (m.lastError() ? m.lastError()->description().toStdString() : "");
        EXPECT_FALSE(m.lastError().has_value());
        EXPECT_TRUE(m.hasBodyStructure());
        EXPECT_EQ(m.subject().value_or(QString()), c.subject);
        ASSERT_EQ(m.from().size(), 1);
        EXPECT_EQ(m.from().first().name(), c.fromName);
        EXPECT_EQ(m.from().first().email(), c.fromEmail);
        EXPECT_EQ(emails(m.to()), c.to);
        EXPECT_EQ(lf(m.body().value_or(QStringLiteral("<none>"))), c.body);
        EXPECT_EQ(lf(m.htmlBody().value_or(QStringLiteral("<none>"))), c.html);
        EXPECT_EQ(m.hasHtmlBody(), c.hasHtml);
        bool isHTML = false;
        const auto preferred = m.bodyPreferringPlainText(&isHTML);
        EXPECT_EQ(isHTML, c.body.isEmpty());
        EXPECT_EQ(lf(preferred.value_or(QString())), c.body.isEmpty() ? c.html : c.body);

        const QList<CTBareAttachment> attachments = m.attachments();
        ASSERT_EQ(attachments.size(), c.attachments.size());
        for (qsizetype i = 0; i < attachments.size(); ++i) {
            EXPECT_EQ(attachments[i].decodedFilename(), c.attachments[i].filename);
            EXPECT_EQ(attachments[i].contentType(), c.attachments[i].contentType);
            size_t calls = 0;
            const auto full = attachments[i].fetchFullAttachmentWithProgress([&](size_t current, size_t maximum) {
                ++calls;
                EXPECT_LE(current, maximum);
            });
            ASSERT_TRUE(full.has_value());
            EXPECT_EQ(full->data(), c.attachments[i].bytes);
            EXPECT_GE(calls, 1u);
            EXPECT_TRUE(attachments[i].part()->fetched());
            EXPECT_EQ(attachments[i].part()->size(), size_t(c.attachments[i].bytes.size()));
        }

        if (c.zoneSeconds == -1) {
            EXPECT_FALSE(m.senderDate().has_value());
            EXPECT_EQ(m.senderTimeZone(), 0);
        } else {
            ASSERT_TRUE(m.senderDate().has_value());
            EXPECT_EQ(m.senderTimeZone(), c.zoneSeconds);
            EXPECT_EQ(m.senderDate()->offsetFromUtc(), c.zoneSeconds);
        }
        // A message read from text is in no store: no flags, no IMAP.
        EXPECT_FALSE(m.isUnread());
        EXPECT_FALSE(m.isNew());
        EXPECT_EQ(m.uid(), 0u);
        EXPECT_EQ(m.messageSize(), size_t(crlf(c.text).toUtf8().size()));
    }
}

TEST(CTCoreMessageRead, SenderIdsAndDateFields)
{
    CTCoreMessage m;
    ASSERT_TRUE(m.initWithString(crlf(R"(From: a@example.org
Sender: List Robot <robot@example.org>
Reply-To: Replies <r@example.org>
Cc: cc@example.org
Message-ID: <id-1@example.org>
In-Reply-To: <id-0@example.org>
References: <id-a@example.org> <id-0@example.org>
Date: Tue, 1 Dec 2026 10:20:30 -0330
Subject: fields

x
)")));
    ASSERT_TRUE(m.sender().has_value());
    EXPECT_EQ(m.sender()->name(), QStringLiteral("List Robot"));
    EXPECT_EQ(m.sender()->email(), QStringLiteral("robot@example.org"));
    EXPECT_EQ(m.replyTo().first().name(), QStringLiteral("Replies"));
    EXPECT_EQ(emails(m.cc()), QStringList{QStringLiteral("cc@example.org")});
    EXPECT_EQ(m.messageId(), QStringLiteral("id-1@example.org"));
    EXPECT_EQ(m.inReplyTo(), QStringList{QStringLiteral("id-0@example.org")});
    EXPECT_EQ(m.references(), (QStringList{QStringLiteral("id-a@example.org"), QStringLiteral("id-0@example.org")}));
    // Half-hour zones: hours and minutes, not hours times 36 seconds per minute.
    EXPECT_EQ(m.senderTimeZone(), -(3 * 3600 + 30 * 60));
    ASSERT_TRUE(m.libetpanDateTime().has_value());
    EXPECT_EQ(m.libetpanDateTime()->dt_zone, -330);
    EXPECT_EQ(m.libetpanDateTime()->dt_hour, 10);
    EXPECT_EQ(m.senderDate()->toUTC(), QDateTime(QDate(2026, 12, 1), QTime(13, 50, 30), Qt::UTC));
}

TEST(CTCoreMessageRead, DamagedMessagesGiveNoneAndAnError)
{
    const char *const damaged[] = {
        "",
        "garbage without any header line",
        "Subject: x\nthis line is not a header field\nFrom: a@example.org\n\nbody\n",
        "From: a@example.org\nContent-Type: multipart/mixed\n\n--lost\nno boundary was declared\n",
    };
    for (const char *text : damaged) {
        CTCoreMessage m;
        EXPECT_FALSE(m.initWithString(crlf(text))) << text;
        ASSERT_TRUE(m.lastError().has_value()) << text;
        EXPECT_EQ(m.lastError()->domain(), QStringLiteral("mailcore"));
        EXPECT_EQ(m.lastError()->code(), MAILIMAP_ERROR_PARSE);
        EXPECT_EQ(m.lastError()->description(), QStringLiteral("Parse error"));
        EXPECT_FALSE(m.hasBodyStructure()) << text;
        EXPECT_TRUE(m.attachments().isEmpty());
    }
    // A header alone, without the line end after it, is still a message.
    CTCoreMessage headerOnly;
    EXPECT_TRUE(headerOnly.initWithString(QStringLiteral("Subject: only\r\nFrom: a@example.org")));
    EXPECT_EQ(headerOnly.subject(), QStringLiteral("only"));
    EXPECT_EQ(headerOnly.body(), QString());

    CTCoreMessage missing;
    QTemporaryDir dir;
    EXPECT_FALSE(missing.initWithFileAtPath(dir.filePath(QStringLiteral("none.eml"))));
    EXPECT_TRUE(missing.lastError().has_value());

    // A FIFO, folder, socket or device at the name is refused at once, never waited on.
    for (const SpecialFiles::Case &c : SpecialFiles::all()) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("special-%1.eml").arg(QLatin1String(c.name)));
        ASSERT_TRUE(SpecialFiles::plant(c.kind, path));
        CTCoreMessage special;
        bool read = true;
        EXPECT_TRUE(SpecialFiles::returnsPromptly([&] { read = special.initWithFileAtPath(path); }, {path}));
        EXPECT_FALSE(read);
        EXPECT_TRUE(special.lastError().has_value());
    }
}

// A Date zone no clock has (a hostile message may write any digits there) reads as UTC, and
// never overflows the seconds it is turned into.
TEST(CTCoreMessageRead, ZonesNoClockHasReadAsUtc)
{
    const struct
    {
        const char *zone;
        int seconds;
    } cases[] = {
        {"+0530", 19800},
        {"-0330", -12600},
        {"+2359", 86340},
        {"+2400", 0},
        {"+0160", 0},
        {"+477219100", 0},
        {"-2147483648", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.zone);
        CTCoreMessage m;
        const QString text = QStringLiteral("From: a@example.org\r\nDate: Tue, 1 Dec 2026 10:20:30 %1\r\n"
                                            "Subject: zone\r\n\r\nbody\r\n")
                                 .arg(QLatin1String(c.zone));
        if (!m.initWithString(text))
            continue; // a zone the parser refuses leaves no date to read
        EXPECT_EQ(m.senderTimeZone(), c.seconds);
    }
}

TEST(CTCoreMessageRead, FeedbackMessageRoundTrip)
{
    CTCoreMessage built;
    built.setTo({CTCoreAddress(QString(), QStringLiteral("support@example.org"))});
    built.setFrom({CTCoreAddress(QStringLiteral("Fennix Feedback"), QStringLiteral("sender@example.org"))});
    const QString subject = QStringLiteral("T#user@example.net#42#client:contact#Contact from product");
    built.setSubject(subject);
    const QString body = QStringLiteral("Fennix Pro (Linux)\uFF081.0\uFF09 Feedback\nDescription:Grüße – it broke\n\n\n(null)\n\n");
    built.setBody(body);
    QByteArray archive("\x1f\x8b\x08\x00", 4);
    for (int i = 0; i < 3000; ++i)
        archive.append(char(i * 7));
    built.addAttachment(CTCoreAttachment(archive, QStringLiteral("application/gzip"), QStringLiteral("log.tar.gz")));
    const QByteArray rendered = built.render();
    ASSERT_FALSE(rendered.isEmpty());

    for (const bool fromFile : {false, true}) {
        SCOPED_TRACE(fromFile ? "file" : "string");
        CTCoreMessage read;
        QTemporaryDir dir;
        if (fromFile) {
            const QString path = dir.filePath(QStringLiteral("feedback.eml"));
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(rendered);
            f.close();
            ASSERT_TRUE(read.initWithFileAtPath(path));
        } else {
            ASSERT_TRUE(read.initWithString(QString::fromUtf8(rendered)));
        }
        EXPECT_EQ(read.to(), built.to());
        EXPECT_EQ(read.from(), built.from());
        EXPECT_EQ(read.subject(), subject);
        EXPECT_EQ(lf(read.body().value_or(QString())), body);
        EXPECT_FALSE(read.messageId().isEmpty());
        EXPECT_TRUE(read.senderDate().has_value());
        const auto attachments = read.attachments();
        ASSERT_EQ(attachments.size(), 1);
        EXPECT_EQ(attachments.first().filename(), QStringLiteral("log.tar.gz"));
        EXPECT_EQ(attachments.first().contentType(), QStringLiteral("application/gzip"));
        const auto full = attachments.first().fetchFullAttachment();
        ASSERT_TRUE(full.has_value());
        EXPECT_EQ(full->data(), archive);

        // The tree: a message part over a mixed multipart of the text and the archive.
        const auto root = std::dynamic_pointer_cast<CTMIME_MessagePart>(read.mime());
        ASSERT_TRUE(root);
        const auto multi = std::dynamic_pointer_cast<CTMIME_MultiPart>(root->content());
        ASSERT_TRUE(multi);
        EXPECT_EQ(multi->contentType(), QStringLiteral("multipart/mixed"));
        ASSERT_EQ(multi->content().size(), 2);
        const auto text = std::dynamic_pointer_cast<CTMIME_TextPart>(multi->content().first());
        ASSERT_TRUE(text && text->mimeFields());
        EXPECT_FALSE(text->attached());
    }
}

TEST(CTCoreMessageRead, PartsOutliveTheirMessage)
{
    // A part keeps what it reads from: fetching after the message object is gone is safe.
    std::shared_ptr<CTMIME_SinglePart> part;
    {
        CTCoreMessage m;
        ASSERT_TRUE(m.initWithString(crlf(kReadCases[3].text)));
        part = m.attachments().first().part();
    }
    ASSERT_TRUE(part->fetchPart());
    EXPECT_EQ(part->data(), kReadCases[3].attachments.first().bytes);
}

TEST(CTCoreMessageRead, StoreOnlyAnswersAndFlags)
{
    CTCoreMessage m;
    ASSERT_TRUE(m.initWithString(crlf(kReadCases[0].text)));
    EXPECT_FALSE(m.rfc822().has_value());
    ASSERT_TRUE(m.lastError().has_value());
    EXPECT_EQ(m.lastError()->description(), QStringLiteral("Bad state"));
    EXPECT_FALSE(m.rfc822Header().has_value());
    EXPECT_EQ(m.imapSession(), nullptr);

    // The Apple Mail form of what was read: length line, LF text, the property list.
    const auto emlx = m.messageAsEmlx();
    ASSERT_TRUE(emlx.has_value());
    const QByteArray text = crlf(kReadCases[0].text).toUtf8().replace("\r\n", "\n");
    EXPECT_EQ(emlx->left(11), QString::asprintf("%-10d\n", int(text.size())).toLatin1());
    EXPECT_EQ(emlx->mid(11, text.size()), text);
    const QVariantMap plist = PropertyList::fromXml(emlx->mid(11 + text.size())).toMap();
    EXPECT_EQ(plist.value(QStringLiteral("subject")).toString(), QStringLiteral("Plain hello"));
    EXPECT_EQ(plist.value(QStringLiteral("date-sent")).toLongLong(), m.senderDate()->toSecsSinceEpoch());

    // A message of a store carries libetpan's flags and identifier.
    const QByteArray raw = crlf(kReadCases[0].text).toUtf8();
    mailmessage *message = data_message_init(const_cast<char *>(raw.constData()), size_t(raw.size()));
    ASSERT_NE(message, nullptr);
    clist *extensions = MailCoreClistFromStringArray({QStringLiteral("$Label1")});
    message->msg_flags = mail_flags_new(MAIL_FLAG_SEEN | MAIL_FLAG_FLAGGED | MAIL_FLAG_ANSWERED, extensions);
    message->msg_uid = strdup("7-345");
    CTCoreMessage stored;
    ASSERT_TRUE(stored.initWithMessageStruct(message));
    EXPECT_EQ(stored.messageStruct(), message);
    EXPECT_FALSE(stored.isUnread());
    EXPECT_TRUE(stored.isStarred());
    EXPECT_FALSE(stored.isDeleted());
    EXPECT_FALSE(stored.isNew());
    EXPECT_TRUE(stored.isFlagSet(MAIL_FLAG_ANSWERED, false));
    EXPECT_EQ(stored.extionsionFlags(), QStringList{QStringLiteral("$Label1")});
    EXPECT_EQ(stored.uid(), 345u);
    EXPECT_EQ(stored.subject(), QStringLiteral("Plain hello"));
    stored.setSequenceNumber(9);
    EXPECT_EQ(stored.sequenceNumber(), 9u);

    CTCoreMessage none;
    EXPECT_FALSE(none.initWithMessageStruct(nullptr));
    EXPECT_TRUE(none.lastError().has_value());
}

TEST(CTCoreMessageRead, FactoryAndListHelpers)
{
    EXPECT_EQ(CTMIMEFactory::createMIMEWithMIMEStruct(nullptr, nullptr), nullptr);
    EXPECT_EQ(MailCoreDecodeMIMEPhrase(QByteArray()), QString());
    EXPECT_EQ(MailCoreDecodeMIMEPhrase("=?UTF-8?Q?caf=C3=A9?= bar"), QStringLiteral("café bar"));

    const QStringList strings = {QStringLiteral("a"), QStringLiteral("ü"), QString()};
    clist *list = MailCoreClistFromStringArray(strings);
    EXPECT_EQ(MailCoreStringArrayFromClist(list), strings);
    for (clistiter *it = clist_begin(list); it; it = clist_next(it))
        free(clist_content(it));
    clist_free(list);
    EXPECT_TRUE(MailCoreStringArrayFromClist(nullptr).isEmpty());
}

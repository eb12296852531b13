#pragma once

#include "feedback/CTCoreAddress.h"
#include "feedback/CTCoreAttachment.h"
#include "feedback/MailCoreError.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <libetpan/mailimf_types.h>
#include <memory>
#include <optional>

class CTMIME;
class CTMessageStruct;
typedef struct mailmessage mailmessage;
typedef struct mailimap mailimap;
struct mailimf_fields;
struct mailmime;

// A message: header fields, a MIME tree, and its rendering to RFC 822 text. It is either
// built here, or read from RFC 822 text (a string, a file) or a libetpan message, whose parts
// then fetch their bytes on demand. No mail store exists here: what needs an IMAP session
// answers none.
class CTCoreMessage
{
public:
    enum MailPriority { PriorityNone = 0, PriorityUrgent = 1, PriorityNormal = 2, PriorityNonUrgent = 3 };

    CTCoreMessage();
    ~CTCoreMessage();
    CTCoreMessage(const CTCoreMessage &) = delete;
    CTCoreMessage &operator=(const CTCoreMessage &) = delete;

    CTCoreAddressSet from() const { return m_from; }
    void setFrom(const CTCoreAddressSet &from) { m_from = CTCoreAddressSetFrom(from); }
    CTCoreAddressSet replyTo() const { return m_replyTo; }
    void setReplyTo(const CTCoreAddressSet &replyTo) { m_replyTo = CTCoreAddressSetFrom(replyTo); }
    CTCoreAddressSet to() const { return m_to; }
    void setTo(const CTCoreAddressSet &to) { m_to = CTCoreAddressSetFrom(to); }
    CTCoreAddressSet cc() const { return m_cc; }
    void setCc(const CTCoreAddressSet &cc) { m_cc = CTCoreAddressSetFrom(cc); }
    CTCoreAddressSet bcc() const { return m_bcc; }
    void setBcc(const CTCoreAddressSet &bcc) { m_bcc = CTCoreAddressSetFrom(bcc); }
    QStringList inReplyTo() const { return m_inReplyTo; }
    void setInReplyTo(const QStringList &ids) { m_inReplyTo = ids; }
    QStringList references() const { return m_references; }
    void setReferences(const QStringList &ids) { m_references = ids; }
    std::optional<QString> subject() const { return m_subject; }
    void setSubject(const QString &subject) { m_subject = subject; }
    int mailPriority() const { return m_mailPriority; }
    void setMailPriority(int priority) { m_mailPriority = priority; }

    // The plain-text (or HTML) body. Attachments already added stay, after the body.
    void setBody(const QString &text);
    void setHTMLBody(const QString &html);
    // Appended after the body; kept even when it comes before any body.
    void addAttachment(const CTCoreAttachment &attachment);

    // Reading. Each answers false (lastError says why) for a text that is not a message: empty,
    // no header field, a header that breaks off before the body, a multipart without boundary.
    bool initWithString(const QString &text);
    // The file's bytes as they stand (a message is UTF-8 or 8-bit text).
    bool initWithFileAtPath(const QString &path);
    // Takes the message (flushed and freed with this object) and reads its structure.
    bool initWithMessageStruct(mailmessage *message);
    mailmessage *messageStruct() const;
    bool hasBodyStructure() const { return m_mime != nullptr; }
    // Asks the message for its structure and builds the tree; the header fields too when the
    // message has none yet.
    bool fetchBodyStructure();
    void setBodyStructure(struct mailmime *mime);
    // Reads every header field this class knows from libetpan's field list.
    void setFields(const struct mailimf_fields *fields);

    // The plain-text (HTML) parts' texts in tree order, fetched on the way; none when a fetch fails.
    std::optional<QString> body();
    std::optional<QString> htmlBody();
    // body when it is not empty, else htmlBody (*isHTML then true).
    std::optional<QString> bodyPreferringPlainText(bool *isHTML);
    bool hasHtmlBody() const;
    // A bare attachment of every part marked attached, in the tree's enumeration order.
    QList<CTBareAttachment> attachments() const;

    std::optional<CTCoreAddress> sender() const { return m_sender; }
    // The Date field in the sender's zone; none without a Date field.
    std::optional<QDateTime> senderDate() const { return m_senderDate; }
    // The Date field's zone as seconds east of UTC (+0530 is 19800).
    int senderTimeZone() const { return m_senderTimeZone; }
    // The Date field as libetpan read it (zone as written, +0530 is 530); none without one.
    std::optional<mailimf_date_time> libetpanDateTime() const { return m_dateTime; }
    QString messageId() const { return m_messageId; }

    // Flags of a message from a store (libetpan's mail flags); a message without flags is
    // neither unread, deleted, starred nor new.
    bool isUnread() const;
    bool isDeleted() const;
    bool isStarred() const;
    bool isNew() const;
    bool isFlagSet(unsigned flag, bool defaultValue) const;
    unsigned flags() const;
    QStringList extionsionFlags() const;
    // The second "-" component of the store's identifier; 0 without one.
    unsigned uid() const;
    size_t messageSize() const;
    unsigned sequenceNumber() const { return m_sequenceNumber; }
    void setSequenceNumber(unsigned number) { m_sequenceNumber = number; }

    // These fetch from the IMAP session behind the message: none here (lastError: "Bad state").
    std::optional<QByteArray> rfc822();
    std::optional<QByteArray> rfc822Header();
    mailimap *imapSession();
    // The Apple Mail form: length line, the text with LF line ends, a property list of date,
    // flags and subject. From the text the message was read from; none without it.
    std::optional<QByteArray> messageAsEmlx();

    std::shared_ptr<CTMIME> mime() const { return m_mime; }
    void setMime(std::shared_ptr<CTMIME> mime) { m_mime = std::move(mime); }

    // The message as RFC 822 text, with a new Date and Message-ID each time. Empty when there
    // is no MIME tree, or when a header address could break out of its line (lastError says so).
    QByteArray render();
    std::optional<MailCoreError> lastError() const { return m_lastError; }

private:
    void setBodyPart(std::shared_ptr<CTMIME> part);
    bool initWithData(QByteArray bytes);
    bool readSource(std::shared_ptr<CTMessageStruct> source);
    std::optional<QString> textOfType(const char *type);
    void fail(const MailCoreError &error) { m_lastError = error; }

    CTCoreAddressSet m_from, m_replyTo, m_to, m_cc, m_bcc;
    QStringList m_inReplyTo, m_references;
    std::optional<QString> m_subject;
    int m_mailPriority = PriorityNone;
    std::shared_ptr<CTMIME> m_mime;
    std::optional<MailCoreError> m_lastError;

    std::shared_ptr<CTMessageStruct> m_source;
    std::optional<CTCoreAddress> m_sender;
    std::optional<QDateTime> m_senderDate;
    std::optional<mailimf_date_time> m_dateTime;
    int m_senderTimeZone = 0;
    QString m_messageId;
    bool m_hasFields = false;
    unsigned m_sequenceNumber = 0;
};

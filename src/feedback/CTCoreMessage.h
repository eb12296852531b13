#pragma once

#include "feedback/CTCoreAddress.h"
#include "feedback/CTCoreAttachment.h"
#include "feedback/MailCoreError.h"

#include <QByteArray>
#include <QStringList>

#include <memory>
#include <optional>

class CTMIME;

// A message being built: header fields, a MIME tree, and its rendering to RFC 822 text.
// Only the building side exists; nothing here reads messages from a store.
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

    std::shared_ptr<CTMIME> mime() const { return m_mime; }
    void setMime(std::shared_ptr<CTMIME> mime) { m_mime = std::move(mime); }

    // The message as RFC 822 text, with a new Date and Message-ID each time. Empty when there
    // is no MIME tree, or when a header address could break out of its line (lastError says so).
    QByteArray render();
    std::optional<MailCoreError> lastError() const { return m_lastError; }

private:
    void setBodyPart(std::shared_ptr<CTMIME> part);

    CTCoreAddressSet m_from, m_replyTo, m_to, m_cc, m_bcc;
    QStringList m_inReplyTo, m_references;
    std::optional<QString> m_subject;
    int m_mailPriority = PriorityNone;
    std::shared_ptr<CTMIME> m_mime;
    std::optional<MailCoreError> m_lastError;
};

#include "feedback/CTCoreMessage.h"

#include "feedback/CTMIME_HtmlPart.h"
#include "feedback/CTMIME_MessagePart.h"
#include "feedback/CTMIME_MultiPart.h"
#include "feedback/CTMIME_TextPart.h"
#include "feedback/MailCoreUtilities.h"

#include <libetpan/libetpan.h>

#include <cstring>

namespace {

char *copyOrNull(const QByteArray &bytes)
{
    return bytes.isEmpty() ? nullptr : strdup(bytes.constData());
}

// Each rendering gets its own copies, so the fields can be freed with the rendering.
struct mailimf_mailbox_list *mailboxList(const CTCoreAddressSet &set)
{
    if (set.isEmpty())
        return nullptr;
    struct mailimf_mailbox_list *list = mailimf_mailbox_list_new_empty();
    for (const auto &a : set)
        mailimf_mailbox_list_add(list, mailimf_mailbox_new(copyOrNull(MailCoreEncodeMIMEPhrase(a.name())),
                                                           strdup(a.email().toUtf8().constData())));
    return list;
}

struct mailimf_address_list *addressList(const CTCoreAddressSet &set)
{
    if (set.isEmpty())
        return nullptr;
    struct mailimf_address_list *list = mailimf_address_list_new_empty();
    for (const auto &a : set)
        mailimf_address_list_add_mb(list, copyOrNull(MailCoreEncodeMIMEPhrase(a.name())),
                                    strdup(a.email().toUtf8().constData()));
    return list;
}

clist *idList(const QStringList &ids)
{
    return ids.isEmpty() ? nullptr : MailCoreClistFromStringArray(ids);
}

bool isBodyPart(const std::shared_ptr<CTMIME> &part)
{
    const auto text = std::dynamic_pointer_cast<CTMIME_TextPart>(part);
    return text && !text->attached() && text->filename().isEmpty();
}

}

CTCoreMessage::CTCoreMessage() = default;
CTCoreMessage::~CTCoreMessage() = default;

void CTCoreMessage::setBody(const QString &text)
{
    setBodyPart(CTMIME_TextPart::mimeTextPartWithString(text));
}

void CTCoreMessage::setHTMLBody(const QString &html)
{
    setBodyPart(CTMIME_HtmlPart::mimeTextPartWithString(html));
}

void CTCoreMessage::setBodyPart(std::shared_ptr<CTMIME> part)
{
    if (const auto multi = std::dynamic_pointer_cast<CTMIME_MultiPart>(m_mime)) {
        multi->addMIMEPart(std::move(part));
        return;
    }
    const auto message = std::dynamic_pointer_cast<CTMIME_MessagePart>(m_mime);
    if (message) {
        // A body set after attachments goes first and replaces an earlier body, so the
        // attachments are never dropped.
        if (const auto multi = std::dynamic_pointer_cast<CTMIME_MultiPart>(message->content())) {
            const auto parts = multi->content();
            if (!parts.isEmpty() && isBodyPart(parts.first()))
                multi->replaceMIMEPart(0, std::move(part));
            else
                multi->insertMIMEPart(0, std::move(part));
            return;
        }
    }
    m_mime = CTMIME_MessagePart::mimeMessagePartWithContent(std::move(part));
}

void CTCoreMessage::addAttachment(const CTCoreAttachment &attachment)
{
    auto message = std::dynamic_pointer_cast<CTMIME_MessagePart>(m_mime);
    if (!message) {
        message = CTMIME_MessagePart::mimeMessagePartWithContent(nullptr);
        m_mime = message;
    }
    auto multi = std::dynamic_pointer_cast<CTMIME_MultiPart>(message->content());
    if (!multi) {
        multi = CTMIME_MultiPart::mimeMultiPart();
        if (message->content())
            multi->addMIMEPart(message->content());
        message->setContent(multi);
    }
    auto part = CTMIME_SinglePart::mimeSinglePartWithData(attachment.data());
    part->setContentType(attachment.contentType());
    part->setFilename(attachment.filename());
    part->setAttached(true);
    multi->addMIMEPart(std::move(part));
}

QByteArray CTCoreMessage::render()
{
    m_lastError.reset();
    if (!m_mime)
        return {};
    const auto message = std::dynamic_pointer_cast<CTMIME_MessagePart>(m_mime);
    if (!message)
        return m_mime->render();

    for (const auto *set : {&m_from, &m_replyTo, &m_to, &m_cc, &m_bcc})
        for (const auto &a : *set)
            if (!a.isSafeForEnvelope()) {
                m_lastError = MailCoreCreateError(MAILIMF_ERROR_INVAL,
                                                  QStringLiteral("Invalid address: %1").arg(a.email().toHtmlEscaped()));
                return {};
            }

    char *subject = m_subject ? strdup(MailCoreEncodeMIMEPhrase(*m_subject).constData()) : nullptr;
    struct mailimf_fields *fields =
        mailimf_fields_new_with_data(mailboxList(m_from), nullptr, addressList(m_replyTo), addressList(m_to),
                                     addressList(m_cc), addressList(m_bcc), idList(m_inReplyTo),
                                     idList(m_references), subject);
    if (!fields)
        return {};
    static const char *const kXPriority[] = {"1", "3", "5"};
    static const char *const kPriority[] = {"urgent", "normal", "non-urgent"};
    if (m_mailPriority >= PriorityUrgent && m_mailPriority <= PriorityNonUrgent) {
        mailimf_fields_add(fields, mailimf_field_new_custom(strdup("X-Priority"), strdup(kXPriority[m_mailPriority - 1])));
        mailimf_fields_add(fields, mailimf_field_new_custom(strdup("Priority"), strdup(kPriority[m_mailPriority - 1])));
    }
    message->setIMFFields(fields);
    const QByteArray text = message->render();
    message->setIMFFields(nullptr);
    mailimf_fields_free(fields);
    return text;
}

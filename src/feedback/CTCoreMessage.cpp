#include "feedback/CTCoreMessage.h"

#include "feedback/CTMIMEFactory.h"
#include "feedback/CTMIME_Enumerator.h"
#include "feedback/CTMIME_HtmlPart.h"
#include "feedback/CTMIME_MessagePart.h"
#include "feedback/CTMIME_MultiPart.h"
#include "feedback/CTMIME_TextPart.h"
#include "feedback/CTMessageStruct.h"
#include "feedback/MailCoreUtilities.h"
#include "platform/PropertyList.h"
#include "platform/SafeFileReader.h"

#include <QFile>
#include <QVariantMap>

#include <libetpan/libetpan.h>

#include <cstring>
#include <functional>

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

// A larger file is not a mail this class reads.
constexpr qint64 kMaxMessageFileBytes = 256 * 1024 * 1024;

CTCoreAddress addressOf(const struct mailimf_mailbox *mailbox)
{
    const QString name = mailbox->mb_display_name
                             ? MailCoreDecodeMIMEPhrase(QByteArray(mailbox->mb_display_name)).value_or(QString())
                             : QString();
    return CTCoreAddress(name, QString::fromUtf8(mailbox->mb_addr_spec ? mailbox->mb_addr_spec : ""));
}

void appendMailboxes(const struct mailimf_mailbox_list *list, CTCoreAddressSet &out)
{
    if (!list || !list->mb_list)
        return;
    for (clistiter *it = clist_begin(list->mb_list); it; it = clist_next(it))
        out.append(addressOf(static_cast<const struct mailimf_mailbox *>(clist_content(it))));
}

// Groups are flattened into their members.
CTCoreAddressSet addressesOf(const struct mailimf_address_list *list)
{
    CTCoreAddressSet out;
    if (!list || !list->ad_list)
        return out;
    for (clistiter *it = clist_begin(list->ad_list); it; it = clist_next(it)) {
        const auto *address = static_cast<const struct mailimf_address *>(clist_content(it));
        if (address->ad_type == MAILIMF_ADDRESS_MAILBOX && address->ad_data.ad_mailbox)
            out.append(addressOf(address->ad_data.ad_mailbox));
        else if (address->ad_type == MAILIMF_ADDRESS_GROUP && address->ad_data.ad_group)
            appendMailboxes(address->ad_data.ad_group->grp_mb_list, out);
    }
    return out;
}

// The text must start with a header of at least one field that ends at the empty line before
// the body (or at the end of the text): libetpan reads anything, so a text that is not a
// message is told apart here.
bool looksLikeMessage(const QByteArray &text)
{
    size_t index = 0;
    struct mailimf_fields *fields = nullptr;
    if (text.isEmpty() || mailimf_fields_parse(text.constData(), size_t(text.size()), &index, &fields) != MAILIMF_NO_ERROR)
        return false;
    const bool some = fields && fields->fld_list && clist_count(fields->fld_list) > 0;
    if (fields)
        mailimf_fields_free(fields);
    const QByteArray rest = text.mid(qsizetype(index));
    return some && (rest.isEmpty() || rest.startsWith("\r\n") || rest.startsWith('\n'));
}

// A multipart whose boundary is missing is parsed as one opaque leaf.
bool hasLostBoundary(const struct mailmime *mime)
{
    if (!mime)
        return false;
    switch (mime->mm_type) {
    case MAILMIME_SINGLE: {
        const struct mailmime_type *type = mime->mm_content_type ? mime->mm_content_type->ct_type : nullptr;
        return type && type->tp_type == MAILMIME_TYPE_COMPOSITE_TYPE && type->tp_data.tp_composite_type
               && type->tp_data.tp_composite_type->ct_type == MAILMIME_COMPOSITE_TYPE_MULTIPART;
    }
    case MAILMIME_MULTIPLE:
        for (clistiter *it = clist_begin(mime->mm_data.mm_multipart.mm_mp_list); it; it = clist_next(it))
            if (hasLostBoundary(static_cast<const struct mailmime *>(clist_content(it))))
                return true;
        return false;
    case MAILMIME_MESSAGE:
        return hasLostBoundary(mime->mm_data.mm_message.mm_msg_mime);
    default:
        return false;
    }
}

// A text file the sender attached is no part of the body.
bool isAttachedFile(const CTMIME_SinglePart &part)
{
    const struct mailmime_single_fields *fields = part.mimeFields();
    return fields && fields->fld_disposition && fields->fld_disposition->dsp_type
           && fields->fld_disposition->dsp_type->dsp_type == MAILMIME_DISPOSITION_TYPE_ATTACHMENT;
}

// Seconds east of UTC of a Date zone written as hours and minutes (+0530). A zone no clock
// has (beyond ±23:59, or 60 minutes and more) counts as UTC rather than overflowing.
int zoneSeconds(int zone)
{
    const qint64 magnitude = zone < 0 ? -qint64(zone) : qint64(zone);
    if (magnitude / 100 > 23 || magnitude % 100 > 59)
        return 0;
    const int seconds = int((magnitude / 100) * 3600 + (magnitude % 100) * 60);
    return zone < 0 ? -seconds : seconds;
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
    // A read message's own header goes back after the rendering.
    struct mailimf_fields *own = message->imfFields();
    message->setIMFFields(fields);
    const QByteArray text = message->render();
    message->setIMFFields(own);
    mailimf_fields_free(fields);
    return text;
}

bool CTCoreMessage::initWithString(const QString &text)
{
    return initWithData(text.toUtf8());
}

bool CTCoreMessage::initWithFileAtPath(const QString &path)
{
    // A FIFO or device at the name is refused, never waited on.
    const SafeFileReader::Result file = SafeFileReader::read(path, kMaxMessageFileBytes);
    if (!file.ok()) {
        fail(MailCoreCreateError(MAIL_ERROR_FILE, QStringLiteral("The message file could not be read")));
        return false;
    }
    // The bytes as they stand: a mail in an 8-bit charset must not pass through UTF-8.
    return initWithData(file.data);
}

bool CTCoreMessage::initWithData(QByteArray bytes)
{
    m_lastError.reset();
    // A header without the line end after its last field still counts.
    if (!bytes.contains("\n\n") && !bytes.contains("\r\n\r\n") && !bytes.endsWith('\n'))
        bytes += "\r\n";
    if (!looksLikeMessage(bytes)) {
        fail(MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_PARSE));
        return false;
    }
    auto source = CTMessageStruct::withData(bytes);
    if (!source) {
        fail(MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_MEMORY));
        return false;
    }
    return readSource(std::move(source));
}

bool CTCoreMessage::initWithMessageStruct(mailmessage *message)
{
    m_lastError.reset();
    if (!message) {
        fail(MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_BAD_STATE));
        return false;
    }
    return readSource(std::make_shared<CTMessageStruct>(message));
}

bool CTCoreMessage::readSource(std::shared_ptr<CTMessageStruct> source)
{
    m_from.clear();
    m_replyTo.clear();
    m_to.clear();
    m_cc.clear();
    m_bcc.clear();
    m_inReplyTo.clear();
    m_references.clear();
    m_subject.reset();
    m_sender.reset();
    m_senderDate.reset();
    m_dateTime.reset();
    m_senderTimeZone = 0;
    m_messageId.clear();
    m_mime.reset();
    m_hasFields = false;
    m_source = std::move(source);
    if (m_source->message()->msg_fields)
        setFields(m_source->message()->msg_fields);
    if (!fetchBodyStructure() || hasLostBoundary(m_source->message()->msg_mime)) {
        if (!m_lastError)
            fail(MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_PARSE));
        m_mime.reset();
        m_source.reset();
        return false;
    }
    return true;
}

mailmessage *CTCoreMessage::messageStruct() const
{
    return m_source ? m_source->message() : nullptr;
}

bool CTCoreMessage::fetchBodyStructure()
{
    if (!m_source || !m_source->message()) {
        fail(MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_BAD_STATE));
        return false;
    }
    struct mailmime *mime = nullptr;
    const int result = mailmessage_get_bodystructure(m_source->message(), &mime);
    if (result != MAIL_NO_ERROR || !mime) {
        fail(MailCoreCreateErrorFromIMAPCode(result != MAIL_NO_ERROR ? result : MAILIMAP_ERROR_PARSE));
        return false;
    }
    setBodyStructure(mime);
    if (!m_hasFields && mime->mm_type == MAILMIME_MESSAGE && mime->mm_data.mm_message.mm_fields)
        setFields(mime->mm_data.mm_message.mm_fields);
    return m_mime != nullptr;
}

void CTCoreMessage::setBodyStructure(struct mailmime *mime)
{
    m_mime = CTMIMEFactory::createMIMEWithMIMEStruct(mime, m_source);
}

void CTCoreMessage::setFields(const struct mailimf_fields *fields)
{
    if (!fields)
        return;
    struct mailimf_single_fields single;
    mailimf_single_fields_init(&single, const_cast<struct mailimf_fields *>(fields));
    m_hasFields = true;
    CTCoreAddressSet from;
    if (single.fld_from)
        appendMailboxes(single.fld_from->frm_mb_list, from);
    m_from = from;
    m_sender.reset();
    if (single.fld_sender && single.fld_sender->snd_mb)
        m_sender = addressOf(single.fld_sender->snd_mb);
    m_replyTo = single.fld_reply_to ? addressesOf(single.fld_reply_to->rt_addr_list) : CTCoreAddressSet();
    m_to = single.fld_to ? addressesOf(single.fld_to->to_addr_list) : CTCoreAddressSet();
    m_cc = single.fld_cc ? addressesOf(single.fld_cc->cc_addr_list) : CTCoreAddressSet();
    m_bcc = single.fld_bcc ? addressesOf(single.fld_bcc->bcc_addr_list) : CTCoreAddressSet();
    m_messageId = single.fld_message_id && single.fld_message_id->mid_value
                      ? QString::fromUtf8(single.fld_message_id->mid_value)
                      : QString();
    m_inReplyTo = single.fld_in_reply_to ? MailCoreStringArrayFromClist(single.fld_in_reply_to->mid_list) : QStringList();
    m_references = single.fld_references ? MailCoreStringArrayFromClist(single.fld_references->mid_list) : QStringList();
    m_subject.reset();
    if (single.fld_subject && single.fld_subject->sbj_value) {
        const QByteArray raw(single.fld_subject->sbj_value);
        m_subject = MailCoreDecodeMIMEPhrase(raw).value_or(QString::fromUtf8(raw));
    }
    m_senderDate.reset();
    m_dateTime.reset();
    m_senderTimeZone = 0;
    if (single.fld_orig_date && single.fld_orig_date->dt_date_time) {
        const struct mailimf_date_time *d = single.fld_orig_date->dt_date_time;
        m_dateTime = *d;
        m_senderTimeZone = zoneSeconds(d->dt_zone);
        const QDate date(d->dt_year, d->dt_month, d->dt_day);
        const QTime time(d->dt_hour, d->dt_min, d->dt_sec);
        const QDateTime when(date, time, Qt::OffsetFromUTC, m_senderTimeZone);
        if (when.isValid())
            m_senderDate = when;
    }
}

std::optional<QString> CTCoreMessage::textOfType(const char *type)
{
    if ((!m_mime || !m_hasFields) && m_source && !fetchBodyStructure())
        return std::nullopt;
    QString text;
    std::function<bool(const std::shared_ptr<CTMIME> &)> collect = [&](const std::shared_ptr<CTMIME> &node) {
        if (const auto message = std::dynamic_pointer_cast<CTMIME_MessagePart>(node))
            return !message->content() || collect(message->content());
        if (const auto multi = std::dynamic_pointer_cast<CTMIME_MultiPart>(node)) {
            for (const auto &part : multi->content())
                if (!collect(part))
                    return false;
            return true;
        }
        const auto part = std::dynamic_pointer_cast<CTMIME_TextPart>(node);
        if (!part || !part->contentType().toLower().contains(QLatin1String(type)) || isAttachedFile(*part))
            return true;
        if (!part->fetchPart()) {
            m_lastError = part->lastError();
            return false;
        }
        text += part->content();
        return true;
    };
    if (m_mime && !collect(m_mime))
        return std::nullopt;
    return text;
}

std::optional<QString> CTCoreMessage::body()
{
    return textOfType("text/plain");
}

std::optional<QString> CTCoreMessage::htmlBody()
{
    return textOfType("text/html");
}

std::optional<QString> CTCoreMessage::bodyPreferringPlainText(bool *isHTML)
{
    const auto plain = body();
    if (plain && !plain->isEmpty()) {
        if (isHTML)
            *isHTML = false;
        return plain;
    }
    if (isHTML)
        *isHTML = true;
    return htmlBody();
}

bool CTCoreMessage::hasHtmlBody() const
{
    std::function<bool(const std::shared_ptr<CTMIME> &)> has = [&](const std::shared_ptr<CTMIME> &node) {
        if (const auto message = std::dynamic_pointer_cast<CTMIME_MessagePart>(node))
            return message->content() && has(message->content());
        if (std::dynamic_pointer_cast<CTMIME_MultiPart>(node))
            return true;
        const auto text = std::dynamic_pointer_cast<CTMIME_TextPart>(node);
        return text && text->contentType().toLower().contains(QLatin1String("text/html"));
    };
    return m_mime && has(m_mime);
}

QList<CTBareAttachment> CTCoreMessage::attachments() const
{
    QList<CTBareAttachment> out;
    if (!m_mime)
        return out;
    for (const auto &node : m_mime->mimeEnumerator().allObjects())
        if (const auto part = std::dynamic_pointer_cast<CTMIME_SinglePart>(node); part && part->attached())
            out.append(CTBareAttachment(part));
    return out;
}

bool CTCoreMessage::isFlagSet(unsigned flag, bool defaultValue) const
{
    const mailmessage *message = messageStruct();
    if (!message || !message->msg_flags)
        return defaultValue;
    return (message->msg_flags->fl_flags & flag) != 0;
}

bool CTCoreMessage::isUnread() const
{
    return !isFlagSet(MAIL_FLAG_SEEN, true);
}

bool CTCoreMessage::isDeleted() const
{
    return isFlagSet(MAIL_FLAG_DELETED, false);
}

bool CTCoreMessage::isStarred() const
{
    return isFlagSet(MAIL_FLAG_FLAGGED, false);
}

bool CTCoreMessage::isNew() const
{
    return isFlagSet(MAIL_FLAG_NEW, false) && !isFlagSet(MAIL_FLAG_SEEN, true);
}

unsigned CTCoreMessage::flags() const
{
    const mailmessage *message = messageStruct();
    return message && message->msg_flags ? message->msg_flags->fl_flags : 0;
}

QStringList CTCoreMessage::extionsionFlags() const
{
    const mailmessage *message = messageStruct();
    return message && message->msg_flags ? MailCoreStringArrayFromClist(message->msg_flags->fl_extension) : QStringList();
}

unsigned CTCoreMessage::uid() const
{
    const mailmessage *message = messageStruct();
    if (!message || !message->msg_uid)
        return 0;
    const QList<QByteArray> parts = QByteArray(message->msg_uid).split('-');
    return parts.size() > 1 ? parts[1].toUInt() : 0;
}

size_t CTCoreMessage::messageSize() const
{
    const mailmessage *message = messageStruct();
    return message ? message->msg_size : 0;
}

std::optional<QByteArray> CTCoreMessage::rfc822()
{
    fail(MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_BAD_STATE));
    return std::nullopt;
}

std::optional<QByteArray> CTCoreMessage::rfc822Header()
{
    fail(MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_BAD_STATE));
    return std::nullopt;
}

mailimap *CTCoreMessage::imapSession()
{
    fail(MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_BAD_STATE));
    return nullptr;
}

std::optional<QByteArray> CTCoreMessage::messageAsEmlx()
{
    if (!m_source || m_source->source().isEmpty())
        return rfc822();
    QByteArray text = m_source->source();
    text.replace("\r\n", "\n");
    unsigned emlxFlags = 0;
    const unsigned own = flags();
    if (own & MAIL_FLAG_SEEN)
        emlxFlags += 1;
    if (own & MAIL_FLAG_ANSWERED)
        emlxFlags += 4;
    if (own & MAIL_FLAG_FLAGGED)
        emlxFlags += 16;
    if (own & MAIL_FLAG_FORWARDED)
        emlxFlags += 256;
    QVariantMap plist;
    plist.insert(QStringLiteral("date-sent"), m_senderDate ? double(m_senderDate->toSecsSinceEpoch()) : 0.0);
    plist.insert(QStringLiteral("flags"), qlonglong(emlxFlags));
    plist.insert(QStringLiteral("subject"), m_subject.value_or(QString()));
    return QString::asprintf("%-10d\n", int(text.size())).toLatin1() + text + PropertyList::toXml(plist);
}

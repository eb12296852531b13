#include "feedback/CTMIME_SinglePart.h"

#include "feedback/CTMessageStruct.h"
#include "feedback/MailCoreUtilities.h"

#include <libetpan/libetpan.h>

#include <cstring>

std::shared_ptr<CTMIME_SinglePart> CTMIME_SinglePart::mimeSinglePartWithData(const QByteArray &data)
{
    return std::make_shared<CTMIME_SinglePart>(data);
}

namespace {

// Documents a reader opens from the mail as attachments even when the sender did not mark them.
bool hasDocumentExtension(const QString &filename)
{
    static const char *const kExtensions[] = {".xls", ".xlsx", ".key.zip", ".numbers.zip", ".pages.zip", ".pdf", ".ppt",
                                              ".doc", ".docx", ".rtf", ".rtfd.zip", ".key", ".numbers", ".pages",
                                              ".png", ".gif", ".jpg", ".jpeg", ".tiff"};
    const QString lower = filename.toLower();
    for (const char *extension : kExtensions)
        if (lower.endsWith(QLatin1String(extension)))
            return true;
    return false;
}

QString fromUtf8OrEmpty(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

}

CTMIME_SinglePart::CTMIME_SinglePart(const QByteArray &data) : m_data(data), m_mimeFields(nullptr, mailmime_single_fields_free)
{
    m_contentType = QStringLiteral("application/octet-stream");
}

CTMIME_SinglePart::~CTMIME_SinglePart() = default;

bool CTMIME_SinglePart::initWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message)
{
    if (!mime || !CTMIME::initWithMIMEStruct(mime, message))
        return false;
    m_mime = mime;
    m_message = std::move(message);
    m_data.clear();
    m_fetched = false;
    m_mimeFields.reset(mailmime_single_fields_new(mime->mm_mime_fields, mime->mm_content_type));
    if (!m_mimeFields)
        return false;
    const struct mailmime_single_fields *fields = m_mimeFields.get();
    m_contentId = fromUtf8OrEmpty(fields->fld_id);
    const struct mailmime_disposition *disposition = fields->fld_disposition;
    const int dispositionType = disposition && disposition->dsp_type ? disposition->dsp_type->dsp_type
                                                                     : MAILMIME_DISPOSITION_TYPE_ERROR;
    m_attached = dispositionType == MAILMIME_DISPOSITION_TYPE_INLINE
                 || dispositionType == MAILMIME_DISPOSITION_TYPE_ATTACHMENT;
    m_filename = fromUtf8OrEmpty(fields->fld_disposition_filename);
    if (m_filename.isEmpty() && m_attached)
        m_filename = fromUtf8OrEmpty(fields->fld_content_name);
    if (m_filename.isEmpty())
        m_filename = fromUtf8OrEmpty(fields->fld_location);
    if (hasDocumentExtension(m_filename))
        m_attached = true;
    return true;
}

bool CTMIME_SinglePart::fetchPart()
{
    return fetchPartWithProgress({});
}

bool CTMIME_SinglePart::fetchPartWithProgress(const Progress &progress)
{
    if (m_fetched)
        return true;
    if (!m_message || !m_message->message() || !m_mime) {
        m_lastError = MailCoreCreateErrorFromIMAPCode(MAILIMAP_ERROR_BAD_STATE);
        return false;
    }
    const int encoding = m_mimeFields && m_mimeFields->fld_encoding ? m_mimeFields->fld_encoding->enc_type
                                                                    : MAILMIME_MECHANISM_8BIT;
    char *raw = nullptr;
    size_t rawLength = 0;
    const int fetched = mailmessage_fetch_section(m_message->message(), m_mime, &raw, &rawLength);
    if (fetched != MAIL_NO_ERROR) {
        m_lastError = MailCoreCreateErrorFromIMAPCode(fetched);
        return false;
    }
    size_t index = 0;
    char *decoded = nullptr;
    size_t decodedLength = 0;
    const int parsed = mailmime_part_parse(raw, rawLength, &index, encoding, &decoded, &decodedLength);
    mailmessage_fetch_result_free(m_message->message(), raw);
    if (parsed != MAILIMF_NO_ERROR) {
        m_lastError = MailCoreCreateError(parsed, QStringLiteral("Error parsing the message"));
        return false;
    }
    m_data = QByteArray(decoded, qsizetype(decodedLength));
    if (decoded)
        mmap_string_unref(decoded);
    m_fetched = true;
    m_lastError.reset();
    if (progress)
        progress(rawLength, rawLength);
    return true;
}

size_t CTMIME_SinglePart::size() const
{
    if (m_fetched || !m_mime)
        return size_t(m_data.size());
    return m_mime->mm_length;
}

void CTMIME_SinglePart::setData(const QByteArray &data)
{
    m_data = data;
    m_fetched = true;
}

struct mailmime *CTMIME_SinglePart::buildMIMEStruct() const
{
    struct mailmime_fields *fields = nullptr;
    if (!m_filename.isEmpty()) {
        // A name outside printable ASCII (or with line breaks) travels encoded; quotes and
        // backslashes would end or escape the quoted parameter.
        QByteArray name = MailCoreEncodeMIMEPhrase(m_filename);
        name.replace('"', '_').replace('\\', '_');
        fields = mailmime_fields_new_filename(MAILMIME_DISPOSITION_TYPE_ATTACHMENT, strdup(name.constData()),
                                              MAILMIME_MECHANISM_BASE64);
    } else {
        fields = mailmime_fields_new_encoding(MAILMIME_MECHANISM_BASE64);
    }
    const QByteArray type = (m_contentType.isEmpty() ? QStringLiteral("application/octet-stream") : m_contentType).toUtf8();
    struct mailmime_content *content = mailmime_content_new_with_str(type.constData());
    if (!content) {
        mailmime_fields_free(fields);
        content = mailmime_content_new_with_str("application/octet-stream");
        fields = mailmime_fields_new_encoding(MAILMIME_MECHANISM_BASE64);
    }
    struct mailmime *mime = mailmime_new_empty(content, fields);
    if (!mime)
        return nullptr;
    mailmime_set_body_text(mime, const_cast<char *>(m_data.constData()), size_t(m_data.size()));
    return mime;
}

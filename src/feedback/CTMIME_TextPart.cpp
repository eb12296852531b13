#include "feedback/CTMIME_TextPart.h"

#include <libetpan/libetpan.h>

#include <cstring>

std::shared_ptr<CTMIME_TextPart> CTMIME_TextPart::mimeTextPartWithString(const QString &text)
{
    return std::make_shared<CTMIME_TextPart>(text);
}

CTMIME_TextPart::CTMIME_TextPart(const QString &text) : CTMIME_SinglePart(text.toUtf8())
{
    m_contentType = QStringLiteral("text/plain");
}

QString CTMIME_TextPart::content() const
{
    if (!m_mimeFields)
        return QString::fromUtf8(m_data);
    const char *charset = m_mimeFields->fld_content_charset ? m_mimeFields->fld_content_charset : "UTF-8";
    char *converted = nullptr;
    size_t length = 0;
    if (charconv_buffer("UTF-8", charset, m_data.constData(), size_t(m_data.size()), &converted, &length)
        != MAIL_CHARCONV_NO_ERROR)
        return QString();
    const QString text = QString::fromUtf8(converted, qsizetype(length));
    charconv_buffer_free(converted);
    return text;
}

struct mailmime *CTMIME_TextPart::buildMIMEStruct() const
{
    return buildTextStruct("text/plain", false);
}

struct mailmime *CTMIME_TextPart::buildTextStruct(const char *type, bool inlineDisposition) const
{
    struct mailmime_mechanism *encoding = mailmime_mechanism_new(MAILMIME_MECHANISM_QUOTED_PRINTABLE, nullptr);
    struct mailmime_disposition *disposition = nullptr;
    if (inlineDisposition)
        disposition = mailmime_disposition_new_with_data(MAILMIME_DISPOSITION_TYPE_INLINE, nullptr, nullptr, nullptr,
                                                         nullptr, size_t(-1));
    struct mailmime_fields *fields =
        mailmime_fields_new_with_data(encoding, nullptr, nullptr, disposition, nullptr);
    struct mailmime_content *content = mailmime_content_new_with_str(type);
    struct mailmime_parameter *charset = mailmime_param_new_with_data(const_cast<char *>("charset"),
                                                                      const_cast<char *>("UTF-8"));
    clist_append(content->ct_parameters, charset);
    struct mailmime *mime = mailmime_new_empty(content, fields);
    if (!mime)
        return nullptr;
    mailmime_set_body_text(mime, const_cast<char *>(m_data.constData()), size_t(m_data.size()));
    return mime;
}

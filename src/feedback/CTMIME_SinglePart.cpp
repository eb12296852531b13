#include "feedback/CTMIME_SinglePart.h"

#include "feedback/MailCoreUtilities.h"

#include <libetpan/libetpan.h>

#include <cstring>

std::shared_ptr<CTMIME_SinglePart> CTMIME_SinglePart::mimeSinglePartWithData(const QByteArray &data)
{
    return std::make_shared<CTMIME_SinglePart>(data);
}

CTMIME_SinglePart::CTMIME_SinglePart(const QByteArray &data) : m_data(data)
{
    m_contentType = QStringLiteral("application/octet-stream");
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

#include "feedback/CTMIME_MessagePart.h"

#include "feedback/CTMIMEFactory.h"

#include <libetpan/libetpan.h>

std::shared_ptr<CTMIME_MessagePart> CTMIME_MessagePart::mimeMessagePartWithContent(std::shared_ptr<CTMIME> content)
{
    return std::make_shared<CTMIME_MessagePart>(std::move(content));
}

CTMIME_MessagePart::CTMIME_MessagePart(std::shared_ptr<CTMIME> content) : m_content(std::move(content))
{
    m_contentType = QStringLiteral("message/rfc822");
}

bool CTMIME_MessagePart::initWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message)
{
    if (!mime || mime->mm_type != MAILMIME_MESSAGE || !CTMIME::initWithMIMEStruct(mime, message))
        return false;
    m_content = CTMIMEFactory::createMIMEWithMIMEStruct(mime->mm_data.mm_message.mm_msg_mime, message);
    m_fields = mime->mm_data.mm_message.mm_fields;
    m_message = std::move(message);
    return true;
}

struct mailmime *CTMIME_MessagePart::buildMIMEStruct() const
{
    struct mailmime *mime = mailmime_new_message_data(nullptr);
    if (!mime)
        return nullptr;
    if (m_content) {
        struct mailmime *sub = m_content->buildMIMEStruct();
        if (!sub || mailmime_add_part(mime, sub) != MAILIMF_NO_ERROR) {
            if (sub)
                mailmime_free(sub);
            mailmime_free(mime);
            return nullptr;
        }
    }
    if (m_fields)
        mailmime_set_imf_fields(mime, m_fields);
    return mime;
}

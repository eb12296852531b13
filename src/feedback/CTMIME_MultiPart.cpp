#include "feedback/CTMIME_MultiPart.h"

#include "feedback/CTMIMEFactory.h"

#include <libetpan/libetpan.h>

std::shared_ptr<CTMIME_MultiPart> CTMIME_MultiPart::mimeMultiPart()
{
    return std::make_shared<CTMIME_MultiPart>();
}

CTMIME_MultiPart::CTMIME_MultiPart()
{
    m_contentType = QStringLiteral("multipart/mixed");
}

bool CTMIME_MultiPart::initWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message)
{
    if (!mime || mime->mm_type != MAILMIME_MULTIPLE || !CTMIME::initWithMIMEStruct(mime, message))
        return false;
    m_contentList.clear();
    for (clistiter *it = clist_begin(mime->mm_data.mm_multipart.mm_mp_list); it; it = clist_next(it))
        addMIMEPart(CTMIMEFactory::createMIMEWithMIMEStruct(static_cast<struct mailmime *>(clist_content(it)), message));
    return true;
}

void CTMIME_MultiPart::addMIMEPart(std::shared_ptr<CTMIME> part)
{
    if (part)
        m_contentList.append(std::move(part));
}

void CTMIME_MultiPart::insertMIMEPart(qsizetype index, std::shared_ptr<CTMIME> part)
{
    if (part)
        m_contentList.insert(qBound(qsizetype(0), index, m_contentList.size()), std::move(part));
}

void CTMIME_MultiPart::replaceMIMEPart(qsizetype index, std::shared_ptr<CTMIME> part)
{
    if (part && index >= 0 && index < m_contentList.size())
        m_contentList[index] = std::move(part);
}

struct mailmime *CTMIME_MultiPart::buildMIMEStruct() const
{
    struct mailmime *mime = mailmime_multiple_new(m_contentType.toUtf8().constData());
    if (!mime)
        return nullptr;
    for (const auto &part : m_contentList) {
        struct mailmime *sub = part->buildMIMEStruct();
        if (!sub || mailmime_add_part(mime, sub) != MAILIMF_NO_ERROR) {
            if (sub)
                mailmime_free(sub);
            mailmime_free(mime);
            return nullptr;
        }
    }
    return mime;
}

#include "feedback/CTMIME_MultiPart.h"

#include <libetpan/libetpan.h>

std::shared_ptr<CTMIME_MultiPart> CTMIME_MultiPart::mimeMultiPart()
{
    return std::make_shared<CTMIME_MultiPart>();
}

CTMIME_MultiPart::CTMIME_MultiPart()
{
    m_contentType = QStringLiteral("multipart/mixed");
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

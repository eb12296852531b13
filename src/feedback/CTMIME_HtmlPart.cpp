#include "feedback/CTMIME_HtmlPart.h"

std::shared_ptr<CTMIME_HtmlPart> CTMIME_HtmlPart::mimeTextPartWithString(const QString &html)
{
    return std::make_shared<CTMIME_HtmlPart>(html);
}

CTMIME_HtmlPart::CTMIME_HtmlPart(const QString &html) : CTMIME_TextPart(html)
{
    m_contentType = QStringLiteral("text/html");
}

struct mailmime *CTMIME_HtmlPart::buildMIMEStruct() const
{
    return buildTextStruct("text/html", true);
}

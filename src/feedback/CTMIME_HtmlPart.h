#pragma once

#include "feedback/CTMIME_TextPart.h"

// HTML text, written quoted-printable as UTF-8 with an inline disposition.
class CTMIME_HtmlPart : public CTMIME_TextPart
{
public:
    static std::shared_ptr<CTMIME_HtmlPart> mimeTextPartWithString(const QString &html);
    explicit CTMIME_HtmlPart(const QString &html = {});

    struct mailmime *buildMIMEStruct() const override;
};

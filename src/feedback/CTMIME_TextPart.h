#pragma once

#include "feedback/CTMIME_SinglePart.h"

// Plain text, written quoted-printable as UTF-8.
class CTMIME_TextPart : public CTMIME_SinglePart
{
public:
    static std::shared_ptr<CTMIME_TextPart> mimeTextPartWithString(const QString &text);
    explicit CTMIME_TextPart(const QString &text = {});

    // The text: a part read from a message converts its bytes from its charset (UTF-8 when it
    // names none) and gives "" when they cannot be converted.
    QString content() const;
    void setString(const QString &text) { setData(text.toUtf8()); }

    struct mailmime *buildMIMEStruct() const override;

protected:
    // The struct of a UTF-8 text part of the given type, with these disposition fields.
    struct mailmime *buildTextStruct(const char *type, bool inlineDisposition) const;
};

#pragma once

#include "feedback/CTMIME_SinglePart.h"

// Plain text, written quoted-printable as UTF-8.
class CTMIME_TextPart : public CTMIME_SinglePart
{
public:
    static std::shared_ptr<CTMIME_TextPart> mimeTextPartWithString(const QString &text);
    explicit CTMIME_TextPart(const QString &text = {});

    QString content() const { return QString::fromUtf8(m_data); }
    void setString(const QString &text) { setData(text.toUtf8()); }

    struct mailmime *buildMIMEStruct() const override;

protected:
    // The struct of a UTF-8 text part of the given type, with these disposition fields.
    struct mailmime *buildTextStruct(const char *type, bool inlineDisposition) const;
};

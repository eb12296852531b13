#pragma once

#include "feedback/CTMIME.h"

struct mailimf_fields;

// The message node: one content, and the header fields it is written with (borrowed from
// the message for the time of one rendering).
class CTMIME_MessagePart : public CTMIME
{
public:
    static std::shared_ptr<CTMIME_MessagePart> mimeMessagePartWithContent(std::shared_ptr<CTMIME> content);
    explicit CTMIME_MessagePart(std::shared_ptr<CTMIME> content = nullptr);

    // The content the factory makes of the inner structure, and the structure's header fields.
    bool initWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message) override;

    std::shared_ptr<CTMIME> content() const { return m_content; }
    void setContent(std::shared_ptr<CTMIME> content) { m_content = std::move(content); }
    // Not owned: the caller keeps the fields alive while it renders and frees them after.
    void setIMFFields(struct mailimf_fields *fields) { m_fields = fields; }
    struct mailimf_fields *imfFields() const { return m_fields; }

    struct mailmime *buildMIMEStruct() const override;

private:
    std::shared_ptr<CTMIME> m_content;
    struct mailimf_fields *m_fields = nullptr;
    // The read message the fields belong to, kept alive with them.
    std::shared_ptr<CTMessageStruct> m_message;
};

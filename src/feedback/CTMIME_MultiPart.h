#pragma once

#include "feedback/CTMIME.h"

#include <QList>

// A list of parts under one boundary; "multipart/mixed" unless told otherwise.
class CTMIME_MultiPart : public CTMIME
{
public:
    static std::shared_ptr<CTMIME_MultiPart> mimeMultiPart();
    CTMIME_MultiPart();

    // The parts the factory makes of each sub-structure, in order; those it cannot make are left out.
    bool initWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message) override;

    void addMIMEPart(std::shared_ptr<CTMIME> part);
    void insertMIMEPart(qsizetype index, std::shared_ptr<CTMIME> part);
    void replaceMIMEPart(qsizetype index, std::shared_ptr<CTMIME> part);
    QList<std::shared_ptr<CTMIME>> content() const { return m_contentList; }

    struct mailmime *buildMIMEStruct() const override;

private:
    QList<std::shared_ptr<CTMIME>> m_contentList;
};

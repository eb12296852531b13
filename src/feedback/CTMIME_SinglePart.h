#pragma once

#include "feedback/CTMIME.h"

// A leaf holding bytes: an attachment (base64, disposition "attachment" when it has a file
// name) or, through its subclasses, text.
class CTMIME_SinglePart : public CTMIME
{
public:
    static std::shared_ptr<CTMIME_SinglePart> mimeSinglePartWithData(const QByteArray &data);
    explicit CTMIME_SinglePart(const QByteArray &data = {});

    QByteArray data() const { return m_data; }
    void setData(const QByteArray &data);
    bool attached() const { return m_attached; }
    void setAttached(bool attached) { m_attached = attached; }
    bool fetched() const { return m_fetched; }
    QString filename() const { return m_filename; }
    void setFilename(const QString &filename) { m_filename = filename; }
    QString contentId() const { return m_contentId; }
    void setContentId(const QString &contentId) { m_contentId = contentId; }

    struct mailmime *buildMIMEStruct() const override;

protected:
    QByteArray m_data;
    bool m_attached = false;
    bool m_fetched = true;
    QString m_filename;
    QString m_contentId;
};

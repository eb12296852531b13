#pragma once

#include <QString>

#include <memory>

class CTMIME_SinglePart;

// What is known of an attachment without its bytes: its part, file name and content type.
class CTBareAttachment
{
public:
    CTBareAttachment() = default;
    CTBareAttachment(const QString &filename, const QString &contentType);
    virtual ~CTBareAttachment();

    std::shared_ptr<CTMIME_SinglePart> part() const { return m_part; }
    QString filename() const { return m_filename; }
    void setFilename(const QString &filename) { m_filename = filename; }
    QString contentType() const { return m_contentType; }
    void setContentType(const QString &contentType) { m_contentType = contentType; }

    // "ContentType: <type>\tFilename: <name>".
    QString description() const;

protected:
    std::shared_ptr<CTMIME_SinglePart> m_part;
    QString m_filename;
    QString m_contentType;
};

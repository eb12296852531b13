#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class CTCoreAttachment;
class CTMIME_SinglePart;

// What is known of an attachment without its bytes: its part, file name and content type.
class CTBareAttachment
{
public:
    CTBareAttachment() = default;
    CTBareAttachment(const QString &filename, const QString &contentType);
    // The part's file name and content type; the bytes stay in the part until fetched.
    explicit CTBareAttachment(std::shared_ptr<CTMIME_SinglePart> part);
    static CTBareAttachment initWithMIMESinglePart(std::shared_ptr<CTMIME_SinglePart> part)
    {
        return CTBareAttachment(std::move(part));
    }
    virtual ~CTBareAttachment();

    std::shared_ptr<CTMIME_SinglePart> part() const { return m_part; }
    QString filename() const { return m_filename; }
    void setFilename(const QString &filename) { m_filename = filename; }
    QString contentType() const { return m_contentType; }
    void setContentType(const QString &contentType) { m_contentType = contentType; }

    // The file name with its MIME encoded words decoded; the name as it stands when it
    // cannot be decoded.
    QString decodedFilename() const;
    // The attachment with its part's bytes fetched; none (the part's lastError says why) when
    // they cannot be fetched or there is no part.
    std::optional<CTCoreAttachment> fetchFullAttachment() const;
    std::optional<CTCoreAttachment> fetchFullAttachmentWithProgress(const std::function<void(size_t, size_t)> &progress) const;

    // "ContentType: <type>\tFilename: <name>".
    QString description() const;

protected:
    std::shared_ptr<CTMIME_SinglePart> m_part;
    QString m_filename;
    QString m_contentType;
};

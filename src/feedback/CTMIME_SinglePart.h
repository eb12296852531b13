#pragma once

#include "feedback/CTMIME.h"
#include "feedback/MailCoreError.h"

#include <functional>
#include <optional>

struct mailmime_single_fields;

// A leaf holding bytes: an attachment (base64, disposition "attachment" when it has a file
// name) or, through its subclasses, text. A leaf read from a message starts without its bytes
// and fetches and decodes them on demand.
class CTMIME_SinglePart : public CTMIME
{
public:
    // Current and total byte count of a fetch.
    using Progress = std::function<void(size_t current, size_t maximum)>;

    static std::shared_ptr<CTMIME_SinglePart> mimeSinglePartWithData(const QByteArray &data);
    explicit CTMIME_SinglePart(const QByteArray &data = {});
    ~CTMIME_SinglePart() override;

    // Keeps the structure and its message, unfetched: content id, file name and whether it
    // counts as an attachment come from the part's MIME fields.
    bool initWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message) override;

    QByteArray data() const { return m_data; }
    void setData(const QByteArray &data);
    bool attached() const { return m_attached; }
    void setAttached(bool attached) { m_attached = attached; }
    bool fetched() const { return m_fetched; }
    QString filename() const { return m_filename; }
    void setFilename(const QString &filename) { m_filename = filename; }
    QString contentId() const { return m_contentId; }
    void setContentId(const QString &contentId) { m_contentId = contentId; }

    // The part's bytes fetched from its message and decoded with its transfer encoding (8bit
    // when it names none). True at once when they are there; on failure lastError says why and
    // a later call tries again. progress hears the byte counts.
    bool fetchPart();
    bool fetchPartWithProgress(const Progress &progress);
    // The decoded bytes once fetched, else the encoded length the structure gives.
    size_t size() const;
    // The MIME fields of a part read from a message; none for a part built here.
    const struct mailmime_single_fields *mimeFields() const { return m_mimeFields.get(); }
    std::optional<MailCoreError> lastError() const { return m_lastError; }

    struct mailmime *buildMIMEStruct() const override;

protected:
    QByteArray m_data;
    bool m_attached = false;
    bool m_fetched = true;
    QString m_filename;
    QString m_contentId;
    struct mailmime *m_mime = nullptr;
    std::shared_ptr<CTMessageStruct> m_message;
    std::unique_ptr<struct mailmime_single_fields, void (*)(struct mailmime_single_fields *)> m_mimeFields;
    std::optional<MailCoreError> m_lastError;
};

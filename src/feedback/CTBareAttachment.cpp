#include "feedback/CTBareAttachment.h"

#include "feedback/CTCoreAttachment.h"
#include "feedback/CTMIME_SinglePart.h"
#include "feedback/MailCoreUtilities.h"

CTBareAttachment::CTBareAttachment(const QString &filename, const QString &contentType)
    : m_filename(filename), m_contentType(contentType)
{
}

CTBareAttachment::CTBareAttachment(std::shared_ptr<CTMIME_SinglePart> part) : m_part(std::move(part))
{
    if (m_part) {
        m_filename = m_part->filename();
        m_contentType = m_part->contentType();
    }
}

CTBareAttachment::~CTBareAttachment() = default;

QString CTBareAttachment::decodedFilename() const
{
    return MailCoreDecodeMIMEPhrase(m_filename.toUtf8()).value_or(m_filename);
}

std::optional<CTCoreAttachment> CTBareAttachment::fetchFullAttachment() const
{
    return fetchFullAttachmentWithProgress([](size_t, size_t) {});
}

std::optional<CTCoreAttachment> CTBareAttachment::fetchFullAttachmentWithProgress(
    const std::function<void(size_t, size_t)> &progress) const
{
    if (!m_part || !m_part->fetchPartWithProgress(progress))
        return std::nullopt;
    return CTCoreAttachment(m_part->data(), m_contentType, m_filename);
}

QString CTBareAttachment::description() const
{
    return QStringLiteral("ContentType: %1\tFilename: %2").arg(m_contentType, m_filename);
}

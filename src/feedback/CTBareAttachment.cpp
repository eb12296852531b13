#include "feedback/CTBareAttachment.h"

#include "feedback/CTMIME_SinglePart.h"

CTBareAttachment::CTBareAttachment(const QString &filename, const QString &contentType)
    : m_filename(filename), m_contentType(contentType)
{
}

CTBareAttachment::~CTBareAttachment() = default;

QString CTBareAttachment::description() const
{
    return QStringLiteral("ContentType: %1\tFilename: %2").arg(m_contentType, m_filename);
}

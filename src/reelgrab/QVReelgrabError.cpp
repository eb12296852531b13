#include "reelgrab/QVReelgrabError.h"

QVReelgrabError::QVReelgrabError(const QString &domain, qint64 code, const QString &description)
    : m_domain(domain), m_code(code), m_description(description)
{
}

QVReelgrabError QVReelgrabError::reelgrab(qint64 code, const QString &description)
{
    return QVReelgrabError(QString::fromLatin1(Domain), code, description);
}

QByteArray QVReelgrabError::archivedData() const { return KeyedArchiver::archivedDataWithRootObject(*this); }

QVReelgrabError QVReelgrabError::fromArchive(const QByteArray &data)
{
    QVReelgrabError e;
    if (!KeyedUnarchiver::unarchive(data, e))
        return {};
    return e;
}

void QVReelgrabError::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(QStringLiteral("NSDomain"), m_domain);
    coder.encodeInt64(QStringLiteral("NSCode"), m_code);
    if (!m_description.isEmpty())
        coder.encodeString(QStringLiteral("NSLocalizedDescription"), m_description);
}

void QVReelgrabError::initWithCoder(KeyedUnarchiver &coder)
{
    m_domain = coder.decodeString(QStringLiteral("NSDomain"));
    m_code = coder.decodeInt64(QStringLiteral("NSCode"));
    m_description = coder.decodeString(QStringLiteral("NSLocalizedDescription"));
}

#include "reelgrab/QVReelgrabError.h"

QVReelgrabError::QVReelgrabError(const QString &domain, qint64 code, const QString &description)
    : m_domain(domain), m_code(code), m_description(description)
{
}

QVReelgrabError QVReelgrabError::reelgrab(qint64 code, const QString &description)
{
    return QVReelgrabError(QString::fromLatin1(Domain), code, description);
}

QString QVReelgrabError::reason() const
{
    return m_description.isEmpty() ? sentenceFor(m_domain, m_code) : m_description;
}

QString QVReelgrabError::sentenceFor(const QString &domain, qint64 code)
{
    if (domain != QLatin1String(Domain))
        return domain.isEmpty() ? QString() : QStringLiteral("%1 error %2").arg(domain).arg(code);
    // Engine codes (libCorvidash's numbering) for an engine that gives no sentence of its own.
    switch (code) {
    case ProcessEndedUnexpectedly: return QStringLiteral("The download helper ended unexpectedly");
    case UnknownEngineEvent: return QStringLiteral("The download engine reported something unknown");
    case NoMediaFound: return QStringLiteral("No video found on this page");
    case OutputMissingOrTooSmall: return QStringLiteral("The downloaded media could not be made into a file");
    case 6:
    case 7:
    case 1004: return QStringLiteral("Could not connect to the server");
    case 9: return QStringLiteral("The server refused access");
    case 18: return QStringLiteral("The server sent less than it announced");
    case 26: return QStringLiteral("Disk full");
    case 28:
    case 1005: return QStringLiteral("No answer from the server in time");
    case 56: return QStringLiteral("No data from the server");
    case 1001:
    case 1003: return QStringLiteral("The address is not valid");
    case 1006: return QStringLiteral("The file could not be created");
    case 1007: return QStringLiteral("Live streams are not supported");
    case 2000: return QStringLiteral("Out of memory");
    default: return QStringLiteral("Download error %1").arg(code);
    }
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

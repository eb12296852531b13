#include "reelgrab/QVSniffingMediaSubtitle.h"

QString QVSniffingMediaSubtitle::fileExtension() const
{
    return fileExtensionForFormat(m_subtitleFormat);
}

QString QVSniffingMediaSubtitle::fileExtensionForFormat(qint64 subtitleFormat)
{
    if (subtitleFormat == 2)
        return QStringLiteral("ass"); // players look for ".ass", not ".aas"
    if (subtitleFormat == 1)
        return QStringLiteral("sub");
    return QStringLiteral("srt");
}

QStringList QVSniffingMediaSubtitle::knownFileExtensions()
{
    return {QStringLiteral("srt"), QStringLiteral("sub"), QStringLiteral("ass"), QStringLiteral("aas")};
}

bool QVSniffingMediaSubtitle::isSubtitleFileExtension(const QString &extension)
{
    return knownFileExtensions().contains(extension.toLower());
}

bool QVSniffingMediaSubtitle::operator==(const QVSniffingMediaSubtitle &o) const
{
    return m_subtitleType == o.m_subtitleType && m_subtitleFormat == o.m_subtitleFormat
        && m_language == o.m_language && m_langCode == o.m_langCode && m_asDefault == o.m_asDefault
        && m_content == o.m_content;
}

QString QVSniffingMediaSubtitle::archiveClassName() const
{
    return QStringLiteral("QVSniffingMediaSubtitle");
}

void QVSniffingMediaSubtitle::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeInt64(QStringLiteral("subtitle-type"), m_subtitleType);
    coder.encodeInt64(QStringLiteral("subtitle-format"), m_subtitleFormat);
    coder.encodeString(QStringLiteral("subtitle-language"), m_language);
    coder.encodeString(QStringLiteral("subtitle-langcode"), m_langCode);
    coder.encodeBool(QStringLiteral("subtitle-default"), m_asDefault);
    coder.encodeString(QStringLiteral("subtitle-content"), m_content);
}

void QVSniffingMediaSubtitle::initWithCoder(KeyedUnarchiver &coder)
{
    setSubtitleType(coder.decodeInt64(QStringLiteral("subtitle-type")));
    setSubtitleFormat(coder.decodeInt64(QStringLiteral("subtitle-format")));
    setLanguage(coder.decodeString(QStringLiteral("subtitle-language")));
    setLangCode(coder.decodeString(QStringLiteral("subtitle-langcode")));
    setAsDefault(coder.decodeBool(QStringLiteral("subtitle-default")));
    setContent(coder.decodeString(QStringLiteral("subtitle-content")));
}

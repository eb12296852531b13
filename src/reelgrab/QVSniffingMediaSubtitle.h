#pragma once

#include "platform/KeyedArchiver.h"

#include <QString>
#include <QStringList>

// One subtitle a page offers.
class QVSniffingMediaSubtitle : public KeyedArchivable
{
public:
    qint64 subtitleType() const { return m_subtitleType; }
    void setSubtitleType(qint64 v) { m_subtitleType = v; }
    // 1 "sub", 2 "ass" (Advanced SubStation), anything else "srt".
    qint64 subtitleFormat() const { return m_subtitleFormat; }
    void setSubtitleFormat(qint64 v) { m_subtitleFormat = v; }
    QString language() const { return m_language; }
    void setLanguage(const QString &v) { m_language = v; }
    QString langCode() const { return m_langCode; }
    void setLangCode(const QString &v) { m_langCode = v; }
    bool asDefault() const { return m_asDefault; }
    void setAsDefault(bool v) { m_asDefault = v; }
    QString content() const { return m_content; }
    void setContent(const QString &v) { m_content = v; }

    // File extension for subtitleFormat.
    QString fileExtension() const;
    static QString fileExtensionForFormat(qint64 subtitleFormat);
    // Extensions of subtitle files written beside a download; "aas" is what older builds
    // wrote for Advanced SubStation files.
    static QStringList knownFileExtensions();
    static bool isSubtitleFileExtension(const QString &extension);

    bool operator==(const QVSniffingMediaSubtitle &other) const;
    bool operator!=(const QVSniffingMediaSubtitle &other) const { return !(*this == other); }

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

private:
    qint64 m_subtitleType = 0;
    qint64 m_subtitleFormat = 0;
    QString m_language;
    QString m_langCode;
    bool m_asDefault = false;
    QString m_content;
};

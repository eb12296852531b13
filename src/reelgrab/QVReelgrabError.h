#pragma once

#include "platform/KeyedArchiver.h"

#include <QString>

// An error as it travels between the helper and the task: a domain, a code and an optional
// description ("archive of an error" in the message protocol).
class QVReelgrabError : public KeyedArchivable
{
public:
    static constexpr const char *Domain = "com.ReelgrabKit.Reelgrab";
    // Codes of the helper's own domain; any other code is the engine's.
    enum Code : qint64 {
        ProcessEndedUnexpectedly = 0,
        UnknownEngineEvent = 1,
        NoMediaFound = 3,
        OutputMissingOrTooSmall = 4,
    };

    QVReelgrabError() = default;
    QVReelgrabError(const QString &domain, qint64 code, const QString &description = QString());
    static QVReelgrabError reelgrab(qint64 code, const QString &description = QString());

    QString domain() const { return m_domain; }
    qint64 code() const { return m_code; }
    QString localizedDescription() const { return m_description; }
    // Why it failed, as a sentence for the user: the description when it has one (the engine's
    // "The server answered 404", "Could not connect to HOST" ...), else the sentence of its code.
    QString reason() const;
    static QString sentenceFor(const QString &domain, qint64 code);
    bool isNull() const { return m_domain.isEmpty(); }

    QByteArray archivedData() const;
    // Null error when the bytes are not an error archive.
    static QVReelgrabError fromArchive(const QByteArray &data);

    QString archiveClassName() const override { return QStringLiteral("NSError"); }
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

    bool operator==(const QVReelgrabError &other) const
    {
        return m_domain == other.m_domain && m_code == other.m_code && m_description == other.m_description;
    }

private:
    QString m_domain;
    qint64 m_code = 0;
    QString m_description;
};

#pragma once

#include <QList>
#include <QString>

// A dotted system version ("4.4.1", "10", "17.2"). Components compare as numbers, missing
// ones count as 0, so "10" is newer than "4.4.1" and "4.2" equals "4.2.0". Text after the
// leading digits of a component ("4.4W", "8.0-rc") is ignored.
class Version
{
public:
    Version() = default;
    static Version createFromString(const QString &text);

    // 1 when this version is newer than other, -1 when older, 0 when equal.
    int compare(const Version &other) const;
    QString toString() const { return m_text; }
    bool isEmpty() const { return m_parts.isEmpty(); }

private:
    QString m_text;
    QList<qint64> m_parts;
};

#pragma once

#include <QString>
#include <QTextCharFormat>

// A text with one set of attributes over its whole length: character format (font, colour,
// underline, link), alignment and how it is elided when too long. Labels and buttons take it
// as rich text or apply it to their own font and palette.
class AttributedString
{
public:
    AttributedString() = default;
    explicit AttributedString(const QString &text, const QTextCharFormat &format = {});

    bool isNull() const { return m_null; }
    bool isEmpty() const { return m_text.isEmpty(); }
    QString string() const { return m_text; }
    qsizetype length() const { return m_text.size(); }

    QTextCharFormat format() const { return m_format; }
    void setFormat(const QTextCharFormat &format) { m_format = format; }
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    Qt::TextElideMode elideMode() const { return m_elide; }
    void setElideMode(Qt::TextElideMode mode) { m_elide = mode; }

    // The text as HTML for rich-text labels, characters escaped.
    QString toHtml() const;

private:
    bool m_null = true;
    QString m_text;
    QTextCharFormat m_format;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    Qt::TextElideMode m_elide = Qt::ElideNone;
};

#include "shell/AttributedString.h"

#include <QStringList>

AttributedString::AttributedString(const QString &text, const QTextCharFormat &format)
    : m_null(false)
    , m_text(text)
    , m_format(format)
{
}

QString AttributedString::toHtml() const
{
    QStringList style;
    if (m_format.hasProperty(QTextFormat::ForegroundBrush))
        style << QStringLiteral("color:%1").arg(m_format.foreground().color().name(QColor::HexArgb));
    if (m_format.hasProperty(QTextFormat::FontFamilies) && !m_format.fontFamilies().toStringList().isEmpty())
        style << QStringLiteral("font-family:'%1'").arg(m_format.fontFamilies().toStringList().first().toHtmlEscaped());
    if (m_format.hasProperty(QTextFormat::FontPointSize))
        style << QStringLiteral("font-size:%1pt").arg(m_format.fontPointSize());
    if (m_format.hasProperty(QTextFormat::FontWeight) && m_format.fontWeight() >= QFont::Bold)
        style << QStringLiteral("font-weight:bold");
    if (m_format.fontUnderline())
        style << QStringLiteral("text-decoration:underline");
    QString body = m_text.toHtmlEscaped();
    if (m_format.isAnchor() && !m_format.anchorHref().isEmpty())
        body = QStringLiteral("<a href=\"%1\" style=\"%2\">%3</a>")
                   .arg(m_format.anchorHref().toHtmlEscaped(), style.join(QLatin1Char(';')), body);
    else if (!style.isEmpty())
        body = QStringLiteral("<span style=\"%1\">%2</span>").arg(style.join(QLatin1Char(';')), body);
    QString align = QStringLiteral("left");
    if (m_alignment & Qt::AlignHCenter)
        align = QStringLiteral("center");
    else if (m_alignment & Qt::AlignRight)
        align = QStringLiteral("right");
    else if (m_alignment & Qt::AlignJustify)
        align = QStringLiteral("justify");
    return QStringLiteral("<p align=\"%1\">%2</p>").arg(align, body);
}

#pragma once

#include <QString>

// Look of external subtitles. Colours are 0xRRGGBB; the stored "black" of the subtitle window
// is 1, which reads as black here too.
class QVSubtitleStyle
{
public:
    QString fontName() const { return m_fontName; }
    void setFontName(const QString &name) { m_fontName = name; }
    int fontSize() const { return m_fontSize; }
    void setFontSize(int size) { m_fontSize = size; }
    int textColor() const { return m_textColor; }
    void setTextColor(int rgb) { m_textColor = rgb; }
    int backColor() const { return m_backColor; }
    void setBackColor(int rgb) { m_backColor = rgb; }
    // A back colour below zero draws no box behind the text.
    bool hasBackColor() const { return m_backColor >= 0; }

    // "#RRGGBB" as the player's options take it; 1 is black.
    static QString colorOption(int rgb, int alpha = 255);

private:
    QString m_fontName = QStringLiteral("Arial Unicode MS");
    int m_fontSize = 28;
    int m_textColor = 0xFFFFFF;
    int m_backColor = -1;
};

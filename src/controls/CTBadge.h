#pragma once

#include <QColor>
#include <QFont>
#include <QGradientStops>
#include <QImage>
#include <QString>

// Count and text badges: a shaded lozenge in the badge colour with a label, made as pictures.
// Small badges are 23 points high, large ones 46. Labels over five characters become three and
// an ellipsis; values above 99999 show as "∞". Sizes of 0 or less throw std::invalid_argument.
class CTBadge
{
public:
    CTBadge();
    CTBadge(const QColor &badgeColor, const QColor &labelColor);
    static CTBadge systemBadge() { return CTBadge(); }
    static CTBadge badgeWithColor(const QColor &badgeColor, const QColor &labelColor)
    {
        return CTBadge(badgeColor, labelColor);
    }

    QColor badgeColor() const { return m_badgeColor; }
    void setBadgeColor(const QColor &c) { m_badgeColor = c; }
    QColor labelColor() const { return m_labelColor; }
    void setLabelColor(const QColor &c) { m_labelColor = c; }

    static constexpr qreal SmallSize = 23;
    static constexpr qreal LargeSize = 46;
    QImage smallBadgeForValue(quint32 value) const { return badgeOfSize(SmallSize, stringForValue(value)); }
    QImage smallBadgeForString(const QString &s) const { return badgeOfSize(SmallSize, s); }
    QImage largeBadgeForValue(quint32 value) const { return badgeOfSize(LargeSize, stringForValue(value)); }
    QImage largeBadgeForString(const QString &s) const { return badgeOfSize(LargeSize, s); }
    QImage badgeOfSize(qreal size, quint32 value) const { return badgeOfSize(size, stringForValue(value)); }
    // dpr 0: the screens' largest device-pixel ratio.
    QImage badgeOfSize(qreal size, const QString &text, qreal dpr = 0) const;

    static QString stringForValue(quint32 value);
    struct Label
    {
        QString text;
        QFont font;
        QColor color;
    };
    Label labelForString(const QString &text, unsigned fontSize) const;
    // The mask "CTBadge_<n>" for the label length, scaled to the size's height.
    static QImage badgeMaskOfSize(qreal size, int length);
    QGradientStops badgeGradient() const;

    // A clear 128 x 128 picture with a large badge at its top right corner, inset by dx, dy.
    QImage badgeOverlayImageForString(const QString &text, qreal dx, qreal dy) const;
    QImage badgeOverlayImageForValue(quint32 value, qreal dx, qreal dy) const
    {
        return badgeOverlayImageForString(stringForValue(value), dx, dy);
    }
    // Puts the overlay on the application's window icon.
    void badgeApplicationDockIconWithString(const QString &text, qreal dx, qreal dy) const;
    void badgeApplicationDockIconWithValue(quint32 value, qreal dx, qreal dy) const
    {
        badgeApplicationDockIconWithString(stringForValue(value), dx, dy);
    }

private:
    QColor m_badgeColor;
    QColor m_labelColor;
};

#pragma once

#include "controls/TargetAction.h"

#include <QColor>
#include <QLabel>

#include <optional>

// A text label that acts as a link: underlined text in the link colour, a hover colour, a hand
// cursor over the text, an action and an address opened on a single click. Clicks, hover and
// the hand cursor cover the active rectangle, which the restyling operations compute.
class QVUrlLabel : public QLabel
{
    Q_OBJECT
public:
    explicit QVUrlLabel(QWidget *parent = nullptr);

    QString url() const { return m_url; }
    void setUrl(const QString &url) { m_url = url; }
    void setClickURLAction(QObject *target, const char *method) { m_click = TargetAction(target, method); }
    bool enableClick() const { return m_enableClick; }
    void setEnableClick(bool on) { m_enableClick = on; }
    std::optional<QColor> normalForegroundColor() const { return m_normalColor; }
    void setNormalForegroundColor(const std::optional<QColor> &c);
    std::optional<QColor> moveOverForegroundColor() const { return m_moveOverColor; }
    void setMoveOverForegroundColor(const std::optional<QColor> &c) { m_moveOverColor = c; }

    void setStringValue(const QString &text);
    void resetAttributedString();
    void resetAttributedStringEx();
    void resetMoveOverAttributedString();
    void resetTrackingArea();

    QRectF textFrame() const { return m_textFrame; }
    QRectF trackingRect() const { return m_trackingRect; }
    QColor currentTextColor() const;
    bool isUnderlined() const { return font().underline(); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    qreal textWidth() const;
    void applyColor(const std::optional<QColor> &c);
    void mouseEntered();
    void mouseExited();
    void updateCursor(const QPointF &pos);

    QString m_url;
    TargetAction m_click;
    bool m_enableClick = true;
    std::optional<QColor> m_normalColor;
    std::optional<QColor> m_moveOverColor;
    QRectF m_textFrame;
    QRectF m_trackingRect;
    bool m_inside = false;
};

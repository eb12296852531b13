#pragma once

#include "controls/TargetAction.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>

// Two buttons in one frame: a left and a right half, each with its own icon, label and action.
// A press that sends an action locks the control until its owner unlocks it (setLockState(false)),
// so a long action cannot be started twice.
class TGTransferControl : public QWidget
{
    Q_OBJECT
public:
    explicit TGTransferControl(QWidget *parent = nullptr);

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &c);
    QColor hoverColor() const { return m_hoverColor; }
    void setHoverColor(const QColor &c);
    QColor downColor() const { return m_downColor; }
    void setDownColor(const QColor &c);
    QColor lineColor() const { return m_lineColor; }
    void setLineColor(const QColor &c);

    QString leftString() const { return m_leftString; }
    void setLeftString(const QString &s);
    QString rightString() const { return m_rightString; }
    void setRightString(const QString &s);

    // Icons per half: normal, hover, alter (pressed) and disable (kept, never drawn).
    QImage leftNormalIconImage() const { return m_leftNormal; }
    void setLeftNormalIconImage(const QImage &i) { m_leftNormal = i; update(); }
    QImage leftHoverIconImage() const { return m_leftHover; }
    void setLeftHoverIconImage(const QImage &i) { m_leftHover = i; update(); }
    QImage leftAlterIconImage() const { return m_leftAlter; }
    void setLeftAlterIconImage(const QImage &i) { m_leftAlter = i; update(); }
    QImage leftDisableIconImage() const { return m_leftDisable; }
    void setLeftDisableIconImage(const QImage &i) { m_leftDisable = i; }
    QImage rightNormalIconImage() const { return m_rightNormal; }
    void setRightNormalIconImage(const QImage &i) { m_rightNormal = i; update(); }
    QImage rightHoverIconImage() const { return m_rightHover; }
    void setRightHoverIconImage(const QImage &i) { m_rightHover = i; update(); }
    QImage rightAlterIconImage() const { return m_rightAlter; }
    void setRightAlterIconImage(const QImage &i) { m_rightAlter = i; update(); }
    QImage rightDisableIconImage() const { return m_rightDisable; }
    void setRightDisableIconImage(const QImage &i) { m_rightDisable = i; }

    // Targets are not owned; the method is called with the control as argument when it takes one.
    void setLeftAction(QObject *target, const char *method) { m_leftAction = TargetAction(target, method); }
    void setRightAction(QObject *target, const char *method) { m_rightAction = TargetAction(target, method); }
    const TargetAction &leftAction() const { return m_leftAction; }
    const TargetAction &rightAction() const { return m_rightAction; }

    bool lockState() const { return m_lockState; }
    // Unlocking also forgets hover and press, so the control returns to idle.
    void setLockState(bool locked);

    bool leftAreaMouseOver() const { return m_leftOver; }
    bool rightAreaMouseOver() const { return m_rightOver; }
    bool leftAreaMouseDown() const { return m_leftDown; }
    bool rightAreaMouseDown() const { return m_rightDown; }

    // Down colour while a half is pressed, hover colour while one is hovered, else invalid.
    QColor currentColor() const;
    QImage currentLeftIcon() const;
    QImage currentRightIcon() const;
    QRectF leftArea() const;
    QRectF rightArea() const;

    QSize sizeHint() const override { return QSize(300, 40); }

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void initDefaultValues();
    void resetState();
    bool ignoresMouse() const { return !isEnabled() || m_lockState; }
    void trackPoint(const QPointF &p);
    void drawHalf(QPainter &p, const QRectF &area, const QImage &icon, const QString &text, qreal extraX);

    QColor m_backgroundColor;
    QColor m_hoverColor;
    QColor m_downColor;
    QColor m_lineColor;
    QString m_leftString;
    QString m_rightString;
    QImage m_leftNormal, m_leftHover, m_leftAlter, m_leftDisable;
    QImage m_rightNormal, m_rightHover, m_rightAlter, m_rightDisable;
    TargetAction m_leftAction;
    TargetAction m_rightAction;
    bool m_lockState = false;
    bool m_leftOver = false;
    bool m_rightOver = false;
    bool m_leftDown = false;
    bool m_rightDown = false;
};

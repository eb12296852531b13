#pragma once

#include "controls/TargetAction.h"

#include <QAbstractButton>
#include <QImage>

// A split button: its right 30 points send the pop-up action to the pop-up target, the rest
// sends the button's own action (clicked()). It acts on mouse-down.
class MGPopupButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit MGPopupButton(QWidget *parent = nullptr);

    void initDefaultImages();
    void setPopTarget(QObject *target) { m_popTarget = target; }
    void setPopupAction(const char *method) { m_popupAction = method; }
    QImage iconImage() const { return m_icon; }
    void setIconImage(const QImage &i) { m_icon = i; update(); }
    QList<QImage> bgImages() const { return m_bgImages; }
    void setBgImages(const QList<QImage> &images) { m_bgImages = images; update(); }
    QList<QImage> currentBgImage() const;
    bool isHighlight() const { return m_isHighlight; }
    bool isPressed() const { return m_isPressed; }
    QRectF popupRect() const { return m_popupRect; }
    void changeTextColor(const QColor &c) { m_textColor = c; update(); }
    QSize sizeHint() const override;

signals:
    void popupClicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QPointer<QObject> m_popTarget;
    QByteArray m_popupAction;
    bool m_isHighlight = false;
    bool m_isPressed = false;
    QRectF m_popupRect;
    QImage m_icon;
    QList<QImage> m_bgImages;
    QColor m_textColor = Qt::white;
};

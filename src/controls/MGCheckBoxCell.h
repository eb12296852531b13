#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <optional>

class QPainter;
class QWidget;

// The cell of a drawn check box or radio button: one picture per look (normal, hover, pressed,
// disabled) and state (on 1, off 0, mixed -1). The pictures are only read, never changed.
class MGCheckBoxCell
{
public:
    MGCheckBoxCell();
    void initDefaultImages();

    QImage normalImageOnState, normalImageOffState, normalImageMixState;
    QImage alterImageOnState, alterImageOffState, alterImageMixState;
    QImage hoverImageOnState, hoverImageOffState, hoverImageMixState;
    QImage disableImageOnState, disableImageOffState, disableImageMixState;
    std::optional<QColor> backgroundColor;
    bool mouseOver = false;
    bool mouseDown = false;

    void setNormalImageOnState(const QImage &i) { normalImageOnState = i; }
    void setNormalImageOffState(const QImage &i) { normalImageOffState = i; }
    void setHoverImageOnState(const QImage &i) { hoverImageOnState = i; }
    void setHoverImageOffState(const QImage &i) { hoverImageOffState = i; }
    void setAlterImageOnState(const QImage &i) { alterImageOnState = i; }
    void setAlterImageOffState(const QImage &i) { alterImageOffState = i; }
    void setDisableImageOnState(const QImage &i) { disableImageOnState = i; }
    void setDisableImageOffState(const QImage &i) { disableImageOffState = i; }

    int state() const { return m_state; }
    void setState(int state) { m_state = state; }
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QWidget *controlView() const { return m_controlView; }
    void setControlView(QWidget *view) { m_controlView = view; }

    QImage currentImage(bool enabled) const;
    // frame in Qt coordinates of the control.
    void drawWithFrame(QPainter *p, const QRectF &frame, QWidget *view, const QColor &textColor);

private:
    int m_state = 0;
    QString m_title;
    QWidget *m_controlView = nullptr;
};

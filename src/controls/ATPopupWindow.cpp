#include "controls/ATPopupWindow.h"

#include "controls/PopoverGeometry.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

using namespace PopoverGeometry;

ATPopupWindow::ATPopupWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_content = new QWidget(this);
    m_content->setAutoFillBackground(true);
    m_animation = new QVariantAnimation(this);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        m_scale = v.toDouble();
        update();
    });
    connect(m_animation, &QVariantAnimation::finished, this, [this] { animationDidStop(true); });
}

ATPopupWindow::~ATPopupWindow() = default;

QRectF ATPopupWindow::snapshotRect() const
{
    if (!m_animating)
        return {};
    return upToQt(bounceRect(m_originalLayerFrame, m_scale), height());
}

void ATPopupWindow::popup()
{
    if (m_animating)
        animationDidStop(false);  // cut the old bounce short first
    if (isVisible())
        hide();
    if (m_content->geometry() != rect())
        m_content->setGeometry(rect());
    if (focusWidget())
        m_oldFirstResponder = focusWidget();
    m_pretendKeyForDrawing = true;
    m_snapshot = m_content->grab().toImage();
    m_pretendKeyForDrawing = false;

    m_originalWindowFrame = geometry();
    const QRectF grownUp = bounceWindow(qtToUp(QRectF(m_originalWindowFrame)));
    m_animating = true;
    m_content->hide();
    setGeometry(upToQt(grownUp).toRect());
    m_originalLayerFrame = QRectF(m_originalWindowFrame.width() / 2.0, m_originalWindowFrame.height() / 2.0,
                                  m_originalWindowFrame.width(), m_originalWindowFrame.height());
    m_scale = BounceStartScale;
    show();
    raise();
    activateWindow();
    m_growing = true;
    animateToScale(bouncePhases().at(0).scale, bouncePhases().at(0).seconds);
}

void ATPopupWindow::animateToScale(double scale, double seconds)
{
    m_animation->stop();
    m_animation->setStartValue(m_scale);
    m_animation->setEndValue(scale);
    m_animation->setDuration(int(seconds * 1000));
    m_animation->start();
}

void ATPopupWindow::animationDidStop(bool finished)
{
    if (!m_animating)
        return;
    if (!finished) {
        m_animation->stop();
        m_scale = 1.0;
        cleanupAndRestoreViews();
        return;
    }
    if (m_growing) {
        m_growing = false;
        m_shrinking = true;
        animateToScale(bouncePhases().at(1).scale, bouncePhases().at(1).seconds);
    } else if (m_shrinking) {
        m_shrinking = false;
        animateToScale(bouncePhases().at(2).scale, bouncePhases().at(2).seconds);
    } else {
        cleanupAndRestoreViews();
        emit bounceFinished();
    }
}

void ATPopupWindow::cleanupAndRestoreViews()
{
    // Flags first: the frame change below must not look like another bounce.
    const bool wasAnimating = m_animating;
    m_animating = false;
    m_growing = m_shrinking = false;
    if (!wasAnimating)
        return;
    setUpdatesEnabled(false);
    setGeometry(m_originalWindowFrame);
    m_content->setGeometry(rect());
    m_content->show();
    if (m_oldFirstResponder)
        m_oldFirstResponder->setFocus();
    m_snapshot = QImage();
    setUpdatesEnabled(true);
    update();
}

void ATPopupWindow::hideEvent(QHideEvent *e)
{
    // Hidden during the bounce: leave the window as it was before it.
    if (m_animating)
        animationDidStop(false);
    QWidget::hideEvent(e);
}

void ATPopupWindow::paintEvent(QPaintEvent *)
{
    if (!m_animating || m_snapshot.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = snapshotRect();
    // A soft shadow of half opacity, four points wide.
    for (int k = 4; k >= 1; --k) {
        QPainterPath shadow;
        shadow.addRoundedRect(r.adjusted(-k, -k + 2, k, k + 2), k + 2, k + 2);
        p.fillPath(shadow, QColor(0, 0, 0, int(0.5 * 255 / 8)));
    }
    p.drawImage(r, m_snapshot);
}

#include "controls/MAAttachedWindow.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

using namespace PopoverGeometry;

MAAttachedWindow *MAAttachedWindow::create(QWidget *view, const QPointF &point, QWidget *window, int side,
                                           qreal distance)
{
    if (!view)
        return nullptr;
    return new MAAttachedWindow(view, point, window, side, distance);
}

MAAttachedWindow::MAAttachedWindow(QWidget *view, const QPointF &point, QWidget *window, int side, qreal distance)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_view(view), m_window(window), m_point(point), m_side(side), m_distance(distance)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(view->size());
    if (m_side == AutomaticSide)
        m_side = bestSide(m_m, QSizeF(view->size()), anchorUp(), m_distance, screenRectUp(), parentRectUp());
    view->setParent(this);
    layoutGeometry();
    view->show();
    watchWindow(window);
}

MAAttachedWindow::~MAAttachedWindow() = default;

void MAAttachedWindow::watchWindow(QWidget *window)
{
    if (m_window && m_window->window())
        m_window->window()->removeEventFilter(this);
    m_window = window;
    if (window && window->window())
        window->window()->installEventFilter(this);
}

QPointF MAAttachedWindow::anchorUp() const
{
    const QPointF global = m_window ? QPointF(m_window->mapToGlobal(m_point)) : m_point;
    return qtToUp(global);
}

QRectF MAAttachedWindow::screenRectUp() const
{
    QScreen *screen = m_window ? m_window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? qtToUp(QRectF(screen->availableGeometry())) : QRectF();
}

QRectF MAAttachedWindow::parentRectUp() const
{
    if (m_window && m_window->window())
        return qtToUp(QRectF(m_window->window()->frameGeometry()));
    return screenRectUp();
}

void MAAttachedWindow::layoutGeometry()
{
    if (!m_view)
        return;
    const AttachedLayout l = attachedLayout(m_m, QSizeF(m_view->size()), anchorUp(), m_side, m_distance);
    m_viewFrame = l.viewFrame;
    setGeometry(upToQt(l.window).toRect());
    m_view->setGeometry(upToQt(l.viewFrame, l.window.height()).toRect());
}

void MAAttachedWindow::relayout()
{
    if (m_resizing)
        return;
    m_resizing = true;
    setUpdatesEnabled(false);
    layoutGeometry();
    setUpdatesEnabled(true);
    update();
    m_resizing = false;
}

void MAAttachedWindow::setBackgroundColor(const QColor &color)
{
    if (color == m_background && m_backgroundImage.isNull())
        return;
    m_background = color;
    m_backgroundImage = QImage();
    update();
}

void MAAttachedWindow::setBackgroundImage(const QImage &image)
{
    if (image.isNull())
        return;
    m_backgroundImage = image;
    update();
}

void MAAttachedWindow::setBorderColor(const QColor &color)
{
    if (color == m_borderColor)
        return;
    m_borderColor = color;
    update();
}

void MAAttachedWindow::setBorderWidth(qreal width)
{
    if (width == m_m.borderWidth)
        return;
    m_m.borderWidth = clampBorderWidth(width, m_m.viewMargin);
    update();
}

void MAAttachedWindow::setViewMargin(qreal margin)
{
    if (margin == m_m.viewMargin)
        return;
    m_m.viewMargin = clampViewMargin(margin);
    setCornerRadius(m_m.cornerRadius);
}

void MAAttachedWindow::setCornerRadius(qreal radius)
{
    m_m.cornerRadius = clampCornerRadius(radius, m_m.viewMargin, m_viewFrame.size(), m_m.arrowBaseWidth);
    setArrowBaseWidth(m_m.arrowBaseWidth);
}

void MAAttachedWindow::setArrowBaseWidth(qreal width)
{
    m_m.arrowBaseWidth = clampArrowBaseWidth(width, m_m.viewMargin, m_viewFrame.size(), m_m.cornerRadius,
                                             m_m.roundCornerBesideArrow);
    relayout();
}

void MAAttachedWindow::setArrowHeight(qreal height)
{
    if (height == m_m.arrowHeight)
        return;
    m_m.arrowHeight = height;
    relayout();
}

void MAAttachedWindow::setHasArrow(qreal on)
{
    if (on == hasArrow())
        return;
    m_m.hasArrow = int(on) != 0;
    update();  // the arrow's room stays reserved
}

void MAAttachedWindow::setDrawsRoundCornerBesideArrow(qreal on)
{
    if (on == drawsRoundCornerBesideArrow())
        return;
    m_m.roundCornerBesideArrow = int(on) != 0;
    relayout();
}

void MAAttachedWindow::setInWindow(QWidget *window)
{
    watchWindow(window);
}

void MAAttachedWindow::setTipView(QWidget *view)
{
    if (view == m_view)
        return;
    if (m_view) {
        m_view->hide();
        m_view->setParent(nullptr);
    }
    m_view = view;
    if (view) {
        view->setParent(this);
        view->show();
    }
}

void MAAttachedWindow::setPoint(const QPointF &point, int side)
{
    m_point = point;
    m_side = side;
    relayout();
}

void MAAttachedWindow::makeKeyAndOrderFront()
{
    show();
    raise();
    activateWindow();
}

void MAAttachedWindow::orderFront()
{
    show();
    raise();
}

void MAAttachedWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = QTransform(1, 0, 0, -1, 0, height()).map(bubbleOutline(m_m, m_viewFrame, m_side));
    p.setClipPath(outline);
    if (!m_backgroundImage.isNull())
        p.fillPath(outline, QBrush(m_backgroundImage));
    else
        p.fillPath(outline, m_background);
    if (m_m.borderWidth > 0) {
        // Twice the width: the clip keeps the inner half.
        QPen pen(m_borderColor, 2 * m_m.borderWidth);
        pen.setJoinStyle(Qt::RoundJoin);
        p.strokePath(outline, pen);
    }
}

void MAAttachedWindow::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        emit didResignKey();
        return;
    }
    QWidget::keyPressEvent(e);
}

void MAAttachedWindow::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::ActivationChange) {
        const bool active = isActiveWindow();
        if (m_wasActive && !active)
            emit didResignKey();
        m_wasActive = active;
    }
    QWidget::changeEvent(e);
}

bool MAAttachedWindow::eventFilter(QObject *watched, QEvent *e)
{
    if (m_window && watched == m_window->window() && (e->type() == QEvent::Move || e->type() == QEvent::Resize))
        relayout();
    return QWidget::eventFilter(watched, e);
}

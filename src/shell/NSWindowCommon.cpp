#include "shell/NSWindowCommon.h"

#include <QEvent>
#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

namespace NSWindowCommon {

namespace {

// Keeps a title strip as wide as its window.
class StripWidthKeeper : public QObject
{
public:
    StripWidthKeeper(QWidget *window, QWidget *strip)
        : QObject(strip)
        , m_window(window)
        , m_strip(strip)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Resize && m_strip)
            m_strip->resize(m_window->width(), m_strip->height());
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_strip;
};

} // namespace

void closeButtonHidden(QWidget *window, bool hidden) { standardWinBtnHidden(window, 0, hidden); }
void miniButtonHidden(QWidget *window, bool hidden) { standardWinBtnHidden(window, 1, hidden); }
void zoomButtonHidden(QWidget *window, bool hidden) { standardWinBtnHidden(window, 2, hidden); }

void standardWinBtnHidden(QWidget *window, int kind, bool hidden)
{
    if (!window)
        return;
    Qt::WindowType hint;
    switch (kind) {
    case 0:
        hint = Qt::WindowCloseButtonHint;
        break;
    case 1:
        hint = Qt::WindowMinimizeButtonHint;
        break;
    case 2:
        hint = Qt::WindowMaximizeButtonHint;
        break;
    default:
        return;
    }
    const bool visible = window->isVisible();
    Qt::WindowFlags flags = window->windowFlags();
    // Without CustomizeWindowHint the window manager keeps its default buttons.
    if (!flags.testFlag(Qt::CustomizeWindowHint)) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                 | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    }
    flags.setFlag(hint, !hidden);
    if (flags == window->windowFlags())
        return;
    window->setWindowFlags(flags);
    if (visible)
        window->show();  // setWindowFlags hides a visible window
}

int width(const QWidget *window) { return window ? window->frameGeometry().width() : 0; }
int height(const QWidget *window) { return window ? window->frameGeometry().height() : 0; }

void moveToWindowCenter(QWidget *window, const QWidget *other)
{
    if (!window)
        return;
    const QRect target = other ? other->frameGeometry() : QRect();
    const QRect frame = window->frameGeometry();
    window->move(target.x() + (target.width() - frame.width()) / 2,
                 target.y() + (target.height() - frame.height()) / 2);
}

void showInWinowCenter(QWidget *window, const QWidget *other)
{
    if (!window)
        return;
    moveToWindowCenter(window, other);
    window->show();
    window->raise();
    window->activateWindow();
}

QAbstractAnimation *shakeWindow(QWidget *window)
{
    if (!window)
        return nullptr;
    const QPoint origin = window->pos();
    const int offset = int(window->width() * 0.02);
    auto *animation = new QPropertyAnimation(window, "pos", window);
    animation->setDuration(50);
    animation->setLoopCount(6);
    animation->setKeyValueAt(0.0, origin);
    animation->setKeyValueAt(1.0 / 3, origin - QPoint(offset, 0));
    animation->setKeyValueAt(2.0 / 3, origin + QPoint(offset, 0));
    animation->setKeyValueAt(1.0, origin);
    QPointer<QWidget> guard(window);
    QObject::connect(animation, &QAbstractAnimation::finished, window, [guard, origin] {
        if (guard)
            guard->move(origin);
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

int heightOfTitleBar(const QWidget *window)
{
    if (!window)
        return 0;
    return window->contentsMargins().top();
}

void addViewToTitleBar(QWidget *window, QWidget *view, int xPosition)
{
    if (!window || !view)
        return;
    const int titleBar = heightOfTitleBar(window);
    if (titleBar < MinTitleBarHeight) {
        const int grow = MinTitleBarHeight - titleBar;
        QMargins margins = window->contentsMargins();
        margins.setTop(margins.top() + grow);
        window->resize(window->width(), window->height() + grow);
        window->setContentsMargins(margins);
    }
    addViewToTitleBarEX(window, view, xPosition, heightOfTitleBar(window));
}

void addViewToTitleBarEX(QWidget *window, QWidget *view, int xPosition, int height)
{
    if (!window || !view)
        return;
    Q_UNUSED(xPosition);  // the strip always starts at the window's left edge
    view->setParent(window);
    view->setGeometry(0, 0, window->width(), height);
    view->lower();
    view->show();
    new StripWidthKeeper(window, view);
}

void makeContentViewFillWindow(QWidget *window, bool fill)
{
    if (!window || !fill)
        return;
    window->setContentsMargins(0, 0, 0, 0);
}

} // namespace NSWindowCommon

#include "controls/SuggestionWindow.h"

#include <QApplication>
#include <QWindow>

SuggestionWindow::SuggestionWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

SuggestionWindow::~SuggestionWindow()
{
    if (m_inFakeMenu)
        qApp->removeEventFilter(this);
}

void SuggestionWindow::beginFakeMenu()
{
    if (!m_inFakeMenu) {
        m_inFakeMenu = true;
        qApp->installEventFilter(this);
    }
    show();
    raise();
    activateWindow();
}

void SuggestionWindow::endFakeMenu()
{
    if (m_inFakeMenu) {
        m_inFakeMenu = false;
        qApp->removeEventFilter(this);
    }
    close();
}

bool SuggestionWindow::isOwn(QObject *watched) const
{
    if (auto *w = qobject_cast<QWidget *>(watched))
        return w->window() == this;
    if (auto *win = qobject_cast<QWindow *>(watched))
        return win == windowHandle();
    return true;  // not a window thing: leave it alone
}

bool SuggestionWindow::eventFilter(QObject *watched, QEvent *e)
{
    if (!m_inFakeMenu)
        return false;
    switch (e->type()) {
    case QEvent::Wheel:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
        if (isOwn(watched))
            return false;
        endFakeMenu();
        return true;
    default:
        return false;
    }
}

void SuggestionWindow::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::ActivationChange && m_inFakeMenu && !isActiveWindow() && isVisible()) {
        // Losing the keys to another window ends the mode, but only once we had them.
        if (QApplication::activeWindow() && QApplication::activeWindow() != this)
            endFakeMenu();
    }
    QWidget::changeEvent(e);
}

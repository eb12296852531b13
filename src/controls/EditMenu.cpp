#include "controls/EditMenu.h"

#include "controls/ColorHex.h"
#include "controls/EditMenuBgView.h"
#include "controls/EditMenuItem.h"
#include "controls/PopoverGeometry.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

using namespace PopoverGeometry;

void EditMenu::setUpWindow()
{
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
}

EditMenu::EditMenu(const QImage &image, const QSizeF &size, QWidget *parent) : QWidget(parent), m_image(image)
{
    setUpWindow();
    const QSizeF s = image.isNull() ? size : QSizeF(image.size()) / image.devicePixelRatio();
    resize(s.toSize());
    m_bgView = new EditMenuBgView(this);
    m_bgView->setGeometry(rect());
}

EditMenu::EditMenu(const QSizeF &size, bool isScroll, QWidget *parent) : QWidget(parent), m_isScroll(isScroll)
{
    setUpWindow();
    resize(size.toSize());
    if (isScroll) {
        m_scrollView = new QScrollArea(this);
        m_scrollView->setGeometry(rect());
        m_scrollView->setFrameShape(QFrame::NoFrame);
        m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_boxView = new QWidget;
        m_boxView->resize(size.toSize());
        m_scrollView->setWidget(m_boxView);
        m_scrollView->viewport()->installEventFilter(this);
        m_scrollView->viewport()->setMouseTracking(true);
    } else {
        m_boxView = new QWidget(this);
        m_boxView->setGeometry(rect());
    }
    m_boxView->setAttribute(Qt::WA_TransparentForMouseEvents, !isScroll);
}

EditMenu::EditMenu(QWidget *view, int) : QWidget(nullptr), m_view(view), m_keepsItems(false), m_knobWidth(20.0)
{
    setUpWindow();
    resize(view->size());
    m_background = ColorHex::colorWithHexString(QStringLiteral("#f5f8fa"));
    view->setParent(this);
    view->move(0, 0);
}

EditMenu *EditMenu::withView(QWidget *view)
{
    return view ? new EditMenu(view, 0) : nullptr;
}

EditMenu::~EditMenu()
{
    // Rows never placed have no parent.
    for (EditMenuItem *item : std::as_const(m_items))
        if (!item->parent())
            delete item;
}

EditMenuItem *EditMenu::addItemWithTitle(const QString &title, QObject *target, const char *action)
{
    EditMenuItem *item = EditMenuItem::create(title, target, action);
    if (!item)
        return nullptr;
    qreal offset = 4.0;
    for (EditMenuItem *i : std::as_const(m_items))
        offset += i->height();
    if (!m_keepsItems) {
        // A menu around a view has no list: the row is shown but not kept.
        item->setParent(this);
        return item;
    }
    m_items.append(item);
    const QSizeF win(size());
    item->setParent(this);
    item->setGeometry(upToQt(editMenuItemFrame(win, m_knobWidth, offset, 30.0), win.height()).toRect());
    item->show();
    if (m_bgView) {
        const QRectF bgUp = qtToUp(QRectF(m_bgView->geometry()), win.height());
        m_bgView->setGeometry(upToQt(editMenuBackgroundFrame(bgUp, win, offset, 30.0), win.height()).toRect());
    }
    return item;
}

void EditMenu::addSeparator()
{
    if (!m_keepsItems)
        return;
    EditMenuItem *item = EditMenuItem::separator();
    qreal offset = 4.0;
    for (EditMenuItem *i : std::as_const(m_items))
        offset += i->height();
    m_items.append(item);
    const QSizeF win(size());
    item->setParent(this);
    item->setGeometry(upToQt(editMenuItemFrame(win, m_knobWidth, offset, 1.0), win.height()).toRect());
    item->show();
}

EditMenuItem *EditMenu::addItem(const QString &title, QObject *target, const char *action)
{
    EditMenuItem *item = EditMenuItem::create(title, target, action);
    if (item && m_keepsItems)
        m_items.append(item);
    return item;
}

void EditMenu::arrangeFrame()
{
    if (!m_boxView)
        return;
    const int n = int(m_items.size());
    m_boxView->resize(m_boxView->width(), n ? 30 * n + 4 : 30);
    const qreal B = m_boxView->width();
    qreal y = 2;
    for (EditMenuItem *item : std::as_const(m_items)) {
        item->setParent(m_boxView);
        item->setGeometry(QRectF(m_knobWidth + 1.0, y, B - m_knobWidth - 2.0, 30.0).toRect());
        item->show();
        y = std::trunc(y + item->height());
    }
    if (m_scrollView)
        m_scrollView->verticalScrollBar()->setValue(0);
}

EditMenuItem *EditMenu::menuItemAtIndex(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

int EditMenu::indexOfItemWithObjectValue(EditMenuItem *item) const
{
    return int(m_items.indexOf(item));
}

void EditMenu::selectItemWithValue(const QString &title)
{
    for (EditMenuItem *item : std::as_const(m_items)) {
        if (item->title() == title) {
            item->highlight();
            item->update();
            return;
        }
    }
}

void EditMenu::cancelAllSelected()
{
    for (EditMenuItem *item : std::as_const(m_items))
        item->setIsSelected(false);
}

void EditMenu::removeAllItems()
{
    m_items.clear();
}

void EditMenu::removeAllItemsView()
{
    for (EditMenuItem *item : std::as_const(m_items))
        item->deleteLater();
    m_items.clear();
}

void EditMenu::popUpAtPoint(const QPoint &global)
{
    emit editMenuWillOpen(this);
    if (m_bgView)
        m_bgView->update();
    const QRectF up = editMenuPopupFrame(qtToUp(QPointF(global)), m_anchorPoint, QSizeF(size()));
    setGeometry(upToQt(up).toRect());
    m_open = true;
    m_pressSeen = false;
    show();
    raise();
    activateWindow();
}

void EditMenu::hideMenu()
{
    hide();
}

void EditMenu::dropDown()
{
    if (isVisible())
        hideMenu();
}

void EditMenu::hideEvent(QHideEvent *e)
{
    QWidget::hideEvent(e);
    for (EditMenuItem *item : std::as_const(m_items))
        item->mouseExited();
    if (m_open) {
        m_open = false;
        emit editMenuWillClose(this);
    }
}

void EditMenu::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_image.isNull())
        p.fillRect(rect(), QBrush(m_image));
    else
        p.fillRect(rect(), m_background);
}

void EditMenu::trackPointer(const QPoint &global)
{
    for (EditMenuItem *item : std::as_const(m_items)) {
        const bool inside = item->isVisible() && item->rect().contains(item->mapFromGlobal(global));
        if (inside != item->isMouseIn()) {
            if (inside)
                item->mouseEntered();
            else
                item->mouseExited();
        }
    }
}

void EditMenu::clickAt(const QPoint &global)
{
    for (EditMenuItem *item : std::as_const(m_items)) {
        if (!item->isVisible() || !item->rect().contains(item->mapFromGlobal(global)))
            continue;
        if (item->isEnable())
            hideMenu();
        item->sendTargetAction();
        hideMenu();
        return;
    }
    hideMenu();
}

void EditMenu::mouseMoveEvent(QMouseEvent *e)
{
    trackPointer(e->globalPosition().toPoint());
}

void EditMenu::mousePressEvent(QMouseEvent *e)
{
    m_pressSeen = true;
    // Outside the menu a press closes it (the pop-up default).
    QWidget::mousePressEvent(e);
}

void EditMenu::mouseReleaseEvent(QMouseEvent *e)
{
    if (!rect().contains(e->position().toPoint())) {
        // A menu opened on mouse-down stays open when the button comes up on its opener;
        // a later click outside closes it.
        if (m_pressSeen)
            hideMenu();
        return;
    }
    clickAt(e->globalPosition().toPoint());
}

bool EditMenu::eventFilter(QObject *watched, QEvent *e)
{
    if (m_scrollView && watched == m_scrollView->viewport()) {
        if (e->type() == QEvent::MouseMove)
            trackPointer(static_cast<QMouseEvent *>(e)->globalPosition().toPoint());
        else if (e->type() == QEvent::MouseButtonRelease) {
            clickAt(static_cast<QMouseEvent *>(e)->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void EditMenu::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        dropDown();
        return;
    }
    QWidget::keyPressEvent(e);
}

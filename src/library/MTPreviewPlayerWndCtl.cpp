#include "library/MTPreviewPlayerWndCtl.h"

#include "downloads/DownloadedItem.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "shell/GolobFun.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include <cmath>

MTPreviewPlayerWndCtl::MTPreviewPlayerWndCtl(QWidget *parent)
    // With a parent, a dialog-type window: only those are made transient for their parent on
    // X11. It keeps the buttons of a player window.
    : QWidget(parent, parent ? Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint : Qt::Window)
{
    setWindowTitle(GolobFun::windowTitle());
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A child of the window it blocks (transient for it on X11): the window manager keeps it
    // above that window, so a click there never hides the player behind it.
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    if (QWidget *blocked = parent ? parent->window() : nullptr)
        blocked->installEventFilter(this);
    resize(MinWidth, 326 + ExtraHeight);
    LoadPlyerView();

    m_playerMenu = new QMenu(MainBundle::localizedString("Player"), this);
    auto add = [this](const char *title, const QKeySequence &key, void (MTPreviewPlayerWndCtl::*slot)()) {
        QAction *a = m_playerMenu->addAction(MainBundle::localizedString(title));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    m_playPauseAction = add("MenuPlay", QKeySequence(), &MTPreviewPlayerWndCtl::mtPlayAndPause);
    add("Next", QKeySequence(Qt::CTRL | Qt::Key_Right), &MTPreviewPlayerWndCtl::mtNext);
    add("Previous", QKeySequence(Qt::CTRL | Qt::Key_Left), &MTPreviewPlayerWndCtl::mtPrevious);
    add("Step Forward", QKeySequence(Qt::Key_Right), &MTPreviewPlayerWndCtl::mtStepForward);
    add("Step Backward", QKeySequence(Qt::Key_Left), &MTPreviewPlayerWndCtl::mtStepBackward);
    m_playerMenu->addSeparator();
    m_modeActions[0] = add("Play item once", QKeySequence(), &MTPreviewPlayerWndCtl::mtPlayItemOnce);
    m_modeActions[1] = add("Repeat item", QKeySequence(), &MTPreviewPlayerWndCtl::mtRepeatItem);
    m_modeActions[2] = add("Play list once", QKeySequence(), &MTPreviewPlayerWndCtl::mtPlayListOnce);
    for (QAction *a : m_modeActions)
        a->setCheckable(true);
    connect(m_playerMenu, &QMenu::aboutToShow, this, &MTPreviewPlayerWndCtl::validateMenuItems);

    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("VideoRealSizeHDidReturn"),
                                                    [this](const Notification &n) {
                                                        videoRealSizeDidReturn(
                                                            n.userInfo.value(QStringLiteral("VideoSizeWidth")).toInt(),
                                                            n.userInfo.value(QStringLiteral("VideoSizeHeight")).toInt());
                                                    });
}

MTPreviewPlayerWndCtl::~MTPreviewPlayerWndCtl()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_modalLoop)
        m_modalLoop->quit();
}

void MTPreviewPlayerWndCtl::LoadPlyerView()
{
    m_view = new MTPreviewPlayerViewCtl(this);
    m_view->setGeometry(rect());
}

void MTPreviewPlayerWndCtl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
    m_view->upDataFrameSizeWithRect(geometry());
}

bool MTPreviewPlayerWndCtl::openMediaList(const MTPreviewPlayerViewCtl::ItemList &items, int index)
{
    if (items.isEmpty() || index < 0 || index >= items.size() || !items.at(index) ||
        !QFileInfo(items.at(index)->filePath()).isFile())
        return false;
    m_view->setMediaListWithDownloadedItems(items, index);
    setModeChecks(m_view->playMode());
    playView();
    show();
    raise();
    activateWindow();
    return true;
}

void MTPreviewPlayerWndCtl::setMediaListWithDownloadedItems(const MTPreviewPlayerViewCtl::ItemList &items, int index)
{
    if (!openMediaList(items, index))
        return;
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec();
    m_modalLoop = nullptr;
}

void MTPreviewPlayerWndCtl::changedMediaListWithNewSortDownloadedItems(const MTPreviewPlayerViewCtl::ItemList &items)
{
    m_view->changedMediaListWithNewSortDownloadedItems(items);
}

void MTPreviewPlayerWndCtl::playView()
{
    m_view->clickPlayAndPauseMediaBtn();
}

void MTPreviewPlayerWndCtl::mtPlayAndPause() { m_view->clickPlayAndPauseMediaBtn(); }
void MTPreviewPlayerWndCtl::mtNext() { m_view->playNext(); }
void MTPreviewPlayerWndCtl::mtPrevious() { m_view->playPreview(); }
void MTPreviewPlayerWndCtl::mtStepForward() { m_view->playForward(); }
void MTPreviewPlayerWndCtl::mtStepBackward() { m_view->playRewind(); }

void MTPreviewPlayerWndCtl::setModeChecks(int mode)
{
    for (int i = 0; i < 3; ++i)
        m_modeActions[i]->setChecked(i == mode);
}

void MTPreviewPlayerWndCtl::mtPlayItemOnce()
{
    setModeChecks(0);
    m_view->setPlayMode(0);
    m_view->update();
}

void MTPreviewPlayerWndCtl::mtRepeatItem()
{
    setModeChecks(1);
    m_view->setPlayMode(1);
    m_view->update();
}

void MTPreviewPlayerWndCtl::mtPlayListOnce()
{
    setModeChecks(2);
    m_view->setPlayMode(2);
    m_view->update();
}

void MTPreviewPlayerWndCtl::validateMenuItems()
{
    m_playPauseAction->setText(MainBundle::localizedString(m_view->mtPlayStatus() == 0 ? "MenuPause" : "MenuPlay"));
    const qint64 stored = UserDefaults::toInteger(GolobFun::infoValueForKey(QStringLiteral("MTPlayerPlayMode")));
    for (int i = 0; i < 3; ++i)
        m_modeActions[i]->setChecked(stored == i);
}

QRect MTPreviewPlayerWndCtl::frameForVideoSize(const QSizeF &video, const QRect &current, const QRect &V,
                                               QSize *minimum)
{
    const QPointF c = QRectF(current).center();
    double W = video.width(), H = video.height();
    if (W < MinWidth) {
        H *= MinWidth / W;
        W = MinWidth;
    }
    H += 32;
    H += 62;
    const double W1 = std::min<double>(W, V.width()), H1 = std::min<double>(H, V.height());
    // The minimum keeps the picture's shape at 580 wide; it scales the picture's own height,
    // not the height that already holds the title and control bars.
    const double minH = (H1 - 32 - 62) * MinWidth / W1 + 32 + 62;
    if (minimum)
        *minimum = QSize(MinWidth, int(std::ceil(minH)));
    const double FW = std::max<double>(MinWidth, W1);
    const double FH = std::max(minH, H1);
    double cx = std::max(c.x(), V.x() + FW / 2);
    if (cx + FW / 2 > V.x() + V.width())
        cx = V.x() + V.width() - FW / 2;
    double cy = std::max(c.y(), V.y() + FH / 2);
    if (cy + FH / 2 > V.y() + V.height())
        cy = V.y() + V.height() - FH / 2;
    return QRect(int(std::lround(cx - FW / 2)), int(std::lround(cy - FH / 2)), int(std::lround(FW)), int(std::lround(FH)));
}

void MTPreviewPlayerWndCtl::videoRealSizeDidReturn(int width, int height)
{
    if (m_view->isInFullScreen() || width <= 0 || height <= 0)
        return;
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect visible = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    QSize minimum;
    const QRect frame = frameForVideoSize(QSizeF(width, height), geometry(), visible, &minimum);
    m_view->setMediaSizeWithWidth(frame.width(), frame.height());
    setMinimumSize(minimum.boundedTo(visible.size()));
    setGeometry(frame);
}

bool MTPreviewPlayerWndCtl::event(QEvent *event)
{
    return QWidget::event(event);
}

bool MTPreviewPlayerWndCtl::eventFilter(QObject *watched, QEvent *event)
{
    // The blocked window was clicked or activated while the player is open: the player comes
    // forward and takes the focus, as a modal window does.
    if (isVisible() && parentWidget() && watched == parentWidget()->window() && (event->type() == QEvent::WindowActivate || event->type() == QEvent::MouseButtonPress)) {
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) {
                raise();
                activateWindow();
            }
        });
    }
    return QWidget::eventFilter(watched, event);
}

void MTPreviewPlayerWndCtl::closeEvent(QCloseEvent *event)
{
    m_view->stop();
    m_view->closeSubtitleWindow();
    if (m_modalLoop)
        m_modalLoop->quit();
    event->accept();
    emit closed();
}

void MTPreviewPlayerWndCtl::mouseDoubleClickEvent(QMouseEvent *)
{
    m_view->clickFullScreenBtn();
}

void MTPreviewPlayerWndCtl::keyPressEvent(QKeyEvent *event)
{
    if (event->text() == QLatin1String(" ")) {
        mtPlayAndPause();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MTPreviewPlayerWndCtl::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
        if (m_view->isInFullScreen())
            m_view->clickFullScreenBtn();
        else
            close();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void MTPreviewPlayerWndCtl::contextMenuEvent(QContextMenuEvent *event)
{
    m_playerMenu->exec(event->globalPos());
}

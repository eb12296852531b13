#include "library/MTPreviewPlayerViewCtl.h"

#include "controls/MGHoverButton.h"
#include "downloads/DownloadedItem.h"
#include "library/ImageView.h"
#include "library/PlayerImages.h"
#include "platform/log/ScribletLogger.h"
#include "media/QVUltraPlayer.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "shell/GolobFun.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {
QString g_snapshotFolder;

struct ModeLook
{
    const char *tip;
    const char *base;
};
constexpr ModeLook kModes[3] = {{"Play item once", "player_Singles"},
                                {"Repeat item", "player_Circulation"},
                                {"Play list once", "player_order"}};

MGHoverButton *playerButton(QWidget *parent, const QString &base, int size = 32)
{
    auto *b = new MGHoverButton(parent);
    b->setImageName(PlayerImages::Sheet);
    b->setFixedSize(size, size);
    b->setCursor(Qt::PointingHandCursor);
    b->setNormalSliceName(base + QStringLiteral("_normal"));
    b->setHoverSliceName(base + QStringLiteral("_down"));
    b->setDownSliceName(base + QStringLiteral("_down"));
    b->setDisableSliceName(base + QStringLiteral("_disabled"));
    return b;
}

void setButtonLook(MGHoverButton *b, const QString &normal, const QString &down)
{
    b->setNormalSliceName(normal);
    b->setHoverSliceName(down);
    b->setDownSliceName(down);
    b->update();
}

QLabel *whiteLabel(QWidget *parent, int pointSize)
{
    auto *l = new QLabel(parent);
    QFont f = l->font();
    f.setPixelSize(pointSize + 1);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    return l;
}
} // namespace

MTPreviewPlayerViewCtl::MTPreviewPlayerViewCtl(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setMinimumSize(580, TitleHeight + BarHeight + 60);
    m_viewMediaTitle = new ImageView(this);
    // The last frame of an item that played to its end, where its picture was.
    m_lastFrameView = new ImageView(this);
    m_lastFrameView->setBgColor(QColor(Qt::black));
    m_lastFrameView->hide();
    m_lblMediaTitle = whiteLabel(m_viewMediaTitle, 12);
    m_lblMediaTitle->setAlignment(Qt::AlignCenter);
    // Over the picture's place: why nothing plays, instead of a silent black screen.
    m_lblPlayMessage = whiteLabel(this, 13);
    m_lblPlayMessage->setObjectName(QStringLiteral("playMessage"));
    m_lblPlayMessage->setAlignment(Qt::AlignCenter);
    m_lblPlayMessage->setWordWrap(true);
    m_lblPlayMessage->setTextFormat(Qt::PlainText);
    m_lblPlayMessage->hide();
    m_viewPlayerCtlPlace = new MTPlayerImageView(this);
    m_viewPlayerCtlPlace->setDelegate(this);
    m_viewSliderBarPlace = new QWidget(m_viewPlayerCtlPlace);
    m_txtPlayedTime = whiteLabel(m_viewPlayerCtlPlace, 10);
    m_txtPlayedTime->setAlignment(Qt::AlignCenter);
    m_txtRemainedTime = whiteLabel(m_viewPlayerCtlPlace, 10);
    m_txtRemainedTime->setAlignment(Qt::AlignCenter);

    m_btnPlayPreviousAndRewind = new MTPlayerButton(m_viewPlayerCtlPlace);
    m_btnPlayNextAndFastForward = new MTPlayerButton(m_viewPlayerCtlPlace);
    m_btnPlayAndPauseMedia = playerButton(m_viewPlayerCtlPlace, QStringLiteral("player_play"), 40);
    m_btnPlayMode = playerButton(m_viewPlayerCtlPlace, QStringLiteral("player_Singles"));
    m_btnScreenShot = playerButton(m_viewPlayerCtlPlace, QStringLiteral("player_snapshot"));
    m_btnFullScreen = playerButton(m_viewPlayerCtlPlace, QStringLiteral("player_fullscreen"));
    m_btnSubtitle = playerButton(m_viewPlayerCtlPlace, QStringLiteral("CC_off"));
    m_minVolumeBtn = playerButton(m_viewPlayerCtlPlace, QStringLiteral("player_volume_min"));
    m_maxVolumeBtn = playerButton(m_viewPlayerCtlPlace, QStringLiteral("player_volume_max"));
    m_soundSlider = new SoundSlider(m_viewPlayerCtlPlace);
    m_btnSubtitle->setToolTip(MainBundle::localizedString("Subtitles"));
    // The controls take no keyboard focus: Space is the window's play/pause, not a press of
    // whichever button was clicked last.
    for (QAbstractButton *b : m_viewPlayerCtlPlace->findChildren<QAbstractButton *>())
        b->setFocusPolicy(Qt::NoFocus);

    connect(m_btnPlayAndPauseMedia, &QAbstractButton::clicked, this, [this] { clickPlayAndPauseMediaBtn(); });
    connect(m_btnPlayMode, &QAbstractButton::clicked, this, [this] { clickPlayModeBtn(); });
    connect(m_btnScreenShot, &QAbstractButton::clicked, this, [this] { clickScreenShotBtn(); });
    connect(m_btnFullScreen, &QAbstractButton::clicked, this, [this] { clickFullScreenBtn(); });
    connect(m_btnSubtitle, &QAbstractButton::clicked, this, [this] { clickSubtitleSettingBtn(); });
    connect(m_minVolumeBtn, &QAbstractButton::clicked, this, [this] { clickMinVolumeBtn(); });
    connect(m_maxVolumeBtn, &QAbstractButton::clicked, this, [this] { clickMaxVolumeBtn(); });

    m_hidePlayerControlTimer = new QTimer(this);
    m_hidePlayerControlTimer->setSingleShot(true);
    m_hidePlayerControlTimer->setInterval(3000);
    connect(m_hidePlayerControlTimer, &QTimer::timeout, this, &MTPreviewPlayerViewCtl::hidePlayerControl);
    m_playerBtnPressTimer = new QTimer(this);
    m_playerBtnPressTimer->setInterval(100);

    loadImages();
    creatPlayerSliderBar();
    initStatus();
    layoutControls();
    synchronousFullScreenButton();
}

MTPreviewPlayerViewCtl::~MTPreviewPlayerViewCtl()
{
    releaseCurrentPlayer();
    delete m_subtitleWndCtr;
}

void MTPreviewPlayerViewCtl::loadImages()
{
    m_viewPlayerCtlPlace->setImage(PlayerImages::named(QStringLiteral("btnCtrlViewImage")));
    m_viewPlayerCtlPlace->setScaleImage(true);
    m_viewPlayerCtlPlace->setBgColor(std::nullopt);
    m_viewMediaTitle->setBgColor(QColor(Qt::black));
    m_viewMediaTitle->setScaleImage(true);
}

void MTPreviewPlayerViewCtl::creatPlayerSliderBar()
{
    m_sliderBar = new PlaySliderBar(m_viewPlayerCtlPlace);
    m_sliderBar->setGeometry(m_viewSliderBarPlace->geometry());
    m_sliderBar->setDelegate(this);
    m_sliderBar->setSliderLeftDistance(75);
    m_sliderBar->setSliderRightDistance(75);
    m_sliderBar->setSliderHeight(9);
    m_sliderBar->setSliderBottomDistance(9);
    m_sliderBar->setKnobBottomDistance(2);
    m_sliderBar->setKnobSize(QSizeF(24, 24));
    m_sliderBar->setMaxValue(0);  // ignored: stays 100 until a duration arrives
    m_sliderBar->setValue(0);
    m_sliderBar->setPlayedSectionImage(PlayerImages::named(QStringLiteral("playerSliderPlayingImage")));
    m_sliderBar->setSliderImage(PlayerImages::named(QStringLiteral("playerSliderImage")));
    m_sliderBar->setKnobImage(PlayerImages::named(QStringLiteral("playerSliderBallImage")));

    m_soundSlider->setIsEnable(true);
    m_soundSlider->setSoundSliderBackImg(PlayerImages::named(QStringLiteral("soundSliderImage.png")));
    m_soundSlider->setSoundSliderImg(PlayerImages::named(QStringLiteral("soundSliderFillImage.png")));
    m_soundSlider->setSoundSliderBtn(PlayerImages::named(QStringLiteral("soundBtn.png")));
    const float volume = initialVolume(UserDefaults::standard().objectForKey(QStringLiteral("DefaultVolume")));
    storeVolume(volume);
    m_soundSlider->setMaxVolume(100);
    m_soundSlider->setVolume(volume);
    m_soundSlider->setDelegate(this);
}

void MTPreviewPlayerViewCtl::initStatus()
{
    m_btnPlayPreviousAndRewind->setToolTip(MainBundle::localizedString("Previous"));
    m_btnPlayAndPauseMedia->setToolTip(MainBundle::localizedString("Play"));
    m_btnPlayNextAndFastForward->setToolTip(MainBundle::localizedString("Next"));
    m_btnScreenShot->setToolTip(MainBundle::localizedString("Snapshot"));
    m_btnFullScreen->setToolTip(MainBundle::localizedString("Full Screen"));
    m_btnScreenShot->setEnabled(false);
    const QVariant mode = GolobFun::infoValueForKey(QStringLiteral("MTPlayerPlayMode"));
    m_mtPreviewPlayerPlayMode = int(UserDefaults::toInteger(mode));
    const int shown = m_mtPreviewPlayerPlayMode >= 0 && m_mtPreviewPlayerPlayMode <= 2 ? m_mtPreviewPlayerPlayMode : 0;
    setButtonLook(m_btnPlayMode, QString::fromLatin1(kModes[shown].base) + "_normal",
                  QString::fromLatin1(kModes[shown].base) + "_down");
    m_btnPlayMode->setToolTip(MainBundle::localizedString(kModes[shown].tip));
    m_lblMediaTitle->setTextFormat(Qt::PlainText);
    for (auto [button, base] : {std::pair{m_btnPlayPreviousAndRewind, "player_prev"},
                                std::pair{m_btnPlayNextAndFastForward, "player_next"}}) {
        button->setDelegate(this);
        button->setMtImage(PlayerImages::named(QString::fromLatin1(base) + "_normal"));
        button->setMtAlternateImage(PlayerImages::named(QString::fromLatin1(base) + "_down"));
        button->setFixedSize(32, 32);
    }
    connect(m_playerBtnPressTimer, &QTimer::timeout, this, [this] {
        if (m_playerBtnPressTimer->property("forward").toBool())
            playForward();
        else
            playRewind();
    });
    m_mousePoint = QCursor::pos();
    m_isInFullScreen = false;
    synchronousStatusUI();
    synchronousTimeText();
}

void MTPreviewPlayerViewCtl::layoutControls()
{
    const int W = width(), H = height();
    m_viewMediaTitle->setGeometry(0, 0, W, H);
    m_lblMediaTitle->setGeometry(12, 0, W - 24, TitleHeight);
    synchronousTitleText();
    m_viewPlayerCtlPlace->setGeometry(0, H - BarHeight, W, BarHeight);
    m_viewSliderBarPlace->setGeometry(0, 0, W, 30);
    m_sliderBar->setGeometry(m_viewSliderBarPlace->geometry());
    m_txtPlayedTime->setGeometry(8, 4, 62, 22);
    m_txtRemainedTime->setGeometry(W - 70, 4, 62, 22);
    const int row = 30, rowH = BarHeight - row;
    auto place = [&](QWidget *w, int x) { w->move(x, row + (rowH - w->height()) / 2 - 2); };
    place(m_btnPlayMode, 14);
    place(m_btnScreenShot, 50);
    const int cx = W / 2;
    place(m_btnPlayAndPauseMedia, cx - 20);
    place(m_btnPlayPreviousAndRewind, cx - 20 - 12 - 32);
    place(m_btnPlayNextAndFastForward, cx + 20 + 12);
    place(m_maxVolumeBtn, W - 14 - 32);
    m_soundSlider->resize(84, 16);
    place(m_soundSlider, W - 14 - 32 - 84);
    place(m_minVolumeBtn, W - 14 - 32 - 84 - 32);
    place(m_btnFullScreen, W - 14 - 32 - 84 - 32 - 40);
    place(m_btnSubtitle, W - 14 - 32 - 84 - 32 - 40 - 36);
    if (m_player && m_player->playView())
        m_player->playView()->setGeometry(pictureRect());
    m_lastFrameView->setGeometry(pictureRect());
    m_lblPlayMessage->setGeometry(24, TitleHeight, W - 48, H - TitleHeight - BarHeight);
    m_lblPlayMessage->raise();
    m_viewPlayerCtlPlace->raise();
}

QRect MTPreviewPlayerViewCtl::pictureRect() const
{
    return QRect(0, TitleHeight, width(), height() - TitleHeight - BarHeight);
}

void MTPreviewPlayerViewCtl::placePlayView()
{
    QWidget *view = m_player ? m_player->playView() : nullptr;
    if (!view)
        return;
    if (view->parentWidget() != this)
        view->setParent(this);
    view->setGeometry(pictureRect());
    view->show();
    view->raise();
    m_lblPlayMessage->raise();
    m_viewPlayerCtlPlace->raise();
}

QString MTPreviewPlayerViewCtl::playMessageText() const
{
    return m_lblPlayMessage->isHidden() ? QString() : m_lblPlayMessage->text();
}

void MTPreviewPlayerViewCtl::showPlayMessage(const QString &text)
{
    m_lblPlayMessage->setText(text);
    m_lblPlayMessage->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        m_lblPlayMessage->raise();
}

void MTPreviewPlayerViewCtl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

// ---- list and opening

void MTPreviewPlayerViewCtl::setMediaListWithDownloadedItems(const ItemList &items, int index)
{
    if (items.isEmpty() || index < 0)
        return;
    m_mediaList = items;
    m_mediaIndex = index;
    m_mtPlayStatus = Stopped;
    synchronousStatusUI();
    synchronousTitleText();
}

void MTPreviewPlayerViewCtl::changedMediaListWithNewSortDownloadedItems(const ItemList &items)
{
    if (items.isEmpty() || m_mediaList.isEmpty())
        return;
    const auto current = m_mediaIndex >= 0 && m_mediaIndex < m_mediaList.size() ? m_mediaList.at(m_mediaIndex) : nullptr;
    const int pos = current ? int(items.indexOf(current)) : -1;
    if (pos < 0) {
        ScribletLogInfo(QStringLiteral("change medialist error"));
        return;
    }
    m_mediaIndex = pos;
    m_mediaList = items;
}

void MTPreviewPlayerViewCtl::releaseCurrentPlayer()
{
    if (!m_player)
        return;
    QVUltraPlayer *p = m_player;
    m_player = nullptr;
    p->setDelegate(nullptr);
    if (p->playView())
        p->playView()->hide();
    p->stop();
    p->close();
    p->deleteLater();
}

void MTPreviewPlayerViewCtl::initPlayParam()
{
    m_dCurrentTime = 0;
    m_dCurlength = 0;
    m_mtPlayStatus = Stopped;
    m_restoreStatusIsPlaying = false;
    // Nothing of the previous file: its length as the slider's range, its last picture, its
    // subtitle state.
    m_sliderBar->setMaxValue(100);
    m_lastFrameView->hide();
    m_lastFrameView->setImage(QImage());
    setSubtitleBtnState(false);
    synchronousStatusUI();
    synchronousSlider();
    synchronousTimeText();
}

void MTPreviewPlayerViewCtl::initPlayerWithFilePath(const QString &path)
{
    releaseCurrentPlayer();
    initPlayParam();
    if (path.isEmpty())
        return;
    synchronousTitleText();
    m_player = new QVUltraPlayer(this);
    m_player->setDelegate(this);
    // The software path took over from OpenGL: the controls stay above the new picture.
    connect(m_player, &QVUltraPlayer::playViewChanged, this, [this](QWidget *) { layoutControls(); });
    QPointer<QVUltraPlayer> opened = m_player;
    emit fileOpened(path);
    if (m_player->open(path, -1, 1, 1, [this, opened] {
            if (opened && opened == m_player)
                playerDidOpen();
        })) {
        // Shown at once: the OpenGL picture path loads the file only once its view is up.
        placePlayView();
    } else {
        // Could not even start: the same road as a file that fails to play.
        showPlayMessage(MainBundle::localizedString("The player could not start, so nothing can be played here."));
        QTimer::singleShot(0, this, [this, opened] {
            if (opened && opened == m_player)
                endOfItem(true);
        });
    }
}

void MTPreviewPlayerViewCtl::playerDidOpen()
{
    showPlayMessage(QString());
    m_player->setHostWnd(nullptr);
    placePlayView();
    const double d = m_player->duration();
    if (d > 0) {
        m_dCurlength = d;
        m_dCurrentTime = 0;
    }
    synchronousSlider();
    synchronousTimeText();
    const QSizeF res = m_player->resolution();
    const int w = int(res.width()), h = int(res.height());
    if (w > 0 && h > 0) {
        dispatch::async_main([w, h] {
            NotificationCenter::defaultCenter().post(QStringLiteral("VideoRealSizeHDidReturn"), QVariant(),
                                                     {{QStringLiteral("VideoSizeWidth"), w},
                                                      {QStringLiteral("VideoSizeHeight"), h}});
        });
    }
    applySubtitles();
    m_player->setVolume(int(m_soundSlider->volume()));
    m_player->play();
}

QString MTPreviewPlayerViewCtl::validSubtitlePath() const
{
    if (m_mediaIndex < 0 || m_mediaIndex >= m_mediaList.size() || !m_mediaList.at(m_mediaIndex))
        return {};
    const QString path = m_mediaList.at(m_mediaIndex)->subtitlePath();
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

void MTPreviewPlayerViewCtl::applySubtitles()
{
    const QString sub = validSubtitlePath();
    if (sub.isEmpty() || !m_player)
        return;
    const bool on = UserDefaults::standard().boolForKey(QStringLiteral("SubtitleIsOnState"));
    setSubtitleBtnState(on);
    if (on) {
        m_player->setSubtitleStream(-1, sub);
        applySubtitleStyle();
    }
}

void MTPreviewPlayerViewCtl::applySubtitleStyle()
{
    if (!m_player)
        return;
    UserDefaults &d = UserDefaults::standard();
    QVSubtitleStyle style = m_player->getExternalSubtitleStyle();
    const QString font = d.stringForKey(QStringLiteral("PlayerSubtitleFont"));
    const int size = int(d.integerForKey(QStringLiteral("PlayerSubtitleSize")));
    style.setFontName(font.isEmpty() ? QStringLiteral("Arial Unicode MS") : font);
    style.setFontSize(size == 0 ? 28 : size);
    m_player->setExternalSubtltleStyle(style);
}

void MTPreviewPlayerViewCtl::settingWndCtrDidChangeStatus(SubtitleSettingWndCtr *, bool on)
{
    if (on) {
        const QString sub = validSubtitlePath();
        if (!sub.isEmpty() && m_player) {
            m_player->setSubtitleStream(-1, sub);
            applySubtitleStyle();
        }
    } else if (m_player) {
        m_player->setSubtitleStream(-1, QString());
    }
    setSubtitleBtnState(on);
}

void MTPreviewPlayerViewCtl::settingWndCtrDidModified(SubtitleSettingWndCtr *)
{
    applySubtitleStyle();
}

void MTPreviewPlayerViewCtl::setSubtitleBtnState(bool on)
{
    m_subtitleOn = on;
    setButtonLook(m_btnSubtitle, on ? QStringLiteral("CC_on_normal") : QStringLiteral("CC_off_normal"),
                  on ? QStringLiteral("CC_on_down") : QStringLiteral("CC_off_down"));
}

// ---- player callbacks (main thread)

void MTPreviewPlayerViewCtl::mediaPlayDidStarted()
{
    m_mtPlayStatus = Playing;
    synchronousStatusUI();
}

void MTPreviewPlayerViewCtl::mediaPlayDidPause()
{
    m_mtPlayStatus = Paused;
    synchronousStatusUI();
}

void MTPreviewPlayerViewCtl::mediaPlayDidResume()
{
    mediaPlayDidStarted();
}

void MTPreviewPlayerViewCtl::mediaPlayDidProgress(double seconds)
{
    m_dCurrentTime = seconds;
    // A length that was not known when the file opened (or was estimated) is taken as soon as
    // the player knows it; seeking and the remaining time depend on it.
    if (m_player) {
        const double d = m_player->duration();
        if (d > 0 && std::abs(d - m_dCurlength) > 1e-3)
            m_dCurlength = d;
    }
    if (!m_sliderBar->isDragging()) {
        synchronousSlider();
        synchronousTimeText();
    }
}

void MTPreviewPlayerViewCtl::mediaPlayDidStoped()
{
    m_mtPlayStatus = Stopped;
    synchronousStatusUI();
}

void MTPreviewPlayerViewCtl::mediaPlayDidEnd()
{
    // Not inside the player's own callback: the player is released here. Only for the player
    // that ended: another file may have been opened meanwhile.
    QPointer<QVUltraPlayer> ended = m_player;
    QTimer::singleShot(0, this, [this, ended] {
        if (ended && ended == m_player)
            endOfItem(false);
    });
}

void MTPreviewPlayerViewCtl::mediaPlayDidError(const QString &error)
{
    ScribletLogError(QStringLiteral("preview player: %1").arg(error));
    const QString name = m_player ? QFileInfo(m_player->path()).fileName() : QString();
    showPlayMessage(MainBundle::localizedString("\"%1\" cannot be played: %2").arg(name, error));
    QPointer<QVUltraPlayer> failed = m_player;
    QTimer::singleShot(0, this, [this, failed] {
        if (failed && failed == m_player)
            endOfItem(true);
    });
}

void MTPreviewPlayerViewCtl::endOfItem(bool failed)
{
    closeSubtitleWindow();
    // The picture stays where it was (no black screen) until another file opens.
    const QImage last = !failed && m_player ? m_player->currentPicture() : QImage();
    releaseCurrentPlayer();
    if (!last.isNull()) {
        m_lastFrameView->setImage(last);
        m_lastFrameView->setGeometry(pictureRect());
        m_lastFrameView->show();
        m_lastFrameView->raise();
        m_lblPlayMessage->raise();
        m_viewPlayerCtlPlace->raise();
    }
    m_mtPlayStatus = Stopped;
    if (!failed) {
        m_dCurlength = m_sliderBar->value();
        m_dCurrentTime = m_dCurlength;
    }
    synchronousSlider();
    synchronousTimeText();
    synchronousStatusUI();
    auto leaveFullScreen = [this] {
        if (m_isInFullScreen)
            clickFullScreenBtn();
    };
    if (failed) {
        // A file that cannot be played is skipped in list order whatever the mode, so that
        // "Repeat item" never reopens it for ever; past the end playback stops.
        const QString next = getNextForOrderMode();
        if (!next.isEmpty())
            initPlayerWithFilePath(next);
        else
            leaveFullScreen();
        return;
    }
    switch (m_mtPreviewPlayerPlayMode) {
    case 2: {
        const QString next = getNextForOrderMode();
        if (!next.isEmpty())
            initPlayerWithFilePath(next);
        else
            leaveFullScreen();
        break;
    }
    case 1:
        initPlayerWithFilePath(getPlayPathForCurrentIndex());
        break;
    case 0:
        leaveFullScreen();
        break;
    default:
        break;
    }
}

// ---- controls

void MTPreviewPlayerViewCtl::clickPlayAndPauseMediaBtn()
{
    QApplication::restoreOverrideCursor();
    switch (m_mtPlayStatus) {
    case Playing:
        pause();
        break;
    case Paused:
        resume();
        break;
    default:
        initPlayerWithFilePath(getPlayPathForCurrentIndex());
        break;
    }
}

void MTPreviewPlayerViewCtl::clickPreviousAndRewindBtn()
{
    playPreview();
}

void MTPreviewPlayerViewCtl::clickNextAndFastForwardBtn()
{
    playNext();
}

void MTPreviewPlayerViewCtl::playNext()
{
    if (m_mediaList.isEmpty())
        return;
    const QString path = getNextPlayPath();
    if (path.isEmpty()) {
        ScribletLogInfo(QStringLiteral(">>>>>>>>> file path is nil"));
        return;
    }
    initPlayerWithFilePath(path);
    synchronousTitleText();
}

void MTPreviewPlayerViewCtl::playPreview()
{
    if (m_mediaList.isEmpty())
        return;
    const QString path = getPreviewPlayPath();
    if (path.isEmpty()) {
        ScribletLogInfo(QStringLiteral(">>>>>>>>> file path is nil"));
        return;
    }
    initPlayerWithFilePath(path);
    synchronousTitleText();
}

void MTPreviewPlayerViewCtl::clickPlayModeBtn()
{
    const int mode = m_mtPreviewPlayerPlayMode >= 0 && m_mtPreviewPlayerPlayMode < 2 ? m_mtPreviewPlayerPlayMode + 1 : 0;
    setPlayMode(mode);
}

void MTPreviewPlayerViewCtl::setPlayMode(int mode)
{
    if (mode != 1 && mode != 2)
        mode = 0;
    m_mtPreviewPlayerPlayMode = mode;
    setButtonLook(m_btnPlayMode, QString::fromLatin1(kModes[mode].base) + "_normal",
                  QString::fromLatin1(kModes[mode].base) + "_down");
    m_btnPlayMode->setToolTip(MainBundle::localizedString(kModes[mode].tip));
    GolobFun::setInfoValue(mode, QStringLiteral("MTPlayerPlayMode"));
}

void MTPreviewPlayerViewCtl::clickScreenShotBtn()
{
    screenShot();
}

void MTPreviewPlayerViewCtl::storeVolume(float volume)
{
    UserDefaults::standard().setDouble(QStringLiteral("DefaultVolume"), volume);
    UserDefaults::standard().synchronize();
}

void MTPreviewPlayerViewCtl::clickMinVolumeBtn()
{
    m_soundSlider->setVolume(0);
    storeVolume(0);
    if (m_player)
        m_player->setVolume(0);
}

void MTPreviewPlayerViewCtl::clickMaxVolumeBtn()
{
    m_soundSlider->setVolume(100);
    storeVolume(100);
    if (m_player)
        m_player->setVolume(100);
}

void MTPreviewPlayerViewCtl::volumeDidChanged(float volume)
{
    volume = qBound(0.0f, volume, 100.0f);
    m_soundSlider->setVolume(volume);
    storeVolume(volume);
    if (m_player)
        m_player->setVolume(int(volume));
}

void MTPreviewPlayerViewCtl::clickSubtitleSettingBtn()
{
    if (!m_subtitleWndCtr) {
        m_subtitleWndCtr = new SubtitleSettingWndCtr;
        m_subtitleWndCtr->setDelegate(this);
    }
    // Centred over the button, its bottom edge on the control bar's top edge.
    const QSize pop = m_subtitleWndCtr->windowSize();
    const QPoint buttonTopLeft = m_btnSubtitle->mapToGlobal(QPoint(0, 0));
    const QPoint barTop = m_viewPlayerCtlPlace->mapToGlobal(QPoint(0, 0));
    const QPoint topLeft(buttonTopLeft.x() - (pop.width() / 2 - m_btnSubtitle->width() / 2), barTop.y() - pop.height());
    m_subtitleWndCtr->showWindowAtLocation(topLeft, window());
}

void MTPreviewPlayerViewCtl::closeSubtitleWindow()
{
    if (m_subtitleWndCtr)
        m_subtitleWndCtr->closeWindow(nullptr);
}

void MTPreviewPlayerViewCtl::play()
{
    if (m_player)
        m_player->play();
}

void MTPreviewPlayerViewCtl::pause()
{
    if (m_player)
        m_player->pause();
}

void MTPreviewPlayerViewCtl::resume()
{
    if (m_player)
        m_player->resume();
}

void MTPreviewPlayerViewCtl::seek(double seconds)
{
    if (!m_player)
        return;
    if (seconds < 0 || seconds >= m_dCurlength)
        seconds = 0;
    m_player->seek(seconds);
}

void MTPreviewPlayerViewCtl::stop()
{
    if (!m_player)
        return;
    m_mtPlayStatus = Stopped;
    releaseCurrentPlayer();
    synchronousStatusUI();
}

// ---- seeking and stepping

void MTPreviewPlayerViewCtl::playSliderBarDidStartDragging(PlaySliderBar *slider)
{
    if (slider != m_sliderBar)
        return;
    m_restoreStatusIsPlaying = m_mtPlayStatus == Playing;
    if (m_player) {
        if (m_mtPlayStatus == Stopped) {
            m_player->play();
            m_player->pause();
        } else if (m_mtPlayStatus == Playing) {
            m_player->pause();
        }
    }
    synchronousTimeText();
}

void MTPreviewPlayerViewCtl::playSliderBarDidChangeValue(PlaySliderBar *slider, float value)
{
    if (slider != m_sliderBar)
        return;
    m_mousePoint = QCursor::pos();
    showPlayerControl();
    if (m_player) {
        seek(value);
        setImmediateTimes(value);
    }
    synchronousTimeText();
}

void MTPreviewPlayerViewCtl::playSliderBarDidStopDragging(PlaySliderBar *slider)
{
    if (slider != m_sliderBar)
        return;
    synchronousTimeText();
    if (m_player && m_restoreStatusIsPlaying)
        m_player->resume();
}

void MTPreviewPlayerViewCtl::playRewind()
{
    m_mousePoint = QCursor::pos();
    showPlayerControl();
    if (!m_player)
        return;
    const float v = qMax(0.0f, m_sliderBar->value() - 1.0f);
    m_sliderBar->setValue(v);
    seek(m_sliderBar->value());
    setImmediateTimes(m_sliderBar->value());
}

void MTPreviewPlayerViewCtl::playForward()
{
    m_mousePoint = QCursor::pos();
    showPlayerControl();
    if (!m_player)
        return;
    float v = m_sliderBar->value() + 1.0f;
    if (v >= m_dCurlength)
        v = float(qMax(0.0, m_dCurlength - 0.4));
    m_sliderBar->setValue(v);
    seek(m_sliderBar->value());
    setImmediateTimes(m_sliderBar->value());
}

void MTPreviewPlayerViewCtl::mtPlayerBtnStartLongPress(MTPlayerButton *button)
{
    if (!m_player)
        return;
    if (button != m_btnPlayPreviousAndRewind && button != m_btnPlayNextAndFastForward)
        return;
    m_playerBtnPressTimer->stop();
    m_playerBtnPressTimer->setProperty("forward", button == m_btnPlayNextAndFastForward);
    m_playerBtnPressTimer->start();
}

void MTPreviewPlayerViewCtl::mtPlayerBtnStopLongPress(MTPlayerButton *button)
{
    if (m_playerBtnPressTimer->isActive()) {
        m_playerBtnPressTimer->stop();
        return;
    }
    if (button == m_btnPlayPreviousAndRewind)
        clickPreviousAndRewindBtn();
    else if (button == m_btnPlayNextAndFastForward)
        clickNextAndFastForwardBtn();
}

// ---- snapshot

void MTPreviewPlayerViewCtl::setSnapshotFolder(const QString &folder)
{
    g_snapshotFolder = folder;
}

QString MTPreviewPlayerViewCtl::snapshotFolder()
{
    const QFileInfo info(g_snapshotFolder);
    if (!g_snapshotFolder.isEmpty() && info.isDir() && info.isWritable())
        return g_snapshotFolder;
    return QDir::homePath() + QStringLiteral("/Desktop");
}

QString MTPreviewPlayerViewCtl::snapshotPath(const QString &folder, const QString &name)
{
    QString path = QStringLiteral("%1/%2.png").arg(folder, name);
    // A bound keeps a folder full of snapshots from spinning for ever.
    for (int n = 1; QFileInfo::exists(path) && n <= 100000; ++n)
        path = QStringLiteral("%1/%2(%3).png").arg(folder, name).arg(n);
    return QFileInfo::exists(path) ? QString() : path;
}

QString MTPreviewPlayerViewCtl::screenShot()
{
    if (!m_player)
        return {};
    const QString file = getPlayPathForCurrentIndex();
    if (file.isEmpty())
        return {};
    const QString folder = snapshotFolder();
    QDir().mkpath(folder);
    const QString path = snapshotPath(folder, QFileInfo(file).completeBaseName());
    if (path.isEmpty())
        return {};
    return m_player->captureImage2File(path) ? path : QString();
}

// ---- full screen and the control bar

void MTPreviewPlayerViewCtl::clickFullScreenBtn()
{
    setIsInFullScreen(!m_isInFullScreen);
    synchronousFullScreenButton();
}

void MTPreviewPlayerViewCtl::setIsInFullScreen(bool on)
{
    m_hidePlayerControlTimer->stop();
    QWidget *wnd = window();
    m_isInFullScreen = on;
    if (on) {
        m_hidePlayerControlTimer->start();
        m_oldRect = wnd->geometry();
        wnd->showFullScreen();
    } else {
        showPlayerControl();
        wnd->showNormal();
        if (m_oldRect.isValid())
            wnd->setGeometry(m_oldRect);
        updateWindowTiltle();
    }
}

void MTPreviewPlayerViewCtl::updateWindowTiltle()
{
    window()->setWindowTitle(GolobFun::windowTitle());
}

void MTPreviewPlayerViewCtl::upDataFrameSizeWithRect(const QRect &)
{
    // Qt tracks the pointer over the whole view; nothing to renew.
}

void MTPreviewPlayerViewCtl::setMediaSizeWithWidth(qreal width, qreal height)
{
    m_mediaSize = QSizeF(width, height);
}

void MTPreviewPlayerViewCtl::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    m_mousePoint = event->globalPosition().toPoint();
    restartHideTimer();
    showPlayerControl();
}

void MTPreviewPlayerViewCtl::restartHideTimer()
{
    m_hidePlayerControlTimer->start();
}

void MTPreviewPlayerViewCtl::showPlayerControl()
{
    m_viewPlayerCtlPlace->setVisible(true);
    m_viewPlayerCtlPlace->setWindowOpacity(1.0);
    if (m_bHidePlayerControl)
        QApplication::restoreOverrideCursor();
    m_bHidePlayerControl = false;
}

void MTPreviewPlayerViewCtl::hidePlayerControl()
{
    if (!m_isInFullScreen || m_bMouseEnterPlayerImageView)
        return;
    m_viewPlayerCtlPlace->setVisible(false);
    if (!m_bHidePlayerControl)
        QApplication::setOverrideCursor(Qt::BlankCursor);
    m_bHidePlayerControl = true;
}

void MTPreviewPlayerViewCtl::mtMouseEnteredPlayerImageView()
{
    showPlayerControl();
    m_bMouseEnterPlayerImageView = true;
}

void MTPreviewPlayerViewCtl::mtMouseExitedPlayerImageView()
{
    m_bMouseEnterPlayerImageView = false;
}

// ---- refreshes (main thread)

void MTPreviewPlayerViewCtl::synchronousStatusUI()
{
    const bool playing = m_mtPlayStatus == Playing;
    setButtonLook(m_btnPlayAndPauseMedia, playing ? QStringLiteral("player_stop_normal") : QStringLiteral("player_play_normal"),
                  playing ? QStringLiteral("player_stop_down") : QStringLiteral("player_play_down"));
    m_btnPlayAndPauseMedia->setToolTip(MainBundle::localizedString(playing ? "Pause" : "Play"));
    m_btnScreenShot->setEnabled(m_mtPlayStatus == Playing || m_mtPlayStatus == Paused);
    synchronousFullScreenButton();
}

void MTPreviewPlayerViewCtl::synchronousFullScreenButton()
{
    if (m_isInFullScreen) {
        setButtonLook(m_btnFullScreen, QStringLiteral("player_unfullscreen_normal"),
                      QStringLiteral("player_unfullscreen_down"));
        m_btnFullScreen->setToolTip(QString());
        m_btnFullScreen->setEnabled(true);
    } else {
        setButtonLook(m_btnFullScreen, QStringLiteral("player_fullscreen_normal"), QStringLiteral("player_fullscreen_down"));
        m_btnFullScreen->setToolTip(MainBundle::localizedString("Full Screen"));
        m_btnFullScreen->setEnabled(m_mtPlayStatus != Stopped);
    }
}

void MTPreviewPlayerViewCtl::synchronousSlider()
{
    if (m_dCurlength > 0)
        m_sliderBar->setMaxValue(float(m_dCurlength));
    m_sliderBar->setValue(float(m_dCurrentTime));
}

QString MTPreviewPlayerViewCtl::playedText(double v)
{
    const int s = int(v);
    return QString::asprintf("%02d:%02d:%02d", s / 3600, (s / 60) % 60, s % 60);
}

QString MTPreviewPlayerViewCtl::remainedText(double duration, double v)
{
    const int r = int(duration - int(v));
    if (r <= 0)
        return QStringLiteral("00:00:00");
    return QString::asprintf("-%02d:%02d:%02d", r / 3600, (r / 60) % 60, r % 60);
}

QString MTPreviewPlayerViewCtl::timeText(double t)
{
    if (!(t > 0))
        return QStringLiteral("00:00:00");
    if (t <= 1)
        return QStringLiteral("00:00:01");
    const int s = int(t + 0.5);
    return QString::asprintf("%02d:%02d:%02d", s / 3600, (s / 60) % 60, s % 60);
}

void MTPreviewPlayerViewCtl::setImmediateTimes(double played)
{
    m_txtPlayedTime->setText(timeText(played));
    m_txtRemainedTime->setText(QStringLiteral("-%1").arg(timeText(m_dCurlength - played)));
}

void MTPreviewPlayerViewCtl::synchronousTimeText()
{
    m_txtPlayedTime->setText(playedText(m_sliderBar->value()));
    m_txtRemainedTime->setText(remainedText(m_dCurlength, m_sliderBar->value()));
}

void MTPreviewPlayerViewCtl::synchronousTitleText()
{
    QString name;
    if (m_mediaIndex >= 0 && m_mediaIndex < m_mediaList.size() && m_mediaList.at(m_mediaIndex))
        name = QFileInfo(m_mediaList.at(m_mediaIndex)->filePath()).fileName();
    m_lblMediaTitle->setText(m_lblMediaTitle->fontMetrics().elidedText(name, Qt::ElideMiddle, m_lblMediaTitle->width()));
    m_lblMediaTitle->setToolTip(name);
}

QAbstractButton *MTPreviewPlayerViewCtl::playAndPauseButton() const
{
    return m_btnPlayAndPauseMedia;
}

QImage MTPreviewPlayerViewCtl::lastFrame() const
{
    return m_lastFrameView->isHidden() ? QImage() : m_lastFrameView->image();
}

QString MTPreviewPlayerViewCtl::playedTimeText() const
{
    return m_txtPlayedTime->text();
}

QString MTPreviewPlayerViewCtl::remainedTimeText() const
{
    return m_txtRemainedTime->text();
}

QString MTPreviewPlayerViewCtl::titleText() const
{
    return m_lblMediaTitle->toolTip();
}

float MTPreviewPlayerViewCtl::initialVolume(const QVariant &stored)
{
    bool ok = false;
    const float v = stored.toFloat(&ok);
    return ok && v >= 1 && v <= 100 ? v : 50.0f;
}

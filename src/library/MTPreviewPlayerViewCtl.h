#pragma once

#include "library/MTPlayerButton.h"
#include "library/MTPlayerImageView.h"
#include "library/PlaySliderBar.h"
#include "library/SoundSlider.h"
#include "library/SubtitleSettingWndCtr.h"
#include "media/QVUltraPlayerDelegate.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class DownloadedItem;
class QAbstractButton;
class ImageView;
class MGHoverButton;
class QLabel;
class QTimer;
class QVUltraPlayer;

// The body of the preview player: picture, title, control bar with the seek and volume
// sliders, and the play list with its current index. One QVUltraPlayer per opened file.
// Play modes: 0 play item once, 1 repeat item, 2 play list once. Status: 0 playing, 1 paused,
// 2 stopped; buttons never set it, the player's callbacks do.
class MTPreviewPlayerViewCtl : public QWidget,
                               public QVUltraPlayerDelegate,
                               public MTPlayerImageViewDelegate,
                               public PlaySliderBarDelegate,
                               public SoundSliderDelegate,
                               public MTPlayerButtonDelegate,
                               public SubtitleSettingWndCtrDelegate
{
    Q_OBJECT
public:
    using ItemList = QList<std::shared_ptr<DownloadedItem>>;
    enum Status { Playing = 0, Paused = 1, Stopped = 2 };
    static constexpr int TitleHeight = 24;
    static constexpr int BarHeight = 70;

    explicit MTPreviewPlayerViewCtl(QWidget *parent = nullptr);
    ~MTPreviewPlayerViewCtl() override;

    // Called by the window.
    void setMediaListWithDownloadedItems(const ItemList &items, int index);
    void changedMediaListWithNewSortDownloadedItems(const ItemList &items);
    void clickPlayAndPauseMediaBtn();
    void playNext();
    void playPreview();
    void playForward();
    void playRewind();
    void setPlayMode(int mode);
    int playMode() const { return m_mtPreviewPlayerPlayMode; }
    void clickFullScreenBtn();
    void stop();
    bool isInFullScreen() const { return m_isInFullScreen; }
    void setIsInFullScreen(bool on);
    int mtPlayStatus() const { return m_mtPlayStatus; }
    void upDataFrameSizeWithRect(const QRect &frame);
    void setMediaSizeWithWidth(qreal width, qreal height);
    QSizeF mediaSize() const { return m_mediaSize; }

    // Actions of the controls.
    void clickPreviousAndRewindBtn();
    void clickNextAndFastForwardBtn();
    void clickPlayModeBtn();
    void clickScreenShotBtn();
    void clickMinVolumeBtn();
    void clickMaxVolumeBtn();
    void clickSubtitleSettingBtn();

    void play();
    void pause();
    void resume();
    void seek(double seconds);
    // Writes a snapshot of the current item; the path written, empty when none was.
    QString screenShot();
    void closeSubtitleWindow();
    void setSubtitleBtnState(bool on);
    void updateWindowTiltle();

    // Choice of files (a file counts when it exists on disk).
    QString getPlayPathForCurrentIndex();
    QString getNextForOrderMode();
    QString getNextPlayPath();
    QString getPreviewPlayPath();
    int mediaIndex() const { return m_mediaIndex; }
    ItemList mediaList() const { return m_mediaList; }

    // Pure rules, shared with tests.
    static float initialVolume(const QVariant &stored);
    static QString snapshotPath(const QString &folder, const QString &name);
    static QString timeText(double seconds);  // "%02d:%02d:%02d", rounded, 0 < t <= 1 gives 1 s
    static QString playedText(double sliderValue);
    static QString remainedText(double duration, double sliderValue);
    // Where snapshots go; set at start-up from the converter's snapshot folder.
    static void setSnapshotFolder(const QString &folder);
    static QString snapshotFolder();

    QVUltraPlayer *player() const { return m_player; }
    PlaySliderBar *sliderBar() const { return m_sliderBar; }
    SoundSlider *soundSlider() const { return m_soundSlider; }
    QAbstractButton *playAndPauseButton() const;
    MTPlayerButton *previousButton() const { return m_btnPlayPreviousAndRewind; }
    MTPlayerButton *nextButton() const { return m_btnPlayNextAndFastForward; }
    MTPlayerImageView *controlBar() const { return m_viewPlayerCtlPlace; }
    SubtitleSettingWndCtr *subtitleWndCtr() const { return m_subtitleWndCtr; }
    // The last frame of an item that ended, shown until another file opens; null when none.
    QImage lastFrame() const;
    QString playedTimeText() const;
    QString remainedTimeText() const;
    QString titleText() const;
    // Why nothing plays (a file that cannot be played, a player that cannot start); empty
    // while playing works.
    QString playMessageText() const;
    bool subtitleButtonOn() const { return m_subtitleOn; }
    double duration() const { return m_dCurlength; }

    // QVUltraPlayerDelegate
    void mediaPlayDidStarted() override;
    void mediaPlayDidPause() override;
    void mediaPlayDidResume() override;
    void mediaPlayDidProgress(double seconds) override;
    void mediaPlayDidStoped() override;
    void mediaPlayDidEnd() override;
    void mediaPlayDidError(const QString &error) override;
    // MTPlayerImageViewDelegate
    void mtMouseEnteredPlayerImageView() override;
    void mtMouseExitedPlayerImageView() override;
    // PlaySliderBarDelegate
    void playSliderBarDidStartDragging(PlaySliderBar *slider) override;
    void playSliderBarDidChangeValue(PlaySliderBar *slider, float value) override;
    void playSliderBarDidStopDragging(PlaySliderBar *slider) override;
    // SoundSliderDelegate
    void volumeDidChanged(float volume) override;
    // MTPlayerButtonDelegate
    void mtPlayerBtnStartLongPress(MTPlayerButton *button) override;
    void mtPlayerBtnStopLongPress(MTPlayerButton *button) override;
    // SubtitleSettingWndCtrDelegate
    void settingWndCtrDidChangeStatus(SubtitleSettingWndCtr *ctr, bool on) override;
    void settingWndCtrDidModified(SubtitleSettingWndCtr *ctr) override;

signals:
    // A file was handed to a new player.
    void fileOpened(const QString &path);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void loadImages();
    void creatPlayerSliderBar();
    void initStatus();
    void layoutControls();
    void initPlayerWithFilePath(const QString &path);
    QRect pictureRect() const;
    void placePlayView();
    void playerDidOpen();
    void releaseCurrentPlayer();
    void initPlayParam();
    void endOfItem(bool failed);
    void showPlayMessage(const QString &text);
    void applySubtitles();
    void applySubtitleStyle();
    QString validSubtitlePath() const;
    void showPlayerControl();
    void hidePlayerControl();
    void restartHideTimer();
    void setImmediateTimes(double played);
    bool fileExistsAt(int index) const;
    void storeVolume(float volume);

    void synchronousStatusUI();
    void synchronousSlider();
    void synchronousTimeText();
    void synchronousTitleText();
    void synchronousFullScreenButton();

    MTPlayerImageView *m_viewPlayerCtlPlace = nullptr;
    QWidget *m_viewSliderBarPlace = nullptr;
    ImageView *m_viewMediaTitle = nullptr;
    ImageView *m_lastFrameView = nullptr;
    MTPlayerButton *m_btnPlayPreviousAndRewind = nullptr;
    MGHoverButton *m_btnPlayAndPauseMedia = nullptr;
    MTPlayerButton *m_btnPlayNextAndFastForward = nullptr;
    MGHoverButton *m_btnPlayMode = nullptr;
    MGHoverButton *m_btnScreenShot = nullptr;
    MGHoverButton *m_btnFullScreen = nullptr;
    SoundSlider *m_soundSlider = nullptr;
    MGHoverButton *m_minVolumeBtn = nullptr;
    MGHoverButton *m_maxVolumeBtn = nullptr;
    QLabel *m_txtPlayedTime = nullptr;
    QLabel *m_txtRemainedTime = nullptr;
    QLabel *m_lblMediaTitle = nullptr;
    QLabel *m_lblPlayMessage = nullptr;
    double m_dCurrentTime = 0;
    PlaySliderBar *m_sliderBar = nullptr;
    QRect m_oldRect;
    bool m_isInFullScreen = false;
    QPoint m_mousePoint;
    bool m_bHidePlayerControl = false;
    bool m_bMouseEnterPlayerImageView = false;
    QTimer *m_hidePlayerControlTimer = nullptr;
    QSizeF m_mediaSize;
    ItemList m_mediaList;
    int m_mediaIndex = -1;
    int m_mtPreviewPlayerPlayMode = 0;
    QVUltraPlayer *m_player = nullptr;
    int m_mtPlayStatus = Stopped;
    bool m_restoreStatusIsPlaying = false;
    double m_dCurlength = 0;
    QTimer *m_playerBtnPressTimer = nullptr;
    MGHoverButton *m_btnSubtitle = nullptr;
    bool m_subtitleOn = false;
    SubtitleSettingWndCtr *m_subtitleWndCtr = nullptr;
    int m_nextTries = 0;
    int m_previousTries = 0;
};

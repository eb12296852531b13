#pragma once

#include "controls/MGHoverButton.h"

#include <QPointer>
#include <QWidget>

// Receives the presses of a finished row's action bar.
class DownloadedActionDelegate
{
public:
    virtual ~DownloadedActionDelegate() = default;
    // type: DownloadedActionViewCtrl::ActionType.
    virtual void downloadedActionChangedWithType(int type) = 0;
};

// The pause button of the action bar. A double click is swallowed whole (the second press and
// its release reach no button), so a fast second click can neither pause and resume at once
// nor land on another control.
class PauseConverterButton : public MGHoverButton
{
    Q_OBJECT
public:
    explicit PauseConverterButton(QWidget *parent = nullptr);
    bool ignoresMultiClick() const { return m_ignoresMultiClick; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_ignoresMultiClick = false;
    bool m_swallowRelease = false;
};

// The hover bar at the right edge of a finished-media row (library, converter, record and
// transfer lists): delete, convert, transfer, and pause/resume and stop for a running job. The
// list page keeps one bar and moves it from row to row; the row it sits on is its delegate.
// The display modes set only whether delete, convert and transfer are shown; pause and stop
// are left as they are.
class DownloadedActionViewCtrl : public QWidget
{
    Q_OBJECT
public:
    enum ActionType { Delete = 1, Convert = 2, Transfer = 3, Resume = 4, Pause = 5, Stop = 6 };
    enum DisplayMode {
        ModeNone = 0,          // as built: every button hidden
        ModeDownloaded,        // displayWithDownloaed: delete, convert, transfer
        ModeOnlyDelete,        // displayWithOnlyDelete: delete
        ModeConverter,         // displayWithConverter: delete
        ModeConverterFinish,   // displayWithConverterFinish: delete, transfer
        ModeConvertering,      // displayWithConvertering: none of the three
    };

    static constexpr int Width = 270;
    static constexpr int Height = 81;
    static constexpr int CollapsedHeaderHeight = 117;

    explicit DownloadedActionViewCtrl(QWidget *parent = nullptr);
    ~DownloadedActionViewCtrl() override;

    // The bar's own view (it is one).
    QWidget *view() { return this; }

    DownloadedActionDelegate *delegate() const { return m_delegate; }
    void setDelegate(DownloadedActionDelegate *delegate) { m_delegate = delegate; }

    void displayWithDownloaed();
    void displayWithOnlyDelete();
    void displayWithConverter();
    void displayWithConverterFinish();
    void displayWithConvertering();
    DisplayMode displayMode() const { return m_displayMode; }

    // The pause button as a pause button (pauseConverter) or as a resume button (resumeConverter).
    void setPauseAction();
    void setStartAction();
    bool isPauseButtonPausing() const { return m_pauseButtonPausing; }
    // Whether the pause and stop buttons take part (rows with a running job show them).
    void setTaskButtonsVisible(bool visible);

    // Presses (the buttons call these).
    void clickDelete();
    void clickConverter();
    void clickTransfer();
    void clickStopConverter();
    void pauseConverter();
    void resumeConverter();

    MGHoverButton *deleteButton() const { return m_deleteButton; }
    MGHoverButton *converterButton() const { return m_converterButton; }
    MGHoverButton *transferButton() const { return m_transferButton; }
    PauseConverterButton *pauseButton() const { return m_pauseButton; }
    MGHoverButton *deleteConverterButton() const { return m_deleteConverterButton; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void setModeButtons(DisplayMode mode, bool del, bool convert, bool transfer);
    void send(int type);
    void layoutButtons();

    MGHoverButton *m_deleteButton = nullptr;
    MGHoverButton *m_converterButton = nullptr;
    MGHoverButton *m_transferButton = nullptr;
    PauseConverterButton *m_pauseButton = nullptr;
    MGHoverButton *m_deleteConverterButton = nullptr;
    DownloadedActionDelegate *m_delegate = nullptr;
    DisplayMode m_displayMode = ModeNone;
    bool m_pauseButtonPausing = true;
};

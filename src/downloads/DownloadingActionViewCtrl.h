#pragma once

#include <QWidget>

#include <functional>

class MGHoverButton;

// The action buttons laid over the running row under the pointer: one view shared by all rows.
// Each button tells the delegate its code: 1 delete, 2 pause, 3 retry, 4 resume, 5 stop.
class DownloadingActionViewCtrl : public QWidget
{
    Q_OBJECT
public:
    enum ActionType { Delete = 1, Pause = 2, Retry = 3, Resume = 4, Stop = 5 };
    using Delegate = std::function<void(int type)>;

    explicit DownloadingActionViewCtrl(QWidget *parent = nullptr);

    void setButtonStateWithTaskState(int status);
    void displayWithReelgrabTask();
    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }
    bool hasDelegate() const { return bool(m_delegate); }

    MGHoverButton *button(ActionType type) const;

    static constexpr int Width = 270;

private:
    MGHoverButton *makeButton(ActionType type, const QString &normal, const QString &alternate, const QString &tip);
    void layoutButtons();

    MGHoverButton *m_deleteButton = nullptr;
    MGHoverButton *m_pauseButton = nullptr;
    MGHoverButton *m_retryButton = nullptr;
    MGHoverButton *m_resumeButton = nullptr;
    MGHoverButton *m_stopButton = nullptr;
    Delegate m_delegate;
};

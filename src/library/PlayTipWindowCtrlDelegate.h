#pragma once

class QWidget;

// Told how the question before a playback was answered; both have empty defaults.
class PlayTipWindowCtrlDelegate
{
public:
    virtual ~PlayTipWindowCtrlDelegate() = default;
    virtual void cancelWillEndPlay(QWidget *window) { (void)window; }
    virtual void resumeWillPlay(QWidget *window) { (void)window; }
};

#pragma once

#include <QDialog>

class MGCheckButton;
class MGHoverButton;
class PlayTipWindowCtrlDelegate;
class QLabel;

// A question before a playback: a tip, a "Don't show this again" box, Cancel and Play. Each
// button ends the modal run, takes the window off the screen and then tells the delegate.
// The result of exec() is Rejected for Cancel (and Escape), Accepted for Play.
class PlayTipWindowCtrl : public QDialog
{
    Q_OBJECT
public:
    explicit PlayTipWindowCtrl(QWidget *parent = nullptr);
    ~PlayTipWindowCtrl() override;

    QLabel *lblTip() const { return m_lblTip; }
    MGCheckButton *checkBtn() const { return m_checkBtn; }
    MGHoverButton *cancelBtn() const { return m_cancelBtn; }
    MGHoverButton *playBtn() const { return m_playBtn; }
    PlayTipWindowCtrlDelegate *delegate() const { return m_delegate; }
    void setDelegate(PlayTipWindowCtrlDelegate *delegate) { m_delegate = delegate; }

    void cancelOpration();
    void playOpration();

protected:
    void reject() override;

private:
    QLabel *m_lblTip;
    MGCheckButton *m_checkBtn;
    MGHoverButton *m_cancelBtn;
    MGHoverButton *m_playBtn;
    PlayTipWindowCtrlDelegate *m_delegate = nullptr;
    bool m_ending = false;
};

#pragma once

#include <QWidget>

class MGHoverButton;
class QLabel;
class QTimer;
class ThinProgressView;

// The connection flow's view while a device connects: the device and the computer with dots
// flowing between them, and a thin bar that fills as the connection goes on. One 50 ms timer
// drives both; it runs only between startConnectAnimation and stopConnectAnimation.
class ConnectingViewCtrl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int FrameCount = 47;
    static constexpr int TicksToFull = 130;
    static constexpr int TickMs = 50;

    explicit ConnectingViewCtrl(QWidget *parent = nullptr);

    // Main thread only.
    void startConnectAnimation();
    void stopConnectAnimation();
    bool isAnimating() const;
    void tick();
    // Reporting a device that will not connect is not offered yet: says so in a box.
    void reportDevicesClick();
    MGHoverButton *reportDevicesButton() const { return m_reportDevicesButton; }

    int frameCounter() const { return m_frame; }
    int ticks() const { return m_ticks; }
    ThinProgressView *progressView() const { return m_progress; }
    // "connecting-NN": the frame shown for a counter value.
    static QString frameName(int counter);

private:
    void showFrame(int counter);

    QLabel *m_animation = nullptr;
    ThinProgressView *m_progress = nullptr;
    MGHoverButton *m_reportDevicesButton = nullptr;
    QTimer *m_timer = nullptr;
    int m_frame = 0;
    int m_ticks = 0;
};

#pragma once

#include <QDialog>

class MGHoverButton;
class QLabel;
class QTimer;

// The "Turbo mode" window shown before download speed-up is switched on: plays its frame
// animation once (20 frames a second), then lets the user press "Turn on".
class TurboAminWindowCtrl : public QDialog
{
    Q_OBJECT
public:
    explicit TurboAminWindowCtrl(QWidget *parent = nullptr);

    // Centred on the rectangle (screen coordinates; a null one centres on the screen); answers
    // 1 when "Turn on" was pressed, 0 when the window was closed.
    int showTurboWindow(const QRect &around);
    // Starts the animation without running modally.
    void startAnimation(const QRect &around);
    void updateConnectingImage();
    void clickTurbo();

    int imageIndex() const { return m_imageIndex; }
    bool isTurnOnEnabled() const;
    bool isAnimating() const;
    MGHoverButton *turnOnButton() const { return m_turnonBtn; }

    static constexpr int FirstFrame = 2;
    static constexpr int LastFrame = 43;

private:
    QLabel *m_lblWindowTitle = nullptr;
    MGHoverButton *m_turnonBtn = nullptr;
    QLabel *m_aminImageView = nullptr;
    int m_imageIndex = FirstFrame;
    QTimer *m_connectTimer = nullptr;
};

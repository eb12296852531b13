#pragma once

#include <QComboBox>
#include <QStringList>

// The converter's pop-up button: drawn from the three-part pictures that start-up cuts from the
// "MainWnd" sheet ("VCPopupBtnLeftN", "VCPopupBtnFillN", "VCPopupBtnRightN" and the pressed
// "…P" ones), dark text, grey while disabled. Always the small control size.
class VCPopUpButton : public QComboBox
{
    Q_OBJECT
public:
    explicit VCPopUpButton(QWidget *parent = nullptr);

    // Draw the pressed pictures even at rest.
    bool bUsePushDownImage() const { return m_bUsePushDownImage; }
    void setBUsePushDownImage(bool on);
    // A pull-down button (a menu of commands) gets its own right cap.
    bool pullsDown() const { return m_pullsDown; }
    void setPullsDown(bool on);

    // The pictures (left cap, fill, right cap) for a state.
    static QStringList bezelImageNames(bool highlighted, bool usePushDownImage, bool pullsDown);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_bUsePushDownImage = false;
    bool m_pullsDown = false;
};

#pragma once

#include <QWidget>

class MGHoverButton;

// What the failed view asks of its owner.
class ConnectFailedDelegate
{
public:
    virtual ~ConnectFailedDelegate() = default;
    virtual void reconnectDevice() {}
    virtual void switchDevice() {}
};

// The connection flow's view when a device did not connect: one panel per reason.
class ConnectFailedViewCtrl : public QWidget
{
    Q_OBJECT
public:
    // ConnectFailedViewType.
    enum Type { General = 0, AndroidAuthorization = 1, Asleep = 2, IOSPasscode = 3, IOSTrust = 4 };

    explicit ConnectFailedViewCtrl(QWidget *parent = nullptr);

    void setDelegate(ConnectFailedDelegate *delegate) { m_delegate = delegate; }
    ConnectFailedDelegate *delegate() const { return m_delegate; }
    // Empties the view and shows the panel of the type (anything unknown: the general one).
    void swithViewWithType(int type);
    int type() const { return m_type; }
    // The panel's button ("Reconnect", "Next", "Retry"); null on the asleep panel.
    MGHoverButton *actionButton() const { return m_button; }

    void clickReconnect();
    void clickSwitch();

private:
    ConnectFailedDelegate *m_delegate = nullptr;
    QWidget *m_panel = nullptr;
    MGHoverButton *m_button = nullptr;
    int m_type = -1;
};

#pragma once

#include "controls/TargetAction.h"

#include <QWidget>

// A view that sends its target an action when the mouse is released inside it. A view made in
// code starts disabled; placing it on a page (awakeFromNib) enables it.
class ActionView : public QWidget
{
    Q_OBJECT
public:
    explicit ActionView(QWidget *parent = nullptr);

    QObject *target() const { return m_action.target(); }
    void setTarget(QObject *target) { m_action = TargetAction(target, m_action.method()); }
    QByteArray clickAction() const { return m_action.method(); }
    void setClickAction(const char *method) { m_action = TargetAction(m_action.target(), method); }
    bool isEnabled() const { return m_isEnabled; }
    void setIsEnabled(bool enabled);
    virtual void awakeFromNib();

protected:
    // Sends the action when target and action are set; false when nothing was sent.
    bool sendClickAction();
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    TargetAction m_action;
    bool m_isEnabled = false;
};

#pragma once

#include "controls/TargetAction.h"

#include <QLabel>

// A caption that sends an action on a single click.
class FNClickTextField : public QLabel
{
    Q_OBJECT
public:
    explicit FNClickTextField(QWidget *parent = nullptr);
    void setClickTarget(QObject *target, const char *method) { m_click = TargetAction(target, method); }
    bool enableClick() const { return m_enableClick; }
    void setEnableClick(bool on) { m_enableClick = on; }
    void setStringValue(const QString &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    TargetAction m_click;
    bool m_enableClick = true;
};

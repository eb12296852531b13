#pragma once

#include "controls/TargetAction.h"

#include <QLabel>
#include <QUrl>

// A blue link that opens its address on mouse-up (or sends its action when it has one).
class URLLabel : public QLabel
{
    Q_OBJECT
public:
    explicit URLLabel(QWidget *parent = nullptr);
    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url) { m_url = url; }
    void setTargetAction(QObject *target, const char *method) { m_action = TargetAction(target, method); }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QUrl m_url;
    TargetAction m_action;
};

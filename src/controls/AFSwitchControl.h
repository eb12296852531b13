#pragma once

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>

class QPropertyAnimation;
class UserDefaults;

// An on/off switch drawn from two pictures. Its value lives under a user-defaults key when
// bound (bind()), else in the control itself. A delegate may take over switching on.
class AFSwitchControl : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal offset READ offset WRITE setOffset)
public:
    // Delegate calls; a call that is not set counts as not answered.
    struct Delegate
    {
        std::function<void(AFSwitchControl *)> switchWillChangeStatus;
        std::function<void(AFSwitchControl *)> switchChangedStatus;
    };

    explicit AFSwitchControl(QWidget *parent = nullptr);
    ~AFSwitchControl() override;

    // Binds the value to key of defaults (replacing an earlier binding).
    void bind(UserDefaults *defaults, const QString &key);
    void unbind();
    bool isBound() const { return !m_defaults.isNull(); }
    QString boundKey() const { return m_key; }

    int state() const;
    void setState(int state);

    void setDelegate(const Delegate &delegate) { m_delegate = delegate; }

    qreal offset() const { return m_offset; }
    void setOffset(qreal offset);

    QSize sizeHint() const override { return QSize(44, 24); }

signals:
    void stateChanged(int state);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void valueChangedElsewhere();
    void animateOffsetTo(qreal target);

    QPointer<UserDefaults> m_defaults;
    QString m_key;
    QMetaObject::Connection m_observer;
    QVariant m_unboundValue;  // "AFUnboundValue"
    qreal m_offset = 0;
    Delegate m_delegate;
    QPropertyAnimation *m_animation = nullptr;

    // Knob tracking.
    bool m_tracking = false;
    bool m_dragged = false;
    bool m_highlighted = false;
    qreal m_grabDelta = 0;  // click point minus knob centre
};

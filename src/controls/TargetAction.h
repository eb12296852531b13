#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

// A target (not owned) and the name of a method it may answer, like a control's action.
// The method is called with the sender as its one QObject* argument when it takes one,
// else with none. Nothing happens when the target is gone or does not answer the method.
class TargetAction
{
public:
    TargetAction() = default;
    TargetAction(QObject *target, const char *method) : m_target(target), m_method(method) {}

    bool isSet() const { return m_target && !m_method.isEmpty(); }
    bool answers() const;
    bool send(QObject *sender) const;
    QObject *target() const { return m_target; }
    QByteArray method() const { return m_method; }

private:
    QPointer<QObject> m_target;
    QByteArray m_method;
};

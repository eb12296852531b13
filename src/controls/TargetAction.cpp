#include "controls/TargetAction.h"

#include <QMetaMethod>

namespace {
int methodIndex(const QObject *target, const QByteArray &name, bool *withSender)
{
    const QMetaObject *mo = target->metaObject();
    for (int i = mo->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod m = mo->method(i);
        if (m.name() != name)
            continue;
        if (m.parameterCount() == 1 && m.parameterType(0) == QMetaType::QObjectStar) {
            *withSender = true;
            return i;
        }
        if (m.parameterCount() == 0) {
            *withSender = false;
            return i;
        }
    }
    return -1;
}
} // namespace

bool TargetAction::answers() const
{
    bool withSender = false;
    return isSet() && methodIndex(m_target, m_method, &withSender) >= 0;
}

bool TargetAction::send(QObject *sender) const
{
    if (!isSet())
        return false;
    bool withSender = false;
    const int index = methodIndex(m_target, m_method, &withSender);
    if (index < 0)
        return false;
    const QMetaMethod m = m_target->metaObject()->method(index);
    return withSender ? m.invoke(m_target, Qt::DirectConnection, Q_ARG(QObject *, sender))
                      : m.invoke(m_target, Qt::DirectConnection);
}

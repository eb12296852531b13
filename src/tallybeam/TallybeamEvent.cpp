#include "tallybeam/TallybeamEvent.h"

#include <QStringList>

std::shared_ptr<TallybeamEvent> TallybeamEvent::tallybeamEventWithCategory(const QString &category, const QString &action)
{
    return std::make_shared<TallybeamEvent>(category, action);
}

TallybeamEvent::TallybeamEvent(const QString &category, const QString &action) : m_category(category), m_action(action)
{
}

QString TallybeamEvent::querystring() const
{
    QStringList pairs {QStringLiteral("t=event"), QStringLiteral("ec=") + urlEncode(m_category),
                       QStringLiteral("ea=") + urlEncode(m_action)};
    if (m_label)
        pairs.append(QStringLiteral("el=") + urlEncode(*m_label));
    pairs.append(QStringLiteral("ev=%1").arg(m_value));
    return pairs.join(QLatin1Char('&'));
}

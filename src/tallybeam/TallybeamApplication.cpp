#include "tallybeam/TallybeamApplication.h"

#include <QStringList>

std::shared_ptr<TallybeamApplication> TallybeamApplication::tallybeamApplicationWithApplicationName(const QString &name)
{
    return std::make_shared<TallybeamApplication>(name);
}

TallybeamApplication::TallybeamApplication(const QString &applicationName) : m_applicationName(applicationName) {}

QString TallybeamApplication::querystring() const
{
    QStringList pairs {QStringLiteral("t=screenview"), QStringLiteral("an=") + urlEncode(m_applicationName)};
    if (m_applicationId)
        pairs.append(QStringLiteral("aid=") + urlEncode(*m_applicationId));
    if (m_applicationVersion)
        pairs.append(QStringLiteral("av=") + urlEncode(*m_applicationVersion));
    return pairs.join(QLatin1Char('&'));
}

#pragma once

#include "tallybeam/TallybeamObject.h"

#include <memory>
#include <optional>

// A screen-view hit of an application, with its id and version when set.
class TALLYBEAM_EXPORT TallybeamApplication : public TallybeamObject
{
public:
    static std::shared_ptr<TallybeamApplication> tallybeamApplicationWithApplicationName(const QString &name);
    explicit TallybeamApplication(const QString &applicationName);

    QString applicationName() const { return m_applicationName; }
    std::optional<QString> applicationId() const { return m_applicationId; }
    void setApplicationId(const QString &id) { m_applicationId = id; }
    std::optional<QString> applicationVersion() const { return m_applicationVersion; }
    void setApplicationVersion(const QString &version) { m_applicationVersion = version; }

    // "t=screenview&an=…[&aid=…][&av=…]".
    QString querystring() const override;

private:
    QString m_applicationName;
    std::optional<QString> m_applicationId;
    std::optional<QString> m_applicationVersion;
};

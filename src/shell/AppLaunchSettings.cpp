#include "shell/AppLaunchSettings.h"

#include "outside/updater/SUUpdater.h"
#include "platform/UserDefaults.h"
#include "shell/GolobFun.h"

namespace {

bool disableUpdate(const QVariantMap &info)
{
    return UserDefaults::toBool(info.value(QStringLiteral("DisableUpdate")));
}

} // namespace

void AppLaunchSettings::registerAndImport(UserDefaults &defaults, const QVariantMap &info)
{
    defaults.registerDefaults(GolobFun::defaultValues());
    if (!defaults.boolForKey(QStringLiteral("hasImportPlist"))) {
        GolobFun::importPlist();
        defaults.setBool(QStringLiteral("hasImportPlist"), true);
    }
    normalizeFirstStartPID(defaults, info);
    defaults.synchronize();
}

void AppLaunchSettings::normalizeFirstStartPID(UserDefaults &defaults, const QVariantMap &info)
{
    const QString key = QStringLiteral("FirstStartPID");
    if (!defaults.hasUserValue(key))
        return;
    const QString stored = defaults.stringForKey(key);
    if (stored == QLatin1String("389") || stored == QLatin1String("1461"))
        return;
    const QString pid = info.value(QStringLiteral("PID")).toString();
    defaults.setString(key, UserDefaults::toInteger(pid) == 563 ? pid : QStringLiteral("389"));
}

void AppLaunchSettings::applyWillFinishLaunching(UserDefaults &defaults, const QVariantMap &info, SUUpdater &updater)
{
    if (disableUpdate(info)) {
        updater.setAutomaticallyChecksForUpdates(false);
        defaults.setBool(QStringLiteral("DisableUpdate"), false);
    } else if (defaults.boolForKey(QStringLiteral("firstLaunch"))) {
        updater.setAutomaticallyChecksForUpdates(defaults.boolForKey(QStringLiteral("SUEnableAutomaticChecks")));
        updater.setUpdateCheckInterval(double(defaults.integerForKey(QStringLiteral("SUScheduledCheckInterval"))));
        defaults.setBool(QStringLiteral("firstLaunch"), false);
    }
    defaults.synchronize();
}

void AppLaunchSettings::applyDidFinishLaunching(UserDefaults &defaults, const QVariantMap &info, SUUpdater &updater)
{
    if (disableUpdate(info)) {
        updater.setAutomaticallyChecksForUpdates(false);
        defaults.setBool(QStringLiteral("SUEnableAutomaticChecks"), false);
        return;
    }
    updater.setAutomaticallyChecksForUpdates(defaults.boolForKey(QStringLiteral("SUEnableAutomaticChecks")));
    const double interval = defaults.doubleForKey(QStringLiteral("SUScheduledCheckInterval"));
    updater.setUpdateCheckInterval(interval > 0 ? interval : SUUpdater::DefaultInterval);
}

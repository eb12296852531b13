#pragma once

#include <QVariantMap>

class SUUpdater;
class UserDefaults;

// The settings work of the application's start-up, kept apart from the windows so it runs
// (and is tested) headless: defaults registration and import, the product identifier, and the
// updater settings of the two launch steps.
class AppLaunchSettings
{
public:
    // Registers GolobFun::defaultValues, runs the one-time import while "hasImportPlist" is
    // off, normalises "FirstStartPID" and synchronises.
    static void registerAndImport(UserDefaults &defaults, const QVariantMap &info);
    // "FirstStartPID": an unset value stays unset; "389" and "1461" stay; anything else becomes
    // the bundle's "PID" when that reads 563, else "389".
    static void normalizeFirstStartPID(UserDefaults &defaults, const QVariantMap &info);
    // Before launch: "DisableUpdate" in the bundle switches checks off (and stores
    // "DisableUpdate" = NO); else on the first launch the stored check settings are applied and
    // "firstLaunch" turns NO.
    static void applyWillFinishLaunching(UserDefaults &defaults, const QVariantMap &info, SUUpdater &updater);
    // After launch: the check settings on every start (interval > 0 or one week); with
    // "DisableUpdate" checks are off and "SUEnableAutomaticChecks" is stored NO.
    static void applyDidFinishLaunching(UserDefaults &defaults, const QVariantMap &info, SUUpdater &updater);
};

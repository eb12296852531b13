#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <functional>

// Folder, Info.plist and system helpers of the converter.

// True when a folder is at path afterwards; missing parents are made one level at a time.
bool MakeSureFolderExist(const QString &path);
// The main bundle's Info.plist value; invalid for an empty key.
QVariant ValueForKeyInInfoPlist(const QString &key);

// Asks the system to sleep ('slep') or shut down ('shut') through systemd-logind. 0 on
// success; errAEEventNotHandled for another code, errAEEventFailed when logind refuses.
constexpr int errAEEventNotHandled = -1708;
constexpr int errAEEventFailed = -10000;
constexpr uint32_t kAESleep = 0x736c6570;     // 'slep'
constexpr uint32_t kAEShutDown = 0x73687574;  // 'shut'
int SendAppleEventToSystemProcess(uint32_t eventID);
// Tests replace logind: the hook gets the login manager's method name and answers an error
// text (empty for success).
using SystemActionHook = std::function<QString(const QString &method)>;
void SetSystemActionHookForTesting(SystemActionHook hook);

// "OS Version", "CPU Type", "CPU SubType", "Computer Model", "CPU Number", "CPU Speed" (MHz),
// "Memory" (MB); a key is missing when the system does not tell.
QVariantMap GetSystemInfo();

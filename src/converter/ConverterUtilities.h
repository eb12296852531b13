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

// Asks the system to sleep ('slep') or shut down ('shut') through PowerService. 0 once the
// request is sent; errAEEventNotHandled for another code, errAEEventFailed when it cannot be sent.
constexpr int errAEEventNotHandled = -1708;
constexpr int errAEEventFailed = -10000;
constexpr uint32_t kAESleep = 0x736c6570;     // 'slep'
constexpr uint32_t kAEShutDown = 0x73687574;  // 'shut'
int SendAppleEventToSystemProcess(uint32_t eventID);

// "OS Version", "CPU Type", "CPU SubType", "Computer Model", "CPU Number", "CPU Speed" (MHz),
// "Memory" (MB); a key is missing when the system does not tell.
QVariantMap GetSystemInfo();

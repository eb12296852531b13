#pragma once

#include <QtGlobal>

// Numbers the device layer and its callers share; plain integers as stored and compared.

// What kind of target a device is (its deviceInfo().OSPlatform).
namespace DeviceTransferPlatform {
constexpr quint32 Android = 1;
constexpr quint32 iOS = 2;
constexpr quint32 Car = 48;
constexpr quint32 iTunes = 64;
constexpr quint32 Any = 80;
}

// IMobileDevice::connectionStatus(); any other value is a failure.
namespace DeviceConnectionStatus {
constexpr int ChargeOnly = 1;
constexpr int Connecting = 3;
constexpr int Connected = 4;
constexpr int Asleep = 5;
constexpr int WaitingForTrust = 6;  // authorisation on Android, trust on iOS
constexpr int WaitingForPasscode = 7;
constexpr int IPodDiskNotMounted = 9;
constexpr int Failed = 2;
}

// IMobileDevice::connectPrepareCheck(): 15 when every preparation step passed (on Android:
// USB debugging is on). A phone seen on USB without a debugging interface answers 1.
namespace DevicePrepareCheck {
constexpr int Ready = 15;
constexpr int DebuggingOff = 1;
}

// IAsyncTask::result() of a write: 0, 2 and 6 failed, 3 and 4 device outcomes, 5 ignore,
// anything else (1) done. A task may also end with no result at all.
namespace AsyncTaskResult {
constexpr int Failed = 0;
constexpr int Done = 1;
constexpr int Refused = 2;
constexpr int DeviceOutcome3 = 3;
constexpr int Cancelled = 4;
constexpr int Ignore = 5;
// The device made no progress for the stall time; the write was ended.
constexpr int Stalled = 6;
}

// ILoadable::syncState().
namespace DeviceSyncState {
constexpr int NotLoaded = 0;
constexpr int Loading = 1;
constexpr int Loaded = 2;
}

// IMediaManager::supportSyncMethods() bit of a manager that groups writes in transactions.
constexpr quint32 DeviceSyncMethodTransactions = 4;

// IMediaFolder::category() of the folder videos go into.
constexpr int DeviceVideoFolderCategory = 1;

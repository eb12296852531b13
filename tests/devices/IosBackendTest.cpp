// iOS through libimobiledevice: lockdown answers as connection statuses, and a store with no
// device behind it refuses everything.

#include "devices/DeviceTypes.h"
#include "devices/IosFileStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <libimobiledevice/lockdown.h>

namespace {

TEST(IosLockdown, HandshakeAnswersBecomeStatuses)
{
    struct Case { int error; int status; };
    const Case cases[] = {
        {LOCKDOWN_E_SUCCESS, DeviceConnectionStatus::Connected},
        {LOCKDOWN_E_PASSWORD_PROTECTED, DeviceConnectionStatus::WaitingForPasscode},
        {LOCKDOWN_E_PAIRING_DIALOG_RESPONSE_PENDING, DeviceConnectionStatus::WaitingForTrust},
        {LOCKDOWN_E_USER_DENIED_PAIRING, DeviceConnectionStatus::WaitingForTrust},
        {LOCKDOWN_E_INVALID_HOST_ID, DeviceConnectionStatus::WaitingForTrust},
        {LOCKDOWN_E_MUX_ERROR, DeviceConnectionStatus::Failed},
        {LOCKDOWN_E_SSL_ERROR, DeviceConnectionStatus::Failed},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IosFileStore::statusForLockdownError(c.error), c.status) << c.error;
}

TEST(IosStore, WithoutADeviceNothingIsReadOrWritten)
{
    IosFileStore store("00008030-000000000000001E");
    EXPECT_FALSE(store.canStartWrite());
    EXPECT_FALSE(store.readStorages().has_value());
    EXPECT_FALSE(store.stat("/Documents").has_value());
    QString error;
    EXPECT_FALSE(store.makePath("/Documents/Music", &error));
    QTemporaryDir dir;
    EXPECT_EQ(store.push(dir.filePath("none"), "/Documents/x.mp3", [](int) {}, [] { return false; }, &error),
              AsyncTaskResult::Failed);
    // Outside the sharing area is refused before any device is asked.
    EXPECT_EQ(store.push(dir.filePath("none"), "/var/mobile/x.mp3", [](int) {}, [] { return false; }, &error),
              AsyncTaskResult::Failed);
    EXPECT_TRUE(error.contains("outside"));
}

} // namespace

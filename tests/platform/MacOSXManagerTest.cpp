#include "platform/MacOSXManager.h"

#include <gtest/gtest.h>

// The test machine has no logind to talk to; the switch must then do nothing and hold nothing.
TEST(MacOSXManager, WithoutLogindIsAQuietNoOp)
{
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/fennix-test-bus");
    MacOSXManager manager;
    manager.enabledPowersave(false);
    EXPECT_FALSE(manager.isInhibiting());
    manager.enabledPowersave(true);
    manager.enabledPowersave(true);
    EXPECT_FALSE(manager.isInhibiting());
}

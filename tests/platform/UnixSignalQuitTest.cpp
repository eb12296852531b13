#include "platform/UnixSignalQuit.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>

TEST(UnixSignalQuit, TermAndIntQuitTheWayTheQuitCommandDoes)
{
    int quits = 0;
    UnixSignalQuit quitter([&quits] { ++quits; });
    ::raise(SIGTERM);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return quits == 1; }));
    EXPECT_EQ(quitter.lastSignal(), SIGTERM);
    ::raise(SIGINT);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return quits == 2; }));
    EXPECT_EQ(quitter.lastSignal(), SIGINT);
}

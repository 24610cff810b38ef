#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(ClockTest, InstalledClockIsCurrentUntilTheSystemClockIsRestored)
{
    Clock& system = Clock::Current();
    EXPECT_NE(dynamic_cast<SteadyClock*>(&system), nullptr);
    FakeClock fake(1000);
    Clock::Install(&fake);
    fake.Advance(250);
    EXPECT_EQ(Clock::Current().NowMs(), 1250u);
    fake.Set(5);
    EXPECT_EQ(Clock::Current().NowMs(), 5u);
    Clock::Install(nullptr);
    EXPECT_EQ(&Clock::Current(), &system);
    const std::uint64_t first = system.NowMs();
    EXPECT_LE(first, system.NowMs());
}

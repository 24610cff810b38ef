#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(ClockTest, InstalledClockIsCurrentUntilTheSystemClockIsRestored)
{
    Clock& system = Clock::Current();
    EXPECT_NE(dynamic_cast<SteadyClock*>(&system), nullptr);

    FakeClock fake(1000);
    Clock::Install(&fake);
    EXPECT_EQ(&Clock::Current(), &fake);
    EXPECT_EQ(Clock::Current().NowMs(), 1000u);
    fake.Advance(250);
    EXPECT_EQ(Clock::Current().NowMs(), 1250u);
    fake.Set(5);
    EXPECT_EQ(Clock::Current().NowMs(), 5u);

    Clock::Install(nullptr);
    EXPECT_EQ(&Clock::Current(), &system);
}

TEST(ClockTest, SystemClockNeverGoesBackwards)
{
    const std::uint64_t first = Clock::Current().NowMs();
    const std::uint64_t second = Clock::Current().NowMs();
    EXPECT_LE(first, second);
}

// A monotonic millisecond clock behind an interface, so that timer logic can be
// driven by a fake clock in tests (tests/support/FakeClock.h).
#pragma once

#include <cstdint>

class Clock
{
  public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed point; never goes backwards.
    virtual std::uint64_t NowMs() const = 0;

    // The clock the program uses; a test may install its own (null restores the system clock).
    static Clock& Current();
    static void Install(Clock* clock);
};

// The system's steady clock.
class SteadyClock : public Clock
{
  public:
    std::uint64_t NowMs() const override;
};

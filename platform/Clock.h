// A monotonic millisecond clock behind an interface, so that timer logic can be
// driven by a fake clock in tests.
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

// A clock that only moves when told to.
class FakeClock : public Clock
{
  public:
    explicit FakeClock(std::uint64_t start = 0) : m_now(start) {}
    std::uint64_t NowMs() const override { return m_now; }
    void Advance(std::uint64_t ms) { m_now += ms; }
    void Set(std::uint64_t ms) { m_now = ms; }

  private:
    std::uint64_t m_now;
};

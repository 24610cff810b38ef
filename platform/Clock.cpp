#include "Clock.h"

#include <atomic>
#include <chrono>

namespace
{
SteadyClock g_steadyClock;
std::atomic<Clock*> g_current{nullptr};
} // namespace

std::uint64_t SteadyClock::NowMs() const
{
    using namespace std::chrono;
    return std::uint64_t(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Clock& Clock::Current()
{
    Clock* c = g_current.load(std::memory_order_acquire);
    return c ? *c : g_steadyClock;
}

void Clock::Install(Clock* clock)
{
    g_current.store(clock, std::memory_order_release);
}

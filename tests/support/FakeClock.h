// A clock that only moves when told to.
#pragma once

#include "platform/Clock.h"

#include <cstdint>

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

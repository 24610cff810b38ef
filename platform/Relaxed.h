// A value that several threads may read and write at once without ordering anything
// else: each load and store is whole (a relaxed atomic), and the holder copies like the
// plain value. For state that drawing threads may set to the same value concurrently,
// such as an object's drawing colour.
#pragma once

#include <atomic>

template <typename T> class Relaxed
{
  public:
    Relaxed(T value = T()) : m_value(value) {}
    Relaxed(const Relaxed& other) : m_value(T(other)) {}
    Relaxed& operator=(const Relaxed& other)
    {
        *this = T(other);
        return *this;
    }
    Relaxed& operator=(T value)
    {
        m_value.store(value, std::memory_order_relaxed);
        return *this;
    }
    operator T() const { return m_value.load(std::memory_order_relaxed); }

  private:
    std::atomic<T> m_value;
};

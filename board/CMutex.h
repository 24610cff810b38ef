// The board's own lock: recursive, so the thread that holds it may take it again.
#pragma once

#include <mutex>

class CMutex
{
  public:
    CMutex() = default;
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;
    virtual ~CMutex() = default;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

  private:
    std::recursive_mutex m_mutex;
};

// Holds a CMutex for the lifetime of a scope.
class CMutexLock
{
  public:
    explicit CMutexLock(CMutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;
    ~CMutexLock() { m_mutex.Unlock(); }

  private:
    CMutex& m_mutex;
};

// Mutex that remembers its owner thread: Lock is skipped (answers false)
// when the calling thread already owns it, and Unlock does nothing unless
// the calling thread owns it. Never used on the real-time thread.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

class AAX_CMutex
{
public:
  AAX_CMutex() = default;
  AAX_CMutex(const AAX_CMutex&) = delete;
  AAX_CMutex& operator=(const AAX_CMutex&) = delete;

  // True when this call took the lock (and must be paired with Unlock).
  bool Lock();
  void Unlock();
  bool Try_Lock();

private:
  std::mutex mMutex;
  std::atomic<std::thread::id> mOwner{};
};

// Takes the lock for a scope unless this thread holds it already.
class AAX_StLock_Guard
{
public:
  explicit AAX_StLock_Guard(AAX_CMutex& mutex) : mMutex(mutex), mTaken(mutex.Lock()) {}
  ~AAX_StLock_Guard()
  {
    if (mTaken) mMutex.Unlock();
  }
  AAX_StLock_Guard(const AAX_StLock_Guard&) = delete;
  AAX_StLock_Guard& operator=(const AAX_StLock_Guard&) = delete;

private:
  AAX_CMutex& mMutex;
  bool mTaken;
};

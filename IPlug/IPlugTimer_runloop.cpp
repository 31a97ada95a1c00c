// The framework timer on systems without a thread message loop that delivers
// timer messages: a run loop that the process pumps on its user-interface
// thread through Timer::PumpAll.
#include "IPlugTimer.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace iplug
{

namespace
{

class Timer_impl;

// The process-wide timer list and its re-entrant lock.
struct TimerRegistry
{
  std::recursive_mutex mLock;
  std::vector<Timer_impl*> mTimers;
  uint64_t mNextID = 1;
  uint64_t mPumpGeneration = 0;
  bool mInTick = false; // guarded by mLock: ticks never overlap, not even by nesting
};

TimerRegistry& Registry()
{
  static TimerRegistry registry;
  return registry;
}

class Timer_impl final : public Timer
{
public:
  Timer_impl(ITimerFunction func, uint32_t intervalMs) : mFunc(std::move(func)), mIntervalMs(intervalMs)
  {
    TimerRegistry& r = Registry();
    std::lock_guard<std::recursive_mutex> lock(r.mLock);
    mID = r.mNextID++;
    mNextDue = NowMs() + mIntervalMs;
    r.mTimers.push_back(this);
  }

  ~Timer_impl() override
  {
    Stop();
    // The callable is released with the object.
  }

  void Stop() override
  {
    TimerRegistry& r = Registry();
    std::lock_guard<std::recursive_mutex> lock(r.mLock);
    if (mID == 0) return;
    r.mTimers.erase(std::remove(r.mTimers.begin(), r.mTimers.end(), this), r.mTimers.end());
    mID = 0;
  }

  ITimerFunction mFunc;
  uint32_t mIntervalMs;
  uint64_t mID = 0; // 0 when stopped
  uint64_t mNextDue = 0;
  uint64_t mLastGeneration = 0;
};

} // namespace

std::unique_ptr<Timer> Timer::Create(ITimerFunction func, uint32_t intervalMs)
{
  return std::make_unique<Timer_impl>(std::move(func), intervalMs);
}

int Timer::PumpAll(uint64_t nowMs)
{
  TimerRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> lock(r.mLock);
  if (r.mInTick) return 0; // entered again from inside a tick
  const uint64_t generation = ++r.mPumpGeneration;
  int ticks = 0;
  for (;;)
  {
    // Look the list up afresh after every tick: a tick may start or stop timers.
    Timer_impl* due = nullptr;
    for (Timer_impl* t : r.mTimers)
      if (t->mLastGeneration != generation && t->mNextDue <= nowMs)
      {
        due = t;
        break;
      }
    if (!due) break;
    due->mLastGeneration = generation;
    // One tick per pump however late the pump is, as timer messages coalesce.
    due->mNextDue += due->mIntervalMs;
    if (due->mNextDue <= nowMs) due->mNextDue = nowMs + due->mIntervalMs;
    // A copy, so that a tick that destroys its own timer does not destroy the
    // callable it is running.
    Timer::ITimerFunction func = due->mFunc;
    struct InTick
    {
      bool& flag;
      explicit InTick(bool& f) : flag(f) { flag = true; }
      ~InTick() { flag = false; }
    } inTick(r.mInTick);
    if (func) func(*due);
    ++ticks;
  }
  return ticks;
}

int Timer::NumRunning()
{
  TimerRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> lock(r.mLock);
  return static_cast<int>(r.mTimers.size());
}

} // namespace iplug

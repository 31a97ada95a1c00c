// The framework timer on Windows: thread timers created with SetTimer (no
// window, identifier 0) and one shared timer procedure, delivered by the
// message loop of the user-interface thread that started them.
#include "IPlugTimer.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace iplug
{

namespace
{

class Timer_impl;

// The process-wide timer list and its re-entrant lock (a critical section
// may be entered again by the thread that holds it).
struct TimerRegistry
{
  TimerRegistry() { InitializeCriticalSection(&mLock); }
  ~TimerRegistry() { DeleteCriticalSection(&mLock); }
  CRITICAL_SECTION mLock;
  std::vector<Timer_impl*> mTimers;
  bool mInTick = false; // guarded by mLock: ticks never overlap, not even by nesting
};

TimerRegistry& Registry()
{
  static TimerRegistry registry;
  return registry;
}

struct ScopedLock
{
  explicit ScopedLock(CRITICAL_SECTION& cs) : mCS(cs) { EnterCriticalSection(&mCS); }
  ~ScopedLock() { LeaveCriticalSection(&mCS); }
  CRITICAL_SECTION& mCS;
};

VOID CALLBACK TimerProc(HWND, UINT, UINT_PTR idEvent, DWORD);

class Timer_impl final : public Timer
{
public:
  Timer_impl(ITimerFunction func, uint32_t intervalMs) : mFunc(std::move(func)), mIntervalMs(intervalMs)
  {
    mID = SetTimer(NULL, 0, intervalMs, TimerProc);
    if (mID)
    {
      TimerRegistry& r = Registry();
      ScopedLock lock(r.mLock);
      r.mTimers.push_back(this);
    }
  }

  ~Timer_impl() override { Stop(); }

  void Stop() override
  {
    if (!mID) return;
    KillTimer(NULL, mID);
    TimerRegistry& r = Registry();
    ScopedLock lock(r.mLock);
    r.mTimers.erase(std::remove(r.mTimers.begin(), r.mTimers.end(), this), r.mTimers.end());
    mID = 0;
  }

  ITimerFunction mFunc;
  uint32_t mIntervalMs;
  UINT_PTR mID = 0; // 0 when stopped
};

VOID CALLBACK TimerProc(HWND, UINT, UINT_PTR idEvent, DWORD)
{
  TimerRegistry& r = Registry();
  ScopedLock lock(r.mLock);
  if (r.mInTick) return; // a nested message loop inside a tick: skip, never overlap
  for (Timer_impl* t : r.mTimers)
    if (t->mID == idEvent)
    {
      Timer::ITimerFunction func = t->mFunc;
      r.mInTick = true;
      if (func) func(*t);
      r.mInTick = false;
      return;
    }
}

} // namespace

std::unique_ptr<Timer> Timer::Create(ITimerFunction func, uint32_t intervalMs)
{
  return std::make_unique<Timer_impl>(std::move(func), intervalMs);
}

int Timer::PumpAll(uint64_t)
{
  // Thread timers post WM_TIMER to the calling thread; dispatching one calls
  // the timer procedure.
  int n = 0;
  MSG msg;
  while (PeekMessage(&msg, NULL, WM_TIMER, WM_TIMER, PM_REMOVE))
  {
    DispatchMessage(&msg);
    ++n;
  }
  return n;
}

int Timer::NumRunning()
{
  TimerRegistry& r = Registry();
  ScopedLock lock(r.mLock);
  return static_cast<int>(r.mTimers.size());
}

} // namespace iplug

// The framework timer: a callable run every period on the user-interface
// thread that created the timer.
//
// On Windows the operating system's timer messages drive it (SetTimer with no
// window and one shared timer procedure), delivered by the thread's message
// loop. Elsewhere there is no such loop: the process pumps the timers on its
// user-interface thread by calling Timer::PumpAll.
//
// Every started timer sits in one process-wide list guarded by one
// process-wide re-entrant lock. A tick runs with that lock held, so starting
// or stopping any timer from another thread waits for a running tick to end,
// while doing so from inside a tick on the same thread is allowed. Ticks of
// the timers never overlap.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace iplug
{

class Timer
{
public:
  using ITimerFunction = std::function<void(Timer&)>;

  virtual ~Timer() = default;
  // Stops the timer; no tick starts after it returns. Safe to call twice and
  // from inside the timer's own tick.
  virtual void Stop() = 0;

  // Starts a timer. If the operating system refuses it, the object exists but
  // never fires. The caller owns the result.
  static std::unique_ptr<Timer> Create(ITimerFunction func, uint32_t intervalMs);

  // Runs every timer that is due at nowMs (a monotonic millisecond clock) on
  // the calling thread, which must be the user-interface thread. A pump
  // entered again from inside a tick returns at once. Returns the number of
  // ticks run. On Windows, where the message loop drives the timers, this
  // dispatches the calling thread's pending timer messages instead and nowMs
  // is ignored.
  static int PumpAll(uint64_t nowMs);
  // The same with the current time of the monotonic clock.
  static int PumpAll();
  // Number of timers currently in the process-wide list.
  static int NumRunning();
  // The monotonic millisecond clock the timers are scheduled on.
  static uint64_t NowMs();
};

} // namespace iplug

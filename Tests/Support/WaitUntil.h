// Waiting for a condition in tests that drive a window, a display, Wine or a
// child process. Such a test waits for what it needs (a window mapped, a
// change printed, a process gone, audio rendered), never for a fixed time:
// on a loaded machine nothing happens within any particular time, so the
// only bound is a deadline generous enough never to be reached by a test that
// works (a failing one reports after it).
#pragma once

#include <chrono>
#include <thread>

namespace kestrine_test
{

// Seconds a test waits for one condition before it gives up. ctest's own
// limit for a whole test program is ten times this.
constexpr double kWaitDeadlineSeconds = 60.;

// Polls done until it holds or the deadline passes; answers whether it held
// (done is asked once more at the deadline). Between polls it runs step: the
// work that makes the condition come true on this thread (pumping a window's
// events, ticking a display clock); without one it sleeps pollMs
// milliseconds, for conditions another thread or process brings about.
template <typename Done, typename Step>
bool WaitUntil(Done&& done, Step&& step, int pollMs = 2, double deadlineSeconds = kWaitDeadlineSeconds)
{
  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(deadlineSeconds));
  while (!done())
  {
    if (Clock::now() >= end) return done();
    step();
    if (pollMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
  return true;
}

template <typename Done>
bool WaitUntil(Done&& done, int pollMs = 10, double deadlineSeconds = kWaitDeadlineSeconds)
{
  return WaitUntil(
      done, [] {}, pollMs, deadlineSeconds);
}

} // namespace kestrine_test

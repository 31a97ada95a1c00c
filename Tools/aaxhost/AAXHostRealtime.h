// The real-time probe: watches the render thread during a render call for
// allocation, deallocation, mutex locking and other blocking calls. The
// executable installs one on Linux (AAXHostInterpose_linux.cpp, which
// interposes those functions); elsewhere there is none and the check says so.
#pragma once

#include <string>

namespace aaxhost
{

class RealtimeProbe
{
public:
  virtual ~RealtimeProbe() = default;
  // Render thread, around one render call: only calls made on this thread
  // between the two count. Neither allocates nor locks.
  virtual void BeginWatch() = 0;
  virtual void EndWatch() = 0;
  // Any thread outside a watch.
  virtual int NumViolations() const = 0;
  // What was called, with a symbolised backtrace (several lines).
  virtual std::string Describe(int index) const = 0;
  virtual void Reset() = 0;

  // The installed probe, or null.
  static RealtimeProbe* Get();
  static void Install(RealtimeProbe* probe);
};

// Turns the calling thread's flush-to-zero and denormals-are-zero modes off,
// so that denormal input costs what it costs without help from the host.
void DisableFlushToZero();

// Seconds of processor time the calling thread has used: what a render costs,
// which other processes on a loaded machine do not inflate as they do wall
// time. On Windows it is wall time: thread times there advance in steps
// longer than one measurement of the validate battery.
double ThreadSeconds();

} // namespace aaxhost

// The parts of the framework timer that do not depend on how ticks are
// delivered (thread timer messages on Windows, a pumped run loop elsewhere).
#include "IPlugTimer.h"

#include <chrono>

namespace iplug
{

uint64_t Timer::NowMs()
{
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int Timer::PumpAll()
{
  return PumpAll(NowMs());
}

} // namespace iplug

#include "AAXHostRealtime.h"

#include <atomic>

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace aaxhost
{

namespace
{
std::atomic<RealtimeProbe*> gProbe{nullptr};
}

RealtimeProbe* RealtimeProbe::Get()
{
  return gProbe.load();
}

void RealtimeProbe::Install(RealtimeProbe* probe)
{
  gProbe.store(probe);
}

void DisableFlushToZero()
{
#if defined(__SSE__) || defined(_M_X64)
  // Bit 15 flush-to-zero, bit 6 denormals-are-zero.
  _mm_setcsr(_mm_getcsr() & ~0x8040u);
#endif
}

} // namespace aaxhost

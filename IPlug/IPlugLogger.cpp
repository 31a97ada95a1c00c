#include "IPlugLogger.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace iplug
{

static std::atomic<TraceSinkFn> sTraceSink{nullptr};

void SetTraceSink(TraceSinkFn sink)
{
  sTraceSink.store(sink);
}
TraceSinkFn GetTraceSink()
{
  return sTraceSink.load();
}

void Trace(const char* funcName, int line, const char* format, ...)
{
  TraceSinkFn sink = sTraceSink.load(std::memory_order_relaxed);
  if (!sink) return;
  char buf[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof(buf), format, args);
  va_end(args);
  sink(funcName, line, buf);
}

} // namespace iplug

// Framework trace points. The default sink is empty: traces cost a null
// check and format nothing. A tool or test may install a sink (set it before
// any other thread runs; the sink itself must be safe to call from whichever
// thread traces, including the audio thread of a debug session).
#pragma once

namespace iplug
{

using TraceSinkFn = void (*)(const char* funcName, int line, const char* text);

void SetTraceSink(TraceSinkFn sink);
TraceSinkFn GetTraceSink();

// printf-style; formats into a 256-byte stack buffer only when a sink is set.
void Trace(const char* funcName, int line, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

} // namespace iplug

#define TRACELOC __func__, __LINE__

// Assertion reports and traces. Both go to the module-wide host services
// (file, line, expression) and execution continues; without host services
// they are skipped. Safe on any thread: no allocation, no lock; a trace
// formats into a stack buffer only when host services exist.
#pragma once

#include <cstdint>

namespace AAX
{
// Trace priorities understood by the host.
constexpr int32_t kTracePriority_Normal = 0x4000000;
constexpr int32_t kTracePriority_High = 0x8000000;

void HandleAssertFailure(const char* file, int32_t line, const char* expression);

void Trace(int32_t priority, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
} // namespace AAX

// Reports the expression text exactly as written when cond is false.
#define AAX_ASSERT(cond)                                                                                     \
  do                                                                                                         \
  {                                                                                                          \
    if (!(cond)) AAX::HandleAssertFailure(__FILE__, __LINE__, #cond);                                        \
  } while (0)

#define AAX_TRACE(priority, ...) AAX::Trace(priority, __VA_ARGS__)

#include "AAXHostRealtime.h"

#include <chrono>

namespace aaxhost
{

double ThreadSeconds()
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace aaxhost

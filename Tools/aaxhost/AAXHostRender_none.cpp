// The WAV verbs in a build without libsndfile.
#include "AAXHostCommands.h"

#include <cstdio>

namespace aaxhost
{

int RunRender(const std::vector<std::string>&)
{
  std::fprintf(stderr, "aaxhost: render is not available in this build (no WAV support)\n");
  return kExitBadInput;
}

int RunDemo(const std::vector<std::string>&)
{
  std::fprintf(stderr, "aaxhost: demo is not available in this build (no WAV support)\n");
  return kExitBadInput;
}

} // namespace aaxhost

// aaxhost: a stand-in host for plug-in modules. See AAXHostCommands.h.
#include "AAXHostCommands.h"

#include <exception>
#include <cstdio>

int main(int argc, char** argv)
{
  std::vector<std::string> args(argv + 1, argv + argc);
  try
  {
    return aaxhost::RunCommandLine(args);
  }
  catch (const std::exception& e)
  {
    std::fprintf(stderr, "aaxhost: %s\n", e.what());
    return aaxhost::kExitBadInput;
  }
}

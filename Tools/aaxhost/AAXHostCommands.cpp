#include "AAXHostCommands.h"
#include "AAXHostSession.h"
#include "AAXHostValidate.h"

#include <cstdio>

namespace aaxhost
{

namespace
{
void Usage(FILE* out)
{
  std::fprintf(
      out,
      "usage:\n"
      "  aaxhost describe MODULE\n"
      "  aaxhost render MODULE IN.wav OUT.wav [--set NAME=VALUE]... [--state FILE]\n"
      "                 [--save-state FILE] [--block N] [--compensate] [--strict]\n"
      "  aaxhost validate MODULE\n"
      "  aaxhost demo [DIR]\n"
      "  aaxhost edit MODULE [IN.wav] [--set NAME=VALUE]...\n"
      "  aaxhost snapshot MODULE OUT.png [--scale S] [--set NAME=VALUE]... [--audio IN.wav | --silence]\n");
}
} // namespace

int FinishStandardOutput()
{
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
  {
    std::fprintf(stderr, "aaxhost: cannot write standard output\n");
    return kExitBadInput;
  }
  return kExitOK;
}

std::string DefaultModulePath()
{
  return AAXHOST_DEFAULT_MODULE;
}

int RunDescribe(const std::vector<std::string>& args)
{
  if (args.size() != 1)
  {
    std::fprintf(stderr, "aaxhost: describe takes one module path\n");
    return kExitBadInput;
  }
  std::string error;
  auto session = Session::Open(args[0], error, stderr);
  if (!session)
  {
    std::fprintf(stderr, "aaxhost: %s\n", error.c_str());
    return kExitBadInput;
  }
  const std::string json = ToJson(session->GetDescription());
  std::fwrite(json.data(), 1, json.size(), stdout);
  return FinishStandardOutput();
}

int RunValidate(const std::vector<std::string>& args)
{
  if (args.size() != 1)
  {
    std::fprintf(stderr, "aaxhost: validate takes one module path\n");
    return kExitBadInput;
  }
  // A module that does not even load is bad input, not a failed check.
  {
    std::string error;
    auto session = Session::Open(args[0], error, stderr);
    if (!session)
    {
      std::fprintf(stderr, "aaxhost: %s\n", error.c_str());
      return kExitBadInput;
    }
  }
  const bool passed = Validate(args[0], stdout);
  if (FinishStandardOutput() != kExitOK) return kExitBadInput;
  return passed ? kExitOK : kExitChecksFailed;
}

int RunCommandLine(const std::vector<std::string>& args)
{
  if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help")
  {
    Usage(args.empty() ? stderr : stdout);
    return args.empty() ? kExitBadInput : kExitOK;
  }
  const std::string verb = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (verb == "describe") return RunDescribe(rest);
  if (verb == "validate") return RunValidate(rest);
  if (verb == "render") return RunRender(rest);
  if (verb == "demo") return RunDemo(rest);
  if (verb == "edit") return RunEdit(rest);
  if (verb == "snapshot") return RunSnapshot(rest);
  std::fprintf(stderr, "aaxhost: unknown command \"%s\" (try aaxhost --help)\n", verb.c_str());
  return kExitBadInput;
}

} // namespace aaxhost

// The validate battery: one check per aspect of the module's behaviour as a
// host sees it. Every check opens what it needs from the module path and
// answers a result; Validate runs them all and prints one line each.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace aaxhost
{

struct CheckResult
{
  int number = 0;
  std::string name;
  bool pass = false;
  bool skipped = false; // the check could not run in this build; not a failure
  std::string detail;   // the reason of a failure, or what was measured
};

CheckResult CheckDescription(const std::string& module);
CheckResult CheckLoadUnload(const std::string& module, int cycles = 100);
CheckResult CheckInstances(const std::string& module);
CheckResult CheckParameters(const std::string& module);
CheckResult CheckState(const std::string& module);
CheckResult CheckLatency(const std::string& module);
CheckResult CheckBypass(const std::string& module);
CheckResult CheckProcessMatrix(const std::string& module);
CheckResult CheckNonFinite(const std::string& module);
CheckResult CheckDenormals(const std::string& module);
CheckResult CheckRealtime(const std::string& module);
// Parameter changes and state saves from a second thread while audio renders.
CheckResult CheckThreads(const std::string& module, int blocks = 400);

// Runs every check, printing "PASS", "FAIL" or "SKIP" lines to out.
// Answers true when no check failed.
bool Validate(const std::string& module, FILE* out);

} // namespace aaxhost

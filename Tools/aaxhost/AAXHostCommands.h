// The command line: describe, render, validate, demo.
#pragma once

#include <string>
#include <vector>

namespace aaxhost
{

// Exit codes: 0 success, 1 a validate check failed, 2 bad input or usage.
constexpr int kExitOK = 0;
constexpr int kExitChecksFailed = 1;
constexpr int kExitBadInput = 2;

int RunCommandLine(const std::vector<std::string>& args);

int RunDescribe(const std::vector<std::string>& args);
int RunValidate(const std::vector<std::string>& args);
// The WAV verbs; where the build has no WAV support they print so and answer 2.
int RunRender(const std::vector<std::string>& args);
int RunDemo(const std::vector<std::string>& args);

// The module this project builds (for demo).
std::string DefaultModulePath();

} // namespace aaxhost

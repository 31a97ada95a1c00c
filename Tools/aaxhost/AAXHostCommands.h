// The command line: describe, render, validate, demo, edit, snapshot.
#pragma once

#include <string>
#include <vector>

namespace aaxhost
{

// Exit codes: 0 success, 1 a validate check failed, 2 bad input or usage, or
// an output (file or standard output) that could not be written.
constexpr int kExitOK = 0;
constexpr int kExitChecksFailed = 1;
constexpr int kExitBadInput = 2;

int RunCommandLine(const std::vector<std::string>& args);

int RunDescribe(const std::vector<std::string>& args);
int RunValidate(const std::vector<std::string>& args);
// The WAV verbs; where the build has no WAV support they print so and answer 2.
int RunRender(const std::vector<std::string>& args);
int RunDemo(const std::vector<std::string>& args);
// The editor verbs: the editor in a host window with audio playing; edit
// until the window is closed (or SIGINT), snapshot into a PNG file.
int RunEdit(const std::vector<std::string>& args);
int RunSnapshot(const std::vector<std::string>& args);

// Flushes standard output: kExitOK, or kExitBadInput with a line on standard
// error when it could not be written (a full disk, /dev/full).
int FinishStandardOutput();

// The module this project builds (for demo).
std::string DefaultModulePath();

} // namespace aaxhost

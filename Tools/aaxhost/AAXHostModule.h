// A plug-in module opened through its seven exports, and the few operating-
// system services the host needs (user-interface pump, terminal check). The
// implementation is chosen per operating system by the build:
// AAXHostModule_posix.cpp (dlopen) or AAXHostModule_win.cpp (LoadLibrary).
#pragma once

#include "ACF/ACFPlugin.h"

#include <cstdint>
#include <memory>
#include <string>

namespace aaxhost
{

using ModuleExports = ACFModuleExports;

class Module
{
public:
  // Opens the file and resolves all seven exports. On failure answers null
  // and sets error to one line naming the cause.
  static std::unique_ptr<Module> Open(const std::string& path, std::string& error);
  ~Module(); // unloads
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  const ModuleExports& Exports() const { return mExports; }
  const std::string& Path() const { return mPath; }

  // User-interface thread: runs the framework timers that the module started
  // on this thread (Windows: dispatches the thread's timer messages; other
  // systems have no message loop to dispatch, so nothing).
  void PumpUserInterface();

private:
  Module() = default;
  // The operating system's symbol lookup (dlsym or GetProcAddress); null when absent.
  void* Symbol(const char* name) const;
  // Resolves all seven exports, or names the first one missing.
  bool ResolveExports(std::string& missing);
  void* mHandle = nullptr;
  std::string mPath;
  ModuleExports mExports;
};

// True when standard error is an interactive terminal.
bool StandardErrorIsTerminal();

} // namespace aaxhost

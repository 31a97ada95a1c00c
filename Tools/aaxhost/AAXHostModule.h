// A plug-in module opened through its seven exports, and the few operating-
// system services the host needs (user-interface pump, terminal check). The
// implementation is chosen per operating system by the build:
// AAXHostModule_posix.cpp (dlopen) or AAXHostModule_win.cpp (LoadLibrary).
#pragma once

#include "ACF/ACFBase.h"

#include <cstdint>
#include <memory>
#include <string>

namespace aaxhost
{

// The exports with the argument lists this host passes. Only the arguments
// the module is documented to use are meaningful; the others are passed as
// null or zero.
using ACFStartupProc = ACFRESULT (*)(IACFUnknown* host);
using ACFShutdownProc = ACFRESULT (*)(IACFUnknown* host);
using ACFRegisterPluginProc = ACFRESULT (*)(IACFUnknown* host, IACFPluginDefinition** definition);
using ACFRegisterComponentProc = ACFRESULT (*)(IACFUnknown* host, uint32_t index, IACFUnknown** component);
using ACFGetClassFactoryProc = ACFRESULT (*)(IACFUnknown* host, const acfCLSID& clsid, const acfIID& iid,
                                             void** factory);
using ACFCanUnloadNowProc = ACFRESULT (*)(IACFUnknown* host);
using ACFGetSDKVersionProc = ACFRESULT (*)(uint64_t* version);

struct ModuleExports
{
  ACFStartupProc startup = nullptr;
  ACFShutdownProc shutdown = nullptr;
  ACFRegisterPluginProc registerPlugin = nullptr;
  ACFRegisterComponentProc registerComponent = nullptr;
  ACFGetClassFactoryProc getClassFactory = nullptr;
  ACFCanUnloadNowProc canUnloadNow = nullptr;
  ACFGetSDKVersionProc getSDKVersion = nullptr;
};

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
  void* mHandle = nullptr;
  std::string mPath;
  ModuleExports mExports;
};

// True when standard error is an interactive terminal.
bool StandardErrorIsTerminal();

} // namespace aaxhost

// The seven entry points a module exports (undecorated C names), as types a
// host can look them up with. Every one answers an ACFRESULT; a module lets
// no exception escape them.
#pragma once

#include "ACFBase.h"

extern "C"
{
  // Start-up with the host object (its services), before any other call.
  using ACFStartupProc = ACFRESULT (*)(IACFUnknown* host);
  using ACFShutdownProc = ACFRESULT (*)(IACFUnknown* host);
  // Describes the plug-in into the host's collection and answers the plug-in
  // definition (one reference owned by the caller).
  using ACFRegisterPluginProc = ACFRESULT (*)(IACFUnknown* host, IACFPluginDefinition** definition);
  using ACFRegisterComponentProc = ACFRESULT (*)(IACFUnknown* host, uint32_t index, IACFUnknown** component);
  using ACFGetClassFactoryProc = ACFRESULT (*)(IACFUnknown* host, const acfCLSID* clsid, const acfIID* iid,
                                               void** factory);
  // 0 when the module may be unloaded, else the number of live objects.
  using ACFCanUnloadNowProc = ACFRESULT (*)(IACFUnknown* host);
  using ACFGetSDKVersionProc = ACFRESULT (*)(uint64_t* version);
}

// The seven entry points as a host resolves them from a loaded module.
struct ACFModuleExports
{
  ACFStartupProc startup = nullptr;
  ACFShutdownProc shutdown = nullptr;
  ACFRegisterPluginProc registerPlugin = nullptr;
  ACFRegisterComponentProc registerComponent = nullptr;
  ACFGetClassFactoryProc getClassFactory = nullptr;
  ACFCanUnloadNowProc canUnloadNow = nullptr;
  ACFGetSDKVersionProc getSDKVersion = nullptr;
};

// High word 0x203, low word 14017972.
constexpr uint64_t kACFSDKVersion = 0x20300D5E5B4ull;

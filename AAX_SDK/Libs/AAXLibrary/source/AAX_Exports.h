// The module's entry points and module-wide state. The seven ACF functions
// are the module's only exports (the build hides everything else).
#pragma once

#include "ACF/ACFPlugin.h"

// Export attribute of the entry points; the build defines it per platform.
#ifndef ACF_EXPORT
#define ACF_EXPORT
#endif

extern "C"
{
  ACF_EXPORT ACFRESULT ACFStartup(IACFUnknown* host);
  ACF_EXPORT ACFRESULT ACFShutdown(IACFUnknown* host);
  ACF_EXPORT ACFRESULT ACFRegisterPlugin(IACFUnknown* host, IACFPluginDefinition** definition);
  ACF_EXPORT ACFRESULT ACFRegisterComponent(IACFUnknown* host, uint32_t index, IACFUnknown** component);
  ACF_EXPORT ACFRESULT ACFGetClassFactory(IACFUnknown* host, const acfCLSID* clsid, const acfIID* iid,
                                          void** factory);
  ACF_EXPORT ACFRESULT ACFCanUnloadNow(IACFUnknown* host);
  ACF_EXPORT ACFRESULT ACFGetSDKVersion(uint64_t* version);
}

namespace AAX
{
// The module instance handle the operating system gave the entry point
// (null where there is none); used to find embedded resources.
void* ModuleHandle();
void SetModuleHandle(void* handle);
} // namespace AAX

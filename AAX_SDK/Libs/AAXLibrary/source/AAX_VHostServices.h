// Wrapper around the host's services object, and the module-wide instance
// that assertion reports and traces use.
#pragma once

#include "AAX_HostInterfaces.h"

class AAX_VHostServices
{
public:
  // Takes a reference on the host object and queries its services interface.
  explicit AAX_VHostServices(IACFUnknown* host);
  ~AAX_VHostServices();
  AAX_VHostServices(const AAX_VHostServices&) = delete;
  AAX_VHostServices& operator=(const AAX_VHostServices&) = delete;

  bool IsSupported() const { return mHostServices != nullptr; }

  AAX_Result HandleAssertFailure(const char* file, int32_t line, const char* expression, int32_t flags) const;
  AAX_Result Trace(int32_t priority, const char* message) const;

private:
  IACFUnknown* mHost = nullptr;
  AAX_IHostServices* mHostServices = nullptr;
};

// The module-wide services, set by the start-up entry and cleared by the
// shut-down entry. Set and Clear run only while no other thread uses the
// module (start-up, shut-down); Get may be called from any thread.
namespace AAX_CHostServices
{
// Creates the wrapper when none exists and host is not null; deletes it when
// one exists and host is null; otherwise changes nothing.
void Set(IACFUnknown* host);
void Clear();
AAX_VHostServices* Get();
} // namespace AAX_CHostServices

#include "AAX_VHostServices.h"
#include "AAX_Assert.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

AAX_VHostServices::AAX_VHostServices(IACFUnknown* host) : mHost(host)
{
  if (!mHost) return;
  mHost->AddRef();
  void* p = nullptr;
  if (mHost->QueryInterface(IID_AAX_IHostServices, &p) == kACFResult_OK && p)
    mHostServices = static_cast<AAX_IHostServices*>(p);
}

AAX_VHostServices::~AAX_VHostServices()
{
  if (mHostServices) mHostServices->Release();
  if (mHost) mHost->Release();
}

AAX_Result AAX_VHostServices::HandleAssertFailure(const char* file, int32_t line, const char* expression,
                                                  int32_t flags) const
{
  if (!mHostServices) return AAX_ERROR_NULL_OBJECT;
  return mHostServices->HandleAssertFailure(file, line, expression, flags);
}

AAX_Result AAX_VHostServices::Trace(int32_t priority, const char* message) const
{
  if (!mHostServices) return AAX_ERROR_NULL_OBJECT;
  return mHostServices->Trace(priority, message);
}

namespace
{
std::atomic<AAX_VHostServices*> sHostServices{nullptr};
}

namespace AAX_CHostServices
{
void Set(IACFUnknown* host)
{
  AAX_VHostServices* current = sHostServices.load();
  if (!current && host)
    sHostServices.store(new AAX_VHostServices(host));
  else if (current && !host)
    Clear();
}

void Clear()
{
  delete sHostServices.exchange(nullptr);
}

AAX_VHostServices* Get()
{
  return sHostServices.load(std::memory_order_acquire);
}
} // namespace AAX_CHostServices

namespace AAX
{
void HandleAssertFailure(const char* file, int32_t line, const char* expression)
{
  if (AAX_VHostServices* services = AAX_CHostServices::Get())
    services->HandleAssertFailure(file ? file : "", line, expression ? expression : "", 1);
}

void Trace(int32_t priority, const char* format, ...)
{
  AAX_VHostServices* services = AAX_CHostServices::Get();
  if (!services || !format) return;
  char text[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (n < 0) return;
  services->Trace(priority, text);
}
} // namespace AAX

// A small in-process host for the AAX library tests: reference-counted host
// objects, host services that record reports and traces, a controller, and
// an automation delegate that records requests and answers them later.
#pragma once

#include "AAX_HostInterfaces.h"
#include "AAX_IEffectParameters.h"
#include "AAX_VHostServices.h"

#include <atomic>
#include <map>
#include <string>
#include <vector>

namespace aaxtest
{
// Counts references and answers the identifiers listed by the derived host object.
template <typename I> class HostObject : public I
{
public:
  virtual ~HostObject() = default;
  ACFRESULT QueryInterface(const acfIID& iid, void** ppv) override
  {
    if (!ppv) return kACFResult_NoInterface;
    *ppv = Find(iid);
    if (!*ppv) return kACFResult_NoInterface;
    static_cast<IACFUnknown*>(*ppv)->AddRef();
    return kACFResult_OK;
  }
  uint32_t AddRef() override { return ++mRefs; }
  uint32_t Release() override { return --mRefs; } // stack-owned in the tests: never deletes
  uint32_t Refs() const { return mRefs; }

protected:
  virtual void* Find(const acfIID& iid)
  {
    if (iid == IID_IACFUnknown) return static_cast<I*>(this);
    return nullptr;
  }

private:
  std::atomic<uint32_t> mRefs{0};
};

struct Report
{
  std::string file;
  int32_t line;
  std::string expression;
  int32_t flags;
};

class HostServices : public HostObject<AAX_IHostServices>
{
public:
  AAX_Result HandleAssertFailure(const char* file, int32_t line, const char* expression,
                                 int32_t flags) const override
  {
    mReports.push_back({file, line, expression, flags});
    return AAX_SUCCESS;
  }
  AAX_Result Trace(int32_t priority, const char* message) const override
  {
    mTraces.emplace_back(priority, message);
    return AAX_SUCCESS;
  }
  mutable std::vector<Report> mReports;
  mutable std::vector<std::pair<int32_t, std::string>> mTraces;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IHostServices) return static_cast<AAX_IHostServices*>(this);
    return HostObject::Find(iid);
  }
};

// Installs recording host services for the life of a test.
class ScopedHostServices
{
public:
  ScopedHostServices() { AAX_CHostServices::Set(&mServices); }
  ~ScopedHostServices() { AAX_CHostServices::Clear(); }
  HostServices mServices;
};

class AutomationDelegate : public HostObject<AAX_IAutomationDelegate>
{
public:
  struct Request
  {
    std::string kind;
    std::string id;
    double value;
    bool operator==(const Request& o) const { return kind == o.kind && id == o.id && value == o.value; }
  };

  AAX_Result RegisterParameter(AAX_CParamID id) override
  {
    mRegistered[id]++;
    return AAX_SUCCESS;
  }
  AAX_Result UnregisterParameter(AAX_CParamID id) override
  {
    mRegistered[id]--;
    return AAX_SUCCESS;
  }
  AAX_Result PostSetValueRequest(AAX_CParamID id, double value) const override
  {
    mRequests.push_back({"set", id, value});
    return AAX_SUCCESS;
  }
  AAX_Result PostCurrentValue(AAX_CParamID id, double value) const override
  {
    mRequests.push_back({"current", id, value});
    return AAX_SUCCESS;
  }
  AAX_Result PostTouchRequest(AAX_CParamID id) override
  {
    mRequests.push_back({"touch", id, 0});
    return AAX_SUCCESS;
  }
  AAX_Result PostReleaseRequest(AAX_CParamID id) override
  {
    mRequests.push_back({"release", id, 0});
    return AAX_SUCCESS;
  }

  // Answers every pending set request the way a host does: later, as a value update.
  void AnswerSetRequests(AAX_IACFEffectParameters& effect)
  {
    std::vector<Request> pending;
    for (const auto& r : mRequests)
      if (r.kind == "set") pending.push_back(r);
    mRequests.clear();
    for (const auto& r : pending)
      effect.UpdateParameterNormalizedValue(r.id.c_str(), r.value, AAX_eUpdateSource_Parameter);
  }

  std::map<std::string, int> mRegistered;
  mutable std::vector<Request> mRequests;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IAutomationDelegate) return static_cast<AAX_IAutomationDelegate*>(this);
    return HostObject::Find(iid);
  }
};

class Controller : public HostObject<AAX_IController>
{
public:
  explicit Controller(AutomationDelegate* automation = nullptr) : mAutomation(automation) {}

  AAX_Result GetSampleRate(double* rate) const override
  {
    *rate = 48000.0;
    return AAX_SUCCESS;
  }
  AAX_Result GetInputStemFormat(AAX_EStemFormat* f) const override
  {
    *f = AAX_eStemFormat_Stereo;
    return AAX_SUCCESS;
  }
  AAX_Result GetOutputStemFormat(AAX_EStemFormat* f) const override
  {
    *f = AAX_eStemFormat_Stereo;
    return AAX_SUCCESS;
  }
  AAX_Result GetSignalLatency(int32_t* samples) const override
  {
    *samples = mLatency;
    return AAX_SUCCESS;
  }
  AAX_Result SetSignalLatency(int32_t samples) override
  {
    mLatency = samples;
    return AAX_SUCCESS;
  }
  AAX_Result PostPacket(AAX_CFieldIndex field, const void*, uint32_t size) override
  {
    mPosted.emplace_back(field, size);
    return AAX_SUCCESS;
  }

  int32_t mLatency = 0;
  std::vector<std::pair<AAX_CFieldIndex, uint32_t>> mPosted;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IController) return static_cast<AAX_IController*>(this);
    if (iid == IID_AAX_IAutomationDelegate && mAutomation)
      return static_cast<AAX_IAutomationDelegate*>(mAutomation);
    return HostObject::Find(iid);
  }

private:
  AutomationDelegate* mAutomation;
};
} // namespace aaxtest

// A small in-process host for the AAX library tests: reference-counted host
// objects, host services that record reports and traces, a controller, and
// an automation delegate that records requests and answers them later.
#pragma once

#include "AAX_HostInterfaces.h"
#include "AAX_IEffectParameters.h"
#include "AAX_VHostServices.h"

#include <atomic>
#include <cstring>
#include <memory>
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
    *rate = mSampleRate;
    return AAX_SUCCESS;
  }
  AAX_Result GetInputStemFormat(AAX_EStemFormat* f) const override
  {
    *f = mStemFormat;
    return AAX_SUCCESS;
  }
  AAX_Result GetOutputStemFormat(AAX_EStemFormat* f) const override
  {
    *f = mStemFormat;
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
    mLatencyReports.push_back(samples);
    return AAX_SUCCESS;
  }
  AAX_Result PostPacket(AAX_CFieldIndex field, const void* data, uint32_t size) override
  {
    mPosted.emplace_back(field, size);
    // The state number for the data-in port (field 25), as a host copies it.
    if (field == 25 && data && size == sizeof(int64_t)) std::memcpy(&mStateNum, data, sizeof(int64_t));
    return AAX_SUCCESS;
  }

  double mSampleRate = 48000.0;
  AAX_EStemFormat mStemFormat = AAX_eStemFormat_Stereo;
  int64_t mStateNum = 0;
  std::vector<int32_t> mLatencyReports;
  int32_t mLatency = 0;
  std::vector<std::pair<AAX_CFieldIndex, uint32_t>> mPosted;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IController) return static_cast<AAX_IController*>(this);
    if (iid == IID_AAX_IAutomationDelegate && mAutomation)
      return static_cast<AAX_IAutomationDelegate*>(mAutomation);
    // An editor finds its instance's effect-parameters object here.
    if (mEffect && mEffectIID && iid == *mEffectIID) return mEffect;
    return HostObject::Find(iid);
  }

public:
  // The instance's effect-parameters object answered for mEffectIID (none
  // when null); the caller keeps it alive.
  IACFUnknown* mEffect = nullptr;
  const acfIID* mEffectIID = nullptr;

private:
  AutomationDelegate* mAutomation;
};

// A host text object.
class HostString final : public AAX_IString
{
public:
  HostString() = default;
  explicit HostString(const char* text) { Set(text); }
  uint32_t Length() const override { return static_cast<uint32_t>(mText.size()); }
  uint32_t MaxLength() const override { return 0xFFFFu; }
  const char* Get() const override { return mText.c_str(); }
  void Set(const char* text) override { mText = text ? text : ""; }
  void Set(const AAX_IString& other) override { mText = other.Get(); }
  std::string mText;
};

// --- Description objects. They record what the module describes; the host
// owns them (Release never deletes) and may be told to fail one call.

class PropertyMap : public HostObject<AAX_IPropertyMap>
{
public:
  AAX_Result AddProperty(AAX_CPropertyID id, AAX_CPropertyValue value) override
  {
    mOrder.emplace_back(id, value);
    mValues[id] = value;
    return AAX_SUCCESS;
  }
  AAX_Result GetProperty(AAX_CPropertyID id, AAX_CPropertyValue* value, AAX_CBoolean* found) const override
  {
    auto it = mValues.find(id);
    *found = it != mValues.end();
    if (*found) *value = it->second;
    return AAX_SUCCESS;
  }
  AAX_Result RemoveProperty(AAX_CPropertyID id) override
  {
    mValues.erase(id);
    return AAX_SUCCESS;
  }
  std::vector<std::pair<AAX_CPropertyID, AAX_CPropertyValue>> mOrder;
  std::map<AAX_CPropertyID, AAX_CPropertyValue> mValues;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IPropertyMap) return static_cast<AAX_IPropertyMap*>(this);
    return HostObject::Find(iid);
  }
};

// Which host call fails, and with what result.
struct FailureInjection
{
  std::string call; // e.g. "AddAudioIn"; empty: nothing fails
  AAX_Result result = AAX_SUCCESS;
  AAX_Result Check(const char* name) const { return call == name ? result : AAX_Result(AAX_SUCCESS); }
};

class ComponentDescriptor : public HostObject<AAX_IComponentDescriptor>
{
public:
  explicit ComponentDescriptor(const FailureInjection& failure) : mFailure(failure) {}

  AAX_Result Clear() override
  {
    mFields.clear();
    return AAX_SUCCESS;
  }
  AAX_Result AddAudioIn(AAX_CFieldIndex f) override { return Field("AddAudioIn", f, "audio in"); }
  AAX_Result AddAudioOut(AAX_CFieldIndex f) override { return Field("AddAudioOut", f, "audio out"); }
  AAX_Result AddAudioBufferLength(AAX_CFieldIndex f) override
  {
    return Field("AddAudioBufferLength", f, "length");
  }
  AAX_Result AddClock(AAX_CFieldIndex f) override { return Field("AddClock", f, "clock"); }
  AAX_Result AddSideChainIn(AAX_CFieldIndex f) override { return Field("AddSideChainIn", f, "side chain"); }
  AAX_Result AddMIDINode(AAX_CFieldIndex f, AAX_EMIDINodeType type, const char* name, uint32_t mask) override
  {
    return Field("AddMIDINode", f,
                 "midi " + std::to_string(type) + " " + (name ? name : "") + " " + std::to_string(mask));
  }
  AAX_Result AddPrivateData(AAX_CFieldIndex f, int32_t size, uint32_t options) override
  {
    return Field("AddPrivateData", f, "private " + std::to_string(size) + " " + std::to_string(options));
  }
  AAX_Result AddDataInPort(AAX_CFieldIndex f, uint32_t size, int32_t type) override
  {
    return Field("AddDataInPort", f, "data in " + std::to_string(size) + " " + std::to_string(type));
  }
  AAX_Result AddMeters(AAX_CFieldIndex f, const AAX_CTypeID*, uint32_t count) override
  {
    return Field("AddMeters", f, "meters " + std::to_string(count));
  }
  AAX_Result AddAuxOutputStem(AAX_CFieldIndex, AAX_EStemFormat, const char*) override
  {
    ++mAuxStems;
    return mFailure.Check("AddAuxOutputStem");
  }
  AAX_Result AddProcessProc_Native(AAX_CProcessProc proc, IACFUnknown* properties, AAX_CInstanceInitProc init,
                                   AAX_CBackgroundProc background) override
  {
    if (AAX_Result r = mFailure.Check("AddProcessProc_Native")) return r;
    mProcessProc = proc;
    mProperties = ACFQueryInterface<AAX_IPropertyMap>(properties, IID_AAX_IPropertyMap);
    mHasInitOrBackground = init || background;
    return AAX_SUCCESS;
  }

  // Field index -> what was described there.
  std::map<AAX_CFieldIndex, std::string> mFields;
  int mAuxStems = 0;
  AAX_CProcessProc mProcessProc = nullptr;
  AAX_IPropertyMap* mProperties = nullptr; // a PropertyMap of this host
  bool mHasInitOrBackground = false;

  const PropertyMap& Properties() const { return *static_cast<const PropertyMap*>(mProperties); }

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IComponentDescriptor) return static_cast<AAX_IComponentDescriptor*>(this);
    return HostObject::Find(iid);
  }

private:
  AAX_Result Field(const char* call, AAX_CFieldIndex field, const std::string& what)
  {
    if (AAX_Result r = mFailure.Check(call)) return r;
    mFields[field] = what;
    return AAX_SUCCESS;
  }
  const FailureInjection& mFailure;
};

class EffectDescriptor : public HostObject<AAX_IEffectDescriptor>
{
public:
  explicit EffectDescriptor(const FailureInjection& failure) : mFailure(failure) {}

  AAX_Result AddComponent(IACFUnknown* component) override
  {
    if (AAX_Result r = mFailure.Check("AddComponent")) return r;
    auto* c = ACFQueryInterface<AAX_IComponentDescriptor>(component, IID_AAX_IComponentDescriptor);
    mComponents.push_back(static_cast<ComponentDescriptor*>(c));
    return AAX_SUCCESS;
  }
  AAX_Result AddName(const char* name) override
  {
    mNames.emplace_back(name);
    return mFailure.Check("AddName");
  }
  AAX_Result AddCategory(uint32_t category) override
  {
    mCategories.push_back(category);
    return AAX_SUCCESS;
  }
  AAX_Result AddProcPtr(AAX_CProcPtr proc, AAX_CPropertyID id) override
  {
    mProcs[id] = proc;
    return AAX_SUCCESS;
  }

  std::vector<ComponentDescriptor*> mComponents;
  std::vector<std::string> mNames;
  std::vector<uint32_t> mCategories;
  std::map<AAX_CPropertyID, AAX_CProcPtr> mProcs;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IEffectDescriptor) return static_cast<AAX_IEffectDescriptor*>(this);
    return HostObject::Find(iid);
  }

private:
  const FailureInjection& mFailure;
};

class Collection : public HostObject<AAX_ICollection>
{
public:
  AAX_Result AddEffect(const char* id, IACFUnknown* effect) override
  {
    auto* e = ACFQueryInterface<AAX_IEffectDescriptor>(effect, IID_AAX_IEffectDescriptor);
    mEffects.emplace_back(id, static_cast<EffectDescriptor*>(e));
    return AAX_SUCCESS;
  }
  AAX_Result SetManufacturerName(const char* name) override
  {
    mManufacturerName = name;
    return AAX_SUCCESS;
  }
  AAX_Result AddPackageName(const char* name) override
  {
    mPackageNames.emplace_back(name);
    return AAX_SUCCESS;
  }
  AAX_Result SetPackageVersion(uint32_t version) override
  {
    mPackageVersion = version;
    return AAX_SUCCESS;
  }

  std::vector<std::pair<std::string, EffectDescriptor*>> mEffects;
  std::string mManufacturerName;
  std::vector<std::string> mPackageNames;
  uint32_t mPackageVersion = 0;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_ICollection || iid == IID_IACFPluginDefinition)
      return static_cast<AAX_ICollection*>(this);
    return HostObject::Find(iid);
  }
};

// The host object handed to the entry points: its services and its object
// factory, which creates (and keeps) the description objects.
class Host : public HostObject<IACFComponentFactory>
{
public:
  ACFRESULT CreateComponent(const acfCLSID& clsid, IACFUnknown*, const acfIID& iid, void** ppv) override
  {
    *ppv = nullptr;
    IACFUnknown* object = nullptr;
    if (clsid == CLSID_AAX_Collection)
    {
      mCollections.push_back(std::make_unique<Collection>());
      object = mCollections.back().get();
    }
    else if (clsid == CLSID_AAX_EffectDescriptor && !mRefuseEffectDescriptors)
    {
      mEffects.push_back(std::make_unique<EffectDescriptor>(mFailure));
      object = mEffects.back().get();
    }
    else if (clsid == CLSID_AAX_ComponentDescriptor)
    {
      mComponents.push_back(std::make_unique<ComponentDescriptor>(mFailure));
      object = mComponents.back().get();
    }
    else if (clsid == CLSID_AAX_PropertyMap)
    {
      mPropertyMaps.push_back(std::make_unique<PropertyMap>());
      object = mPropertyMaps.back().get();
    }
    if (!object) return kACFResult_NoInterface;
    return object->QueryInterface(iid, ppv);
  }

  Collection* LastCollection() const { return mCollections.empty() ? nullptr : mCollections.back().get(); }

  HostServices mServices;
  FailureInjection mFailure;
  bool mRefuseEffectDescriptors = false;
  std::vector<std::unique_ptr<Collection>> mCollections;
  std::vector<std::unique_ptr<EffectDescriptor>> mEffects;
  std::vector<std::unique_ptr<ComponentDescriptor>> mComponents;
  std::vector<std::unique_ptr<PropertyMap>> mPropertyMaps;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_IACFComponentFactory) return static_cast<IACFComponentFactory*>(this);
    if (iid == IID_AAX_IHostServices) return static_cast<AAX_IHostServices*>(&mServices);
    return HostObject::Find(iid);
  }
};

// --- Render-time objects

class Transport : public HostObject<AAX_ITransport>
{
public:
  AAX_Result GetCurrentTempo(double* bpm) const override
  {
    *bpm = mTempo;
    return AAX_SUCCESS;
  }
  AAX_Result GetCurrentMeter(int32_t* num, int32_t* den) const override
  {
    *num = 3;
    *den = 8;
    return AAX_SUCCESS;
  }
  AAX_Result IsTransportPlaying(bool* playing) const override
  {
    *playing = true;
    return AAX_SUCCESS;
  }
  AAX_Result GetCurrentTickPosition(int64_t* ticks) const override
  {
    *ticks = mTicks;
    return AAX_SUCCESS;
  }
  AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* start, int64_t* end) const override
  {
    *looping = true;
    *start = 960000;
    *end = 4 * 960000;
    return AAX_SUCCESS;
  }
  AAX_Result GetCurrentNativeSampleLocation(int64_t* location) const override
  {
    *location = 12345;
    return AAX_SUCCESS;
  }
  double mTempo = 90.0;
  int64_t mTicks = 0;
};

class TransportNode final : public AAX_IMIDINode
{
public:
  explicit TransportNode(AAX_ITransport* transport) : mTransport(transport) {}
  AAX_CMidiStream* GetNodeBuffer() override { return &mStream; }
  AAX_Result PostMIDIPacket(AAX_CMidiPacket*) override { return AAX_SUCCESS; }
  AAX_ITransport* GetTransport() override
  {
    ++mTransportRequests;
    return mTransport;
  }
  int mTransportRequests = 0;

private:
  AAX_ITransport* mTransport;
  AAX_CMidiStream mStream;
};
} // namespace aaxtest

// The host side of every interface the module calls: the host object handed
// to the exports (component factory and host services), the description
// objects (collection, effect and component descriptors, property map), and
// the per-instance objects (controller, automation delegate, transport, MIDI
// nodes). Every component object is reference counted and deletes itself on
// its last Release; the creator holds the first reference.
#pragma once

#include "AAX_HostInterfaces.h"
#include "AAX_IString.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace aaxhost
{

// Intrusive reference to a reference-counted object.
template <typename T> class Ref
{
public:
  Ref() = default;
  // Adopts a reference the caller already holds.
  static Ref Adopt(T* p)
  {
    Ref r;
    r.mP = p;
    return r;
  }
  Ref(const Ref& o) : mP(o.mP)
  {
    if (mP) mP->AddRef();
  }
  Ref(Ref&& o) noexcept : mP(o.mP) { o.mP = nullptr; }
  Ref& operator=(Ref o) noexcept
  {
    std::swap(mP, o.mP);
    return *this;
  }
  ~Ref()
  {
    if (mP) mP->Release();
  }
  T* get() const { return mP; }
  T* operator->() const { return mP; }
  explicit operator bool() const { return mP != nullptr; }

private:
  T* mP = nullptr;
};

template <typename T, typename... A> Ref<T> MakeRef(A&&... a)
{
  return Ref<T>::Adopt(new T(std::forward<A>(a)...));
}

// Answers the host-private identifier with the implementation object itself,
// so that the host can recognise its own objects when the module hands them back.
// {3D1F0B6E-55A2-4C71-9E2B-8A0C4F7D6E11}
constexpr acfIID IID_AAXHost_Implementation = {
    0x3D1F0B6E, 0x55A2, 0x4C71, {0x9E, 0x2B, 0x8A, 0x0C, 0x4F, 0x7D, 0x6E, 0x11}};

// Identity of every host object, for HostImplementation.
class HostObjectBase
{
public:
  virtual ~HostObjectBase() = default;
};

// The interface comes first so that its slots start the object's vtable.
template <typename I> class HostObject : public I, public HostObjectBase
{
public:
  HostObject() = default;
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;

  ACFRESULT QueryInterface(const acfIID& iid, void** ppv) override
  {
    if (!ppv) return kACFResult_NoInterface;
    if (iid == IID_AAXHost_Implementation)
    {
      *ppv = static_cast<HostObjectBase*>(this); // no reference: host-internal
      return kACFResult_OK;
    }
    *ppv = Find(iid);
    if (!*ppv) return kACFResult_NoInterface;
    static_cast<IACFUnknown*>(*ppv)->AddRef();
    return kACFResult_OK;
  }
  uint32_t AddRef() override { return ++mRefs; }
  uint32_t Release() override
  {
    const uint32_t r = --mRefs;
    if (r == 0) delete this;
    return r;
  }

protected:
  virtual void* Find(const acfIID& iid)
  {
    if (iid == IID_IACFUnknown) return static_cast<I*>(this);
    return nullptr;
  }

private:
  std::atomic<uint32_t> mRefs{1};
};

// The host's own object behind an interface pointer the module handed back, or null.
template <typename T> T* HostImplementation(IACFUnknown* unknown)
{
  if (!unknown) return nullptr;
  void* p = nullptr;
  if (unknown->QueryInterface(IID_AAXHost_Implementation, &p) != kACFResult_OK) return nullptr;
  return dynamic_cast<T*>(static_cast<HostObjectBase*>(p));
}

// ---------------------------------------------------------------------------
// Host services: assertion reports and traces. The module may call them on
// any thread including the render thread, so they never block or allocate:
// each message goes into a fixed ring of slots, and the user-interface thread
// prints them with Flush.
class HostServices final : public HostObject<AAX_IHostServices>
{
public:
  AAX_Result HandleAssertFailure(const char* file, int32_t line, const char* expression,
                                 int32_t flags) const override;
  AAX_Result Trace(int32_t priority, const char* message) const override;

  // User-interface thread: prints and drops the waiting messages to out
  // (null: drops them silently).
  void Flush(FILE* out);
  int NumAssertions() const { return mAssertions.load(); }
  int NumTraces() const { return mTraces.load(); }
  // The last assertion text recorded (user-interface thread, after Flush).
  const std::string& LastAssertion() const { return mLastAssertion; }

protected:
  void* Find(const acfIID& iid) override;

private:
  static constexpr int kSlots = 256;
  struct Slot
  {
    std::atomic<int> state{0}; // 0 free, 1 being written, 2 ready
    bool assertion = false;
    char text[512];
  };
  void Push(bool assertion, const char* text) const;

  mutable std::array<Slot, kSlots> mSlots;
  mutable std::atomic<uint32_t> mWrite{0};
  uint32_t mRead = 0;
  mutable std::atomic<int> mAssertions{0};
  mutable std::atomic<int> mTraces{0};
  mutable std::atomic<int> mDropped{0};
  std::string mLastAssertion;
};

// ---------------------------------------------------------------------------
// Description objects. They only record what the module tells them.

class HostPropertyMap final : public HostObject<AAX_IPropertyMap>
{
public:
  AAX_Result AddProperty(AAX_CPropertyID id, AAX_CPropertyValue value) override;
  AAX_Result GetProperty(AAX_CPropertyID id, AAX_CPropertyValue* value, AAX_CBoolean* found) const override;
  AAX_Result RemoveProperty(AAX_CPropertyID id) override;

  // In the order first added; a property added again keeps its place and takes the new value.
  std::vector<std::pair<int32_t, int32_t>> mProperties;

protected:
  void* Find(const acfIID& iid) override;
};

struct FieldRecord
{
  int32_t index = -1;
  std::string kind; // audio_in, audio_out, buffer_length, clock, side_chain_in, midi_node, private_data,
                    // data_in_port, meters
  int32_t nodeType = -1;
  std::string name;
  uint32_t mask = 0;
  int32_t size = 0;
  uint32_t options = 0;
  int32_t portType = 0;
  std::vector<uint32_t> meterIDs;
};

struct AuxStemRecord
{
  int32_t field = 0;
  int32_t format = 0;
  std::string name;
};

class HostComponentDescriptor final : public HostObject<AAX_IComponentDescriptor>
{
public:
  AAX_Result Clear() override;
  AAX_Result AddAudioIn(AAX_CFieldIndex field) override;
  AAX_Result AddAudioOut(AAX_CFieldIndex field) override;
  AAX_Result AddAudioBufferLength(AAX_CFieldIndex field) override;
  AAX_Result AddClock(AAX_CFieldIndex field) override;
  AAX_Result AddSideChainIn(AAX_CFieldIndex field) override;
  AAX_Result AddMIDINode(AAX_CFieldIndex field, AAX_EMIDINodeType nodeType, const char* name,
                         uint32_t channelMask) override;
  AAX_Result AddPrivateData(AAX_CFieldIndex field, int32_t dataSize, uint32_t options) override;
  AAX_Result AddDataInPort(AAX_CFieldIndex field, uint32_t packetSize, int32_t portType) override;
  AAX_Result AddMeters(AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount) override;
  AAX_Result AddAuxOutputStem(AAX_CFieldIndex field, AAX_EStemFormat format, const char* name) override;
  AAX_Result AddProcessProc_Native(AAX_CProcessProc processProc, IACFUnknown* properties,
                                   AAX_CInstanceInitProc initProc,
                                   AAX_CBackgroundProc backgroundProc) override;

  struct ProcessProc
  {
    AAX_CProcessProc proc = nullptr;
    AAX_CInstanceInitProc init = nullptr;
    AAX_CBackgroundProc background = nullptr;
    Ref<HostPropertyMap> properties; // null when the module passed none the host knows
  };

  std::vector<FieldRecord> mFields;
  std::vector<AuxStemRecord> mAuxStems;
  std::vector<ProcessProc> mProcs;
  std::vector<std::string> mProblems; // what the module described inconsistently

protected:
  void* Find(const acfIID& iid) override;

private:
  AAX_Result AddField(FieldRecord r);
};

class HostEffectDescriptor final : public HostObject<AAX_IEffectDescriptor>
{
public:
  AAX_Result AddComponent(IACFUnknown* component) override;
  AAX_Result AddName(const char* name) override;
  AAX_Result AddCategory(uint32_t category) override;
  AAX_Result AddProcPtr(AAX_CProcPtr procPtr, AAX_CPropertyID procID) override;

  std::vector<Ref<HostComponentDescriptor>> mComponents;
  std::vector<std::string> mNames;
  std::vector<uint32_t> mCategories;
  std::vector<std::pair<int32_t, AAX_CProcPtr>> mProcPtrs;

protected:
  void* Find(const acfIID& iid) override;
};

class HostCollection final : public HostObject<AAX_ICollection>
{
public:
  AAX_Result AddEffect(const char* effectID, IACFUnknown* effect) override;
  AAX_Result SetManufacturerName(const char* name) override;
  AAX_Result AddPackageName(const char* name) override;
  AAX_Result SetPackageVersion(uint32_t version) override;

  std::vector<std::pair<std::string, Ref<HostEffectDescriptor>>> mEffects;
  std::string mManufacturerName;
  std::vector<std::string> mPackageNames;
  uint32_t mPackageVersion = 0;
  bool mVersionSet = false;

protected:
  void* Find(const acfIID& iid) override;
};

// The object handed to ACFStartup and ACFRegisterPlugin: the component
// factory for the description objects, and the host services.
class HostRoot final : public HostObject<IACFComponentFactory>
{
public:
  HostRoot();
  ACFRESULT CreateComponent(const acfCLSID& clsid, IACFUnknown* outer, const acfIID& iid,
                            void** ppv) override;
  HostServices& Services() { return *mServices.get(); }
  // The collections created so far (the registration creates one).
  std::vector<Ref<HostCollection>> mCollections;

protected:
  void* Find(const acfIID& iid) override;

private:
  Ref<HostServices> mServices;
};

// ---------------------------------------------------------------------------
// Per-instance objects.

// The host's automation: registers parameters and answers every set request
// later with UpdateParameterNormalizedValue, as a host's automation does.
// The requests wait in a list that the instance drains (Instance::DeliverAutomation).
// Non-real-time threads; the list is guarded by its own mutex.
class HostAutomation final : public HostObject<AAX_IAutomationDelegate>
{
public:
  AAX_Result RegisterParameter(AAX_CParamID id) override;
  AAX_Result UnregisterParameter(AAX_CParamID id) override;
  AAX_Result PostSetValueRequest(AAX_CParamID id, double normalizedValue) const override;
  AAX_Result PostCurrentValue(AAX_CParamID id, double normalizedValue) const override;
  AAX_Result PostTouchRequest(AAX_CParamID id) override;
  AAX_Result PostReleaseRequest(AAX_CParamID id) override;

  // Takes the waiting set requests, oldest first.
  std::vector<std::pair<std::string, double>> TakeSetRequests();
  int NumRegistered() const;
  int NumTouches() const { return mTouches.load(); }
  int NumReleases() const { return mReleases.load(); }

protected:
  void* Find(const acfIID& iid) override;

private:
  mutable std::mutex mMutex;
  std::vector<std::string> mRegistered;
  mutable std::vector<std::pair<std::string, double>> mSetRequests;
  std::atomic<int> mTouches{0};
  std::atomic<int> mReleases{0};
};

// Transport state. Written by the host between render calls, read by the
// module on the render thread during one; the audio thread's hand-over
// orders the two.
class HostTransport final : public HostObject<AAX_ITransport>
{
public:
  AAX_Result GetCurrentTempo(double* bpm) const override;
  AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) const override;
  AAX_Result IsTransportPlaying(bool* isPlaying) const override;
  AAX_Result GetCurrentTickPosition(int64_t* ticks) const override;
  AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* loopStartTick,
                                    int64_t* loopEndTick) const override;
  AAX_Result GetCurrentNativeSampleLocation(int64_t* sampleLocation) const override;

  // Host side: moves the play position to sample, at the given rate.
  void SetPosition(int64_t sample, double sampleRate);

  static constexpr int64_t kTicksPerQuarter = 960000;
  double mTempo = 120.;
  int32_t mNumerator = 4;
  int32_t mDenominator = 4;
  bool mPlaying = true;
  bool mLooping = false;
  int64_t mLoopStart = 0;
  int64_t mLoopEnd = 0;
  int64_t mSample = 0;
  int64_t mTicks = 0;

protected:
  void* Find(const acfIID& iid) override;
};

// The per-instance controller. Also answers the automation and transport
// interfaces, as the module queries them from the controller object.
class HostController final : public HostObject<AAX_IController>
{
public:
  HostController(double sampleRate, AAX_EStemFormat in, AAX_EStemFormat out, Ref<HostAutomation> automation,
                 Ref<HostTransport> transport);
  AAX_Result GetSampleRate(double* sampleRate) const override;
  AAX_Result GetInputStemFormat(AAX_EStemFormat* format) const override;
  AAX_Result GetOutputStemFormat(AAX_EStemFormat* format) const override;
  AAX_Result GetSignalLatency(int32_t* samples) const override;
  // Any thread, including the render thread: no lock, no allocation.
  AAX_Result SetSignalLatency(int32_t samples) override;
  // Non-real-time thread (coefficient generation).
  AAX_Result PostPacket(AAX_CFieldIndex field, const void* data, uint32_t size) override;

  int32_t Latency() const { return mLatency.load(); }
  int NumLatencyReports() const { return mLatencyReports.load(); }
  // The instance's effect-parameters object, which the controller answers
  // to an editor's query (with a reference for the caller). Not held: the
  // instance owns it and clears it here before releasing it.
  void SetEffect(IACFUnknown* effect) { mEffect.store(effect); }
  // The packets posted since the last call, oldest first.
  std::vector<std::pair<AAX_CFieldIndex, std::vector<uint8_t>>> TakePackets();

protected:
  void* Find(const acfIID& iid) override;

private:
  double mSampleRate;
  AAX_EStemFormat mIn;
  AAX_EStemFormat mOut;
  Ref<HostAutomation> mAutomation;
  Ref<HostTransport> mTransport;
  std::atomic<IACFUnknown*> mEffect{nullptr};
  std::atomic<int32_t> mLatency{0};
  std::atomic<int> mLatencyReports{0};
  std::mutex mPacketMutex;
  std::vector<std::pair<AAX_CFieldIndex, std::vector<uint8_t>>> mPackets;
};

// A MIDI node of a render-context field. Input nodes deliver no packets;
// output packets are counted; the transport node answers the transport.
class HostMIDINode final : public AAX_IMIDINode
{
public:
  HostMIDINode(AAX_EMIDINodeType type, HostTransport* transport) : mType(type), mTransport(transport) {}
  ~HostMIDINode() = default;
  AAX_CMidiStream* GetNodeBuffer() override { return &mStream; }
  AAX_Result PostMIDIPacket(AAX_CMidiPacket* packet) override;
  AAX_ITransport* GetTransport() override;
  int NumPosted() const { return mPosted.load(); }

private:
  AAX_EMIDINodeType mType;
  HostTransport* mTransport;
  AAX_CMidiStream mStream;
  std::atomic<int> mPosted{0};
};

// A text object handed to the module's queries.
class HostString final : public AAX_IString
{
public:
  HostString() = default;
  explicit HostString(const char* text) { Set(text); }
  ~HostString() = default;
  uint32_t Length() const override { return static_cast<uint32_t>(mText.size()); }
  uint32_t MaxLength() const override { return 0xFFFFu; }
  const char* Get() const override { return mText.c_str(); }
  void Set(const char* text) override { mText = text ? text : ""; }
  void Set(const AAX_IString& other) override { mText = other.Get() ? other.Get() : ""; }
  const std::string& Str() const { return mText; }

private:
  std::string mText;
};

} // namespace aaxhost

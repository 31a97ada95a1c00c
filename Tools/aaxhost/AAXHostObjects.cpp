#include "AAXHostObjects.h"
#include "AAX_IEffectParameters.h"

#include <algorithm>
#include <cstring>

namespace aaxhost
{

// ---------------------------------------------------------------------------
// HostServices

void HostServices::Push(bool assertion, const char* text) const
{
  // Any thread: claims a free slot without blocking; a full ring drops the message.
  const uint32_t index = mWrite.fetch_add(1);
  Slot& slot = mSlots[index % kSlots];
  int expected = 0;
  if (!slot.state.compare_exchange_strong(expected, 1))
  {
    mDropped.fetch_add(1);
    return;
  }
  slot.assertion = assertion;
  std::snprintf(slot.text, sizeof(slot.text), "%s", text);
  slot.state.store(2);
}

AAX_Result HostServices::HandleAssertFailure(const char* file, int32_t line, const char* expression,
                                             int32_t flags) const
{
  char text[512];
  std::snprintf(text, sizeof(text), "%s:%d: %s (flags %d)", file ? file : "?", static_cast<int>(line),
                expression ? expression : "?", static_cast<int>(flags));
  mAssertions.fetch_add(1);
  Push(true, text);
  return AAX_SUCCESS;
}

AAX_Result HostServices::Trace(int32_t priority, const char* message) const
{
  char text[512];
  std::snprintf(text, sizeof(text), "[0x%x] %s", static_cast<unsigned>(priority), message ? message : "");
  mTraces.fetch_add(1);
  Push(false, text);
  return AAX_SUCCESS;
}

void HostServices::Flush(FILE* out)
{
  // User-interface thread only (the single consumer).
  for (;;)
  {
    Slot& slot = mSlots[mRead % kSlots];
    if (slot.state.load() != 2) break;
    if (slot.assertion) mLastAssertion = slot.text;
    if (out)
    {
      // Trailing line breaks of traces are the module's; print one of our own.
      std::string text = slot.text;
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      std::fprintf(out, "aaxhost: %s %s\n", slot.assertion ? "assertion failed:" : "trace", text.c_str());
    }
    slot.state.store(0);
    ++mRead;
  }
  const int dropped = mDropped.exchange(0);
  if (out && dropped) std::fprintf(out, "aaxhost: %d host-service messages dropped\n", dropped);
}

void* HostServices::Find(const acfIID& iid)
{
  if (iid == IID_AAX_IHostServices) return static_cast<AAX_IHostServices*>(this);
  return HostObject::Find(iid);
}

// ---------------------------------------------------------------------------
// Description objects

AAX_Result HostPropertyMap::AddProperty(AAX_CPropertyID id, AAX_CPropertyValue value)
{
  for (auto& p : mProperties)
    if (p.first == id)
    {
      p.second = value;
      return AAX_SUCCESS;
    }
  mProperties.emplace_back(id, value);
  return AAX_SUCCESS;
}

AAX_Result HostPropertyMap::GetProperty(AAX_CPropertyID id, AAX_CPropertyValue* value,
                                        AAX_CBoolean* found) const
{
  if (!value || !found) return AAX_ERROR_NULL_OBJECT;
  *found = 0;
  for (const auto& p : mProperties)
    if (p.first == id)
    {
      *value = p.second;
      *found = 1;
    }
  return AAX_SUCCESS;
}

AAX_Result HostPropertyMap::RemoveProperty(AAX_CPropertyID id)
{
  mProperties.erase(std::remove_if(mProperties.begin(), mProperties.end(),
                                   [id](const std::pair<int32_t, int32_t>& p) { return p.first == id; }),
                    mProperties.end());
  return AAX_SUCCESS;
}

void* HostPropertyMap::Find(const acfIID& iid)
{
  if (iid == IID_AAX_IPropertyMap) return static_cast<AAX_IPropertyMap*>(this);
  return HostObject::Find(iid);
}

AAX_Result HostComponentDescriptor::AddField(FieldRecord r)
{
  if (r.index < 0 || r.index > 1023)
  {
    mProblems.push_back("field index " + std::to_string(r.index) + " out of range for " + r.kind);
    return AAX_ERROR_INVALID_PARAMETER_ID;
  }
  for (const auto& f : mFields)
    if (f.index == r.index)
    {
      mProblems.push_back("field " + std::to_string(r.index) + " described twice (" + f.kind + ", " + r.kind +
                          ")");
      return AAX_ERROR_INVALID_PARAMETER_ID;
    }
  mFields.push_back(std::move(r));
  return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::Clear()
{
  mFields.clear();
  mAuxStems.clear();
  mProcs.clear();
  return AAX_SUCCESS;
}

namespace
{
FieldRecord Field(AAX_CFieldIndex index, const char* kind)
{
  FieldRecord r;
  r.index = index;
  r.kind = kind;
  return r;
}
} // namespace

AAX_Result HostComponentDescriptor::AddAudioIn(AAX_CFieldIndex field)
{
  return AddField(Field(field, "audio_in"));
}
AAX_Result HostComponentDescriptor::AddAudioOut(AAX_CFieldIndex field)
{
  return AddField(Field(field, "audio_out"));
}
AAX_Result HostComponentDescriptor::AddAudioBufferLength(AAX_CFieldIndex field)
{
  return AddField(Field(field, "buffer_length"));
}
AAX_Result HostComponentDescriptor::AddClock(AAX_CFieldIndex field)
{
  return AddField(Field(field, "clock"));
}
AAX_Result HostComponentDescriptor::AddSideChainIn(AAX_CFieldIndex field)
{
  return AddField(Field(field, "side_chain_in"));
}

AAX_Result HostComponentDescriptor::AddMIDINode(AAX_CFieldIndex field, AAX_EMIDINodeType nodeType,
                                                const char* name, uint32_t channelMask)
{
  FieldRecord r = Field(field, "midi_node");
  r.nodeType = nodeType;
  r.name = name ? name : "";
  r.mask = channelMask;
  if (nodeType < AAX_eMIDINodeType_LocalInput || nodeType > AAX_eMIDINodeType_Transport)
  {
    mProblems.push_back("field " + std::to_string(field) + ": unknown MIDI node type " +
                        std::to_string(nodeType));
    return AAX_ERROR_INVALID_PARAMETER_ID;
  }
  return AddField(std::move(r));
}

AAX_Result HostComponentDescriptor::AddPrivateData(AAX_CFieldIndex field, int32_t dataSize, uint32_t options)
{
  FieldRecord r = Field(field, "private_data");
  r.size = dataSize;
  r.options = options;
  if (dataSize < 0 || dataSize > (1 << 24))
  {
    mProblems.push_back("field " + std::to_string(field) + ": private data size " + std::to_string(dataSize));
    return AAX_ERROR_INVALID_PARAMETER_ID;
  }
  return AddField(std::move(r));
}

AAX_Result HostComponentDescriptor::AddDataInPort(AAX_CFieldIndex field, uint32_t packetSize,
                                                  int32_t portType)
{
  FieldRecord r = Field(field, "data_in_port");
  r.size = static_cast<int32_t>(packetSize);
  r.portType = portType;
  if (packetSize > (1u << 20))
  {
    mProblems.push_back("field " + std::to_string(field) + ": packet size " + std::to_string(packetSize));
    return AAX_ERROR_INVALID_PARAMETER_ID;
  }
  return AddField(std::move(r));
}

AAX_Result HostComponentDescriptor::AddMeters(AAX_CFieldIndex field, const AAX_CTypeID* meterIDs,
                                              uint32_t meterCount)
{
  FieldRecord r = Field(field, "meters");
  if (meterCount > 1024 || (meterCount && !meterIDs))
  {
    mProblems.push_back("field " + std::to_string(field) + ": bad meter list");
    return AAX_ERROR_NULL_OBJECT;
  }
  r.meterIDs.assign(meterIDs, meterIDs + meterCount);
  return AddField(std::move(r));
}

AAX_Result HostComponentDescriptor::AddAuxOutputStem(AAX_CFieldIndex field, AAX_EStemFormat format,
                                                     const char* name)
{
  mAuxStems.push_back({field, format, name ? name : ""});
  return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddProcessProc_Native(AAX_CProcessProc processProc,
                                                          IACFUnknown* properties,
                                                          AAX_CInstanceInitProc initProc,
                                                          AAX_CBackgroundProc backgroundProc)
{
  if (!processProc) return AAX_ERROR_NULL_OBJECT;
  ProcessProc p;
  p.proc = processProc;
  p.init = initProc;
  p.background = backgroundProc;
  if (HostPropertyMap* map = HostImplementation<HostPropertyMap>(properties))
  {
    map->AddRef();
    p.properties = Ref<HostPropertyMap>::Adopt(map);
  }
  else if (properties)
    mProblems.push_back("process procedure with a property map the host did not make");
  mProcs.push_back(std::move(p));
  return AAX_SUCCESS;
}

void* HostComponentDescriptor::Find(const acfIID& iid)
{
  if (iid == IID_AAX_IComponentDescriptor) return static_cast<AAX_IComponentDescriptor*>(this);
  return HostObject::Find(iid);
}

AAX_Result HostEffectDescriptor::AddComponent(IACFUnknown* component)
{
  HostComponentDescriptor* c = HostImplementation<HostComponentDescriptor>(component);
  if (!c) return AAX_ERROR_NULL_OBJECT;
  c->AddRef();
  mComponents.push_back(Ref<HostComponentDescriptor>::Adopt(c));
  return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddName(const char* name)
{
  if (!name) return AAX_ERROR_NULL_OBJECT;
  mNames.emplace_back(name);
  return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddCategory(uint32_t category)
{
  mCategories.push_back(category);
  return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddProcPtr(AAX_CProcPtr procPtr, AAX_CPropertyID procID)
{
  if (!procPtr) return AAX_ERROR_NULL_OBJECT;
  mProcPtrs.emplace_back(procID, procPtr);
  return AAX_SUCCESS;
}

void* HostEffectDescriptor::Find(const acfIID& iid)
{
  if (iid == IID_AAX_IEffectDescriptor) return static_cast<AAX_IEffectDescriptor*>(this);
  return HostObject::Find(iid);
}

AAX_Result HostCollection::AddEffect(const char* effectID, IACFUnknown* effect)
{
  HostEffectDescriptor* e = HostImplementation<HostEffectDescriptor>(effect);
  if (!e || !effectID) return AAX_ERROR_NULL_OBJECT;
  e->AddRef();
  mEffects.emplace_back(effectID, Ref<HostEffectDescriptor>::Adopt(e));
  return AAX_SUCCESS;
}

AAX_Result HostCollection::SetManufacturerName(const char* name)
{
  if (!name) return AAX_ERROR_NULL_OBJECT;
  mManufacturerName = name;
  return AAX_SUCCESS;
}

AAX_Result HostCollection::AddPackageName(const char* name)
{
  if (!name) return AAX_ERROR_NULL_OBJECT;
  mPackageNames.emplace_back(name);
  return AAX_SUCCESS;
}

AAX_Result HostCollection::SetPackageVersion(uint32_t version)
{
  mPackageVersion = version;
  mVersionSet = true;
  return AAX_SUCCESS;
}

void* HostCollection::Find(const acfIID& iid)
{
  // The collection is also the plug-in definition the registration hands back.
  if (iid == IID_AAX_ICollection || iid == IID_IACFPluginDefinition)
    return static_cast<AAX_ICollection*>(this);
  return HostObject::Find(iid);
}

HostRoot::HostRoot() : mServices(MakeRef<HostServices>()) {}

ACFRESULT HostRoot::CreateComponent(const acfCLSID& clsid, IACFUnknown* outer, const acfIID& iid, void** ppv)
{
  if (!ppv) return kACFResult_NoInterface;
  *ppv = nullptr;
  if (outer) return kACFResult_NoInterface; // no aggregation
  if (clsid == CLSID_AAX_Collection)
  {
    Ref<HostCollection> c = MakeRef<HostCollection>();
    mCollections.push_back(c);
    return c->QueryInterface(iid, ppv);
  }
  if (clsid == CLSID_AAX_EffectDescriptor) return MakeRef<HostEffectDescriptor>()->QueryInterface(iid, ppv);
  if (clsid == CLSID_AAX_ComponentDescriptor)
    return MakeRef<HostComponentDescriptor>()->QueryInterface(iid, ppv);
  if (clsid == CLSID_AAX_PropertyMap) return MakeRef<HostPropertyMap>()->QueryInterface(iid, ppv);
  return kACFResult_NoInterface;
}

void* HostRoot::Find(const acfIID& iid)
{
  if (iid == IID_IACFComponentFactory) return static_cast<IACFComponentFactory*>(this);
  if (iid == IID_AAX_IHostServices) return static_cast<AAX_IHostServices*>(mServices.get());
  return HostObject::Find(iid);
}

// ---------------------------------------------------------------------------
// Per-instance objects

AAX_Result HostAutomation::RegisterParameter(AAX_CParamID id)
{
  if (!id) return AAX_ERROR_NULL_OBJECT;
  std::lock_guard<std::mutex> lock(mMutex);
  mRegistered.emplace_back(id);
  return AAX_SUCCESS;
}

AAX_Result HostAutomation::UnregisterParameter(AAX_CParamID id)
{
  if (!id) return AAX_ERROR_NULL_OBJECT;
  std::lock_guard<std::mutex> lock(mMutex);
  auto it = std::find(mRegistered.begin(), mRegistered.end(), std::string(id));
  if (it == mRegistered.end()) return AAX_ERROR_INVALID_PARAMETER_ID;
  mRegistered.erase(it);
  return AAX_SUCCESS;
}

AAX_Result HostAutomation::PostSetValueRequest(AAX_CParamID id, double normalizedValue) const
{
  if (!id) return AAX_ERROR_NULL_OBJECT;
  std::lock_guard<std::mutex> lock(mMutex);
  mSetRequests.emplace_back(id, normalizedValue);
  return AAX_SUCCESS;
}

AAX_Result HostAutomation::PostCurrentValue(AAX_CParamID id, double) const
{
  return id ? AAX_SUCCESS : AAX_ERROR_NULL_OBJECT;
}

AAX_Result HostAutomation::PostTouchRequest(AAX_CParamID id)
{
  if (!id) return AAX_ERROR_NULL_OBJECT;
  mTouches.fetch_add(1);
  return AAX_SUCCESS;
}

AAX_Result HostAutomation::PostReleaseRequest(AAX_CParamID id)
{
  if (!id) return AAX_ERROR_NULL_OBJECT;
  mReleases.fetch_add(1);
  return AAX_SUCCESS;
}

std::vector<std::pair<std::string, double>> HostAutomation::TakeSetRequests()
{
  std::lock_guard<std::mutex> lock(mMutex);
  std::vector<std::pair<std::string, double>> out;
  out.swap(mSetRequests);
  return out;
}

int HostAutomation::NumRegistered() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return static_cast<int>(mRegistered.size());
}

void* HostAutomation::Find(const acfIID& iid)
{
  if (iid == IID_AAX_IAutomationDelegate) return static_cast<AAX_IAutomationDelegate*>(this);
  return HostObject::Find(iid);
}

AAX_Result HostTransport::GetCurrentTempo(double* bpm) const
{
  if (!bpm) return AAX_ERROR_NULL_OBJECT;
  *bpm = mTempo;
  return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentMeter(int32_t* numerator, int32_t* denominator) const
{
  if (!numerator || !denominator) return AAX_ERROR_NULL_OBJECT;
  *numerator = mNumerator;
  *denominator = mDenominator;
  return AAX_SUCCESS;
}

AAX_Result HostTransport::IsTransportPlaying(bool* isPlaying) const
{
  if (!isPlaying) return AAX_ERROR_NULL_OBJECT;
  *isPlaying = mPlaying;
  return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentTickPosition(int64_t* ticks) const
{
  if (!ticks) return AAX_ERROR_NULL_OBJECT;
  *ticks = mTicks;
  return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentLoopPosition(bool* looping, int64_t* loopStartTick,
                                                 int64_t* loopEndTick) const
{
  if (!looping || !loopStartTick || !loopEndTick) return AAX_ERROR_NULL_OBJECT;
  *looping = mLooping;
  *loopStartTick = mLoopStart;
  *loopEndTick = mLoopEnd;
  return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentNativeSampleLocation(int64_t* sampleLocation) const
{
  if (!sampleLocation) return AAX_ERROR_NULL_OBJECT;
  *sampleLocation = mSample;
  return AAX_SUCCESS;
}

void HostTransport::SetPosition(int64_t sample, double sampleRate)
{
  mSample = sample;
  // Quarter notes so far at the current tempo, in ticks.
  const double quarters = sampleRate > 0. ? static_cast<double>(sample) / sampleRate * mTempo / 60. : 0.;
  mTicks = static_cast<int64_t>(quarters * static_cast<double>(kTicksPerQuarter));
}

void* HostTransport::Find(const acfIID& iid)
{
  if (iid == IID_AAX_ITransport) return static_cast<AAX_ITransport*>(this);
  return HostObject::Find(iid);
}

HostController::HostController(double sampleRate, AAX_EStemFormat in, AAX_EStemFormat out,
                               Ref<HostAutomation> automation, Ref<HostTransport> transport)
    : mSampleRate(sampleRate), mIn(in), mOut(out), mAutomation(std::move(automation)),
      mTransport(std::move(transport))
{
}

AAX_Result HostController::GetSampleRate(double* sampleRate) const
{
  if (!sampleRate) return AAX_ERROR_NULL_OBJECT;
  *sampleRate = mSampleRate;
  return AAX_SUCCESS;
}

AAX_Result HostController::GetInputStemFormat(AAX_EStemFormat* format) const
{
  if (!format) return AAX_ERROR_NULL_OBJECT;
  *format = mIn;
  return AAX_SUCCESS;
}

AAX_Result HostController::GetOutputStemFormat(AAX_EStemFormat* format) const
{
  if (!format) return AAX_ERROR_NULL_OBJECT;
  *format = mOut;
  return AAX_SUCCESS;
}

AAX_Result HostController::GetSignalLatency(int32_t* samples) const
{
  if (!samples) return AAX_ERROR_NULL_OBJECT;
  *samples = mLatency.load();
  return AAX_SUCCESS;
}

AAX_Result HostController::SetSignalLatency(int32_t samples)
{
  mLatency.store(samples);
  mLatencyReports.fetch_add(1);
  return AAX_SUCCESS;
}

AAX_Result HostController::PostPacket(AAX_CFieldIndex field, const void* data, uint32_t size)
{
  if (!data && size) return AAX_ERROR_NULL_OBJECT;
  if (size > (1u << 20)) return AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  std::lock_guard<std::mutex> lock(mPacketMutex);
  mPackets.emplace_back(field, std::vector<uint8_t>(bytes, bytes + size));
  return AAX_SUCCESS;
}

std::vector<std::pair<AAX_CFieldIndex, std::vector<uint8_t>>> HostController::TakePackets()
{
  std::lock_guard<std::mutex> lock(mPacketMutex);
  std::vector<std::pair<AAX_CFieldIndex, std::vector<uint8_t>>> out;
  out.swap(mPackets);
  return out;
}

void* HostController::Find(const acfIID& iid)
{
  if (iid == IID_AAX_IController) return static_cast<AAX_IController*>(this);
  if (iid == IID_AAX_IAutomationDelegate && mAutomation)
    return static_cast<AAX_IAutomationDelegate*>(mAutomation.get());
  if (iid == IID_AAX_ITransport && mTransport) return static_cast<AAX_ITransport*>(mTransport.get());
  if (iid == IID_AAX_IACFEffectParameters) return mEffect.load();
  return HostObject::Find(iid);
}

AAX_Result HostMIDINode::PostMIDIPacket(AAX_CMidiPacket* packet)
{
  if (!packet) return AAX_ERROR_NULL_OBJECT;
  if (mType != AAX_eMIDINodeType_LocalOutput) return AAX_ERROR_UNIMPLEMENTED;
  mPosted.fetch_add(1);
  return AAX_SUCCESS;
}

AAX_ITransport* HostMIDINode::GetTransport()
{
  return mType == AAX_eMIDINodeType_Transport ? mTransport : nullptr;
}

} // namespace aaxhost

#include "AAXHostSession.h"
#include "AAXHostRealtime.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace aaxhost
{

namespace
{
std::string ResultText(ACFRESULT r)
{
  return std::to_string(static_cast<long long>(r));
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string Trim(const std::string& text)
{
  const char* space = " \t";
  const size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// Length of the plain decimal number at the start of text ([+-] digits [.
// digits]): no exponent, no hexadecimal, no inf or nan. 0 when there is none.
size_t DecimalPrefix(const std::string& text)
{
  size_t i = 0, digits = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) ++digits;
  if (i < text.size() && text[i] == '.')
    for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) ++digits;
  return digits ? i : 0;
}
} // namespace

bool ParseValueText(const std::string& text, const std::string& unit, double& value)
{
  const std::string t = Trim(text);
  const size_t n = DecimalPrefix(t);
  if (n == 0) return false;
  const std::string rest = Trim(t.substr(n));
  if (!rest.empty() && !EqualNoCase(rest, unit)) return false;
  value = std::strtod(t.substr(0, n).c_str(), nullptr);
  return std::isfinite(value);
}

// ---------------------------------------------------------------------------
// Session

std::unique_ptr<Session> Session::Open(const std::string& path, std::string& error, FILE* messages)
{
  std::unique_ptr<Session> s(new Session);
  s->mMessages = messages;
  s->mModule = Module::Open(path, error);
  if (!s->mModule) return nullptr;
  s->mRoot = MakeRef<HostRoot>();
  const ModuleExports& ex = s->mModule->Exports();

  ACFRESULT r = ex.startup(s->mRoot.get());
  if (r != kACFResult_OK)
  {
    error = "ACFStartup failed with " + ResultText(r) + ": " + path;
    return nullptr; // the destructor shuts the module down
  }
  s->mDescription.sdkVersionResult = ex.getSDKVersion(&s->mDescription.sdkVersion);

  IACFPluginDefinition* definition = nullptr;
  r = ex.registerPlugin(s->mRoot.get(), &definition);
  s->mDefinition = definition;
  s->mDescription.registerResult = r;
  s->mRoot->Services().Flush(messages);
  if (!s->mRoot->mCollections.empty())
  {
    HostCollection* collection = s->mRoot->mCollections.back().get();
    s->mDescription = [&]
    {
      Description d = Description::FromCollection(*collection);
      d.registerResult = r;
      d.sdkVersion = s->mDescription.sdkVersion;
      d.sdkVersionResult = s->mDescription.sdkVersionResult;
      return d;
    }();
    s->mDescription.definitionReturned =
        definition && HostImplementation<HostCollection>(definition) == collection;
  }
  if (r != kACFResult_OK)
  {
    error = "ACFRegisterPlugin failed with " + ResultText(r) + ": " + path;
    return nullptr; // the destructor shuts the module down
  }
  if (s->mDescription.effects.empty())
  {
    error = "the module described no effect: " + path;
    return nullptr;
  }
  return s;
}

Session::~Session()
{
  if (!mModule) return;
  ReleaseDescriptionObjects();
  if (mRoot)
  {
    mModule->Exports().shutdown(mRoot.get());
    mRoot->Services().Flush(mMessages);
  }
  mModule.reset();
}

void Session::ReleaseDescriptionObjects()
{
  if (mDefinition)
  {
    mDefinition->Release();
    mDefinition = nullptr;
  }
  if (mRoot) mRoot->mCollections.clear();
}

ACFRESULT Session::CanUnloadNow()
{
  return mModule->Exports().canUnloadNow(mRoot.get());
}

void Session::PumpUserInterface()
{
  mModule->PumpUserInterface();
  mRoot->Services().Flush(mMessages);
}

std::unique_ptr<Instance> Session::CreateInstance(int channels, double sampleRate, std::string& error,
                                                  int effectIndex)
{
  if (effectIndex < 0 || effectIndex >= static_cast<int>(mDescription.effects.size()))
  {
    error = "no effect " + std::to_string(effectIndex);
    return nullptr;
  }
  const EffectRecord& effect = mDescription.effects[static_cast<size_t>(effectIndex)];
  const int component = effect.ComponentForChannels(channels);
  if (component < 0)
  {
    error = "the effect has no configuration for " + std::to_string(channels) + " channels";
    return nullptr;
  }
  AAX_CProcPtr create = effect.ProcPtr(0);
  if (!create)
  {
    error = "the effect registered no factory callback for its parameters (proc id 0)";
    return nullptr;
  }
  std::unique_ptr<Instance> instance(
      new Instance(*this, effect, effect.components[static_cast<size_t>(component)], sampleRate));
  if (!instance->Init(create, error)) return nullptr;
  return instance;
}

// ---------------------------------------------------------------------------
// Instance

Instance::Instance(Session& session, const EffectRecord& effect, const ComponentRecord& component,
                   double sampleRate)
    : mSession(session), mEffectRecord(effect), mComponent(component), mSampleRate(sampleRate)
{
  mInChannels = AAX_StemFormatChannelCount(component.InputStemFormat());
  mOutChannels = AAX_StemFormatChannelCount(component.OutputStemFormat());
  mAutomation = MakeRef<HostAutomation>();
  mTransport = MakeRef<HostTransport>();
  mController = MakeRef<HostController>(sampleRate, component.InputStemFormat(), component.OutputStemFormat(),
                                        mAutomation, mTransport);
  mLastPump = std::chrono::steady_clock::now();
}

void* Instance::NewBlock(size_t bytes)
{
  const size_t words = std::max<size_t>(1, (bytes + 7) / 8);
  mBlocks.emplace_back(new uint64_t[words]());
  return mBlocks.back().get();
}

bool Instance::Init(AAX_CProcPtr create, std::string& error)
{
  if (!mComponent.processProc)
  {
    error = "the configuration has no render callback";
    return false;
  }
  if (mInChannels < 1 || mOutChannels < 1)
  {
    error = "the configuration describes no input or output stem format";
    return false;
  }
  // The factory answers an object without a reference; the query takes the host's.
  AAX_IEffectParameters* made = reinterpret_cast<AAX_CCreateEffectParametersProc>(create)();
  if (!made)
  {
    error = "the factory callback made no object";
    return false;
  }
  void* p = nullptr;
  if (made->QueryInterface(IID_AAX_IACFEffectParameters, &p) != kACFResult_OK || !p)
  {
    error = "the factory's object does not answer the effect-parameters interface";
    return false;
  }
  mEffect = static_cast<AAX_IACFEffectParameters*>(p);
  // An editor finds the instance through its controller.
  mController->SetEffect(mEffect);

  {
    std::lock_guard<std::mutex> lock(mHostLock);
    const AAX_Result r = mEffect->Initialize(static_cast<AAX_IController*>(mController.get()));
    mSession.Services().Flush(mSession.Messages());
    if (r != AAX_SUCCESS)
    {
      error = "Initialize failed with " + std::to_string(r);
      return false;
    }
    mInitialized = true;
  }

  // The render context exactly as the component described it.
  mContext.assign(static_cast<size_t>(mComponent.NumContextFields()), nullptr);
  mInPtrs.assign(static_cast<size_t>(mInChannels), nullptr);
  mOutPtrs.assign(static_cast<size_t>(mOutChannels), nullptr);
  for (const FieldRecord& f : mComponent.fields)
  {
    void*& slot = mContext[static_cast<size_t>(f.index)];
    if (f.kind == "audio_in")
      slot = mInPtrs.data();
    else if (f.kind == "audio_out")
      slot = mOutPtrs.data();
    else if (f.kind == "buffer_length")
      slot = &mBufferLength;
    else if (f.kind == "clock")
      slot = &mClock;
    else if (f.kind == "side_chain_in")
      slot = &mSideChain;
    else if (f.kind == "midi_node")
    {
      mNodes.emplace_back(new HostMIDINode(static_cast<AAX_EMIDINodeType>(f.nodeType), mTransport.get()));
      slot = static_cast<AAX_IMIDINode*>(mNodes.back().get());
    }
    else if (f.kind == "private_data")
    {
      slot = NewBlock(static_cast<size_t>(f.size));
      std::lock_guard<std::mutex> lock(mHostLock);
      const AAX_Result r = mEffect->ResetFieldData(f.index, slot, static_cast<uint32_t>(f.size));
      if (r != AAX_SUCCESS)
      {
        error = "ResetFieldData(" + std::to_string(f.index) + ") failed with " + std::to_string(r);
        return false;
      }
    }
    else if (f.kind == "data_in_port")
    {
      slot = NewBlock(static_cast<size_t>(f.size));
      mDataInField = f.index;
      mDataInSize = static_cast<uint32_t>(f.size);
      mDataIn = slot;
    }
    else if (f.kind == "meters")
      slot = NewBlock(f.meterIDs.size() * sizeof(float));
  }
  DeliverAutomation();
  mAudio = std::thread([this] { AudioThreadMain(); });
  return true;
}

Instance::~Instance()
{
  if (mAudio.joinable())
  {
    {
      std::lock_guard<std::mutex> lock(mAudioMutex);
      mAudioState = 3;
    }
    mAudioCv.notify_all();
    mAudio.join();
  }
  if (mEffect)
  {
    std::lock_guard<std::mutex> lock(mHostLock);
    mController->SetEffect(nullptr);
    if (mInitialized) mEffect->Uninitialize();
    mEffect->Release();
    mEffect = nullptr;
  }
  mSession.Services().Flush(mSession.Messages());
}

void Instance::AudioThreadMain()
{
  DisableFlushToZero();
  void* contexts[1] = {mContext.empty() ? nullptr : mContext.data()};
  for (;;)
  {
    bool watch = false;
    {
      std::unique_lock<std::mutex> lock(mAudioMutex);
      mAudioCv.wait(lock, [this] { return mAudioState == 1 || mAudioState == 3; });
      if (mAudioState == 3) return;
      watch = mWatch;
    }
    RealtimeProbe* probe = watch ? RealtimeProbe::Get() : nullptr;
    if (probe) probe->BeginWatch();
    mComponent.processProc(contexts, contexts + 1);
    if (probe) probe->EndWatch();
    {
      std::lock_guard<std::mutex> lock(mAudioMutex);
      mAudioState = 2;
    }
    mAudioCv.notify_all();
  }
}

void Instance::PrepareBlock(const float* const* in, float* const* out, int n, int64_t stateBehind)
{
  {
    std::lock_guard<std::mutex> lock(mHostLock);
    mEffect->GenerateCoefficients();
  }
  // The posted state number goes into the data-in port of the context.
  for (auto& packet : mController->TakePackets())
  {
    if (packet.first != mDataInField || !mDataIn) continue;
    const size_t bytes = std::min<size_t>(packet.second.size(), mDataInSize);
    std::memcpy(mDataIn, packet.second.data(), bytes);
    if (bytes == sizeof(int64_t)) std::memcpy(&mLastState, packet.second.data(), sizeof(int64_t));
  }
  if (stateBehind > 0 && mDataIn && mDataInSize == sizeof(int64_t))
  {
    // A host whose render call lags behind the coefficient generation.
    const int64_t older = mLastState - stateBehind;
    std::memcpy(mDataIn, &older, sizeof(older));
  }
  for (int c = 0; c < mInChannels; ++c) mInPtrs[static_cast<size_t>(c)] = const_cast<float*>(in[c]);
  for (int c = 0; c < mOutChannels; ++c) mOutPtrs[static_cast<size_t>(c)] = out[c];
  mBufferLength = n;
  mTransport->SetPosition(mPosition, mSampleRate);
}

void Instance::ProcessTogether(const std::vector<Instance*>& instances,
                               const std::vector<const float* const*>& in,
                               const std::vector<float* const*>& out, int n)
{
  if (instances.empty()) return;
  std::vector<void*> contexts;
  for (size_t i = 0; i < instances.size(); ++i)
  {
    instances[i]->PrepareBlock(in[i], out[i], n, 0);
    contexts.push_back(instances[i]->mContext.data());
  }
  instances[0]->mComponent.processProc(contexts.data(), contexts.data() + contexts.size());
  for (Instance* instance : instances) instance->FinishBlock(n);
}

void Instance::Process(const float* const* in, float* const* out, int n, int64_t stateBehind)
{
  PrepareBlock(in, out, n, stateBehind);
  {
    std::unique_lock<std::mutex> lock(mAudioMutex);
    mAudioState = 1;
    mAudioCv.notify_all();
    mAudioCv.wait(lock, [this] { return mAudioState == 2; });
    mAudioState = 0;
  }
  FinishBlock(n);
}

void Instance::FinishBlock(int n)
{
  mPosition += n;
  mClock += n;
  if (!mPumpWhileRendering) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - mLastPump >= std::chrono::milliseconds(20))
  {
    mLastPump = now;
    PumpUserInterface();
  }
}

void Instance::PumpUserInterface()
{
  {
    std::lock_guard<std::mutex> lock(mHostLock);
    mEffect->TimerWakeup();
  }
  mSession.PumpUserInterface();
  DeliverAutomation();
}

void Instance::DeliverAutomation()
{
  std::vector<std::pair<std::string, double>> delivered;
  {
    std::lock_guard<std::mutex> lock(mHostLock);
    // An update may post further requests; bounded so that a module that
    // answers every update with a new request cannot hang the host.
    for (int round = 0; round < 16; ++round)
    {
      auto requests = mAutomation->TakeSetRequests();
      if (requests.empty()) break;
      for (const auto& r : requests)
        mEffect->UpdateParameterNormalizedValue(r.first.c_str(), r.second, AAX_eUpdateSource_Parameter);
      if (mAutomationListener) delivered.insert(delivered.end(), requests.begin(), requests.end());
    }
  }
  for (const auto& r : delivered) mAutomationListener(r.first, r.second);
}

std::vector<ParameterInfo> Instance::Parameters()
{
  std::lock_guard<std::mutex> lock(mHostLock);
  std::vector<ParameterInfo> out;
  int32_t n = 0;
  if (mEffect->GetNumberOfParameters(&n) != AAX_SUCCESS) return out;
  for (int32_t i = 0; i < n; ++i)
  {
    ParameterInfo info;
    HostString id, name;
    if (mEffect->GetParameterIDFromIndex(i, &id) != AAX_SUCCESS) continue;
    info.id = id.Str();
    mEffect->GetParameterName(info.id.c_str(), &name);
    info.name = name.Str();
    mEffect->GetParameterNumberOfSteps(info.id.c_str(), &info.steps);
    AAX_EParameterType type = AAX_eParameterType_Continuous;
    info.discrete = mEffect->GetParameterType(info.id.c_str(), &type) == AAX_SUCCESS &&
                    type == AAX_eParameterType_Discrete;
    mEffect->GetParameterDefaultNormalizedValue(info.id.c_str(), &info.defaultValue);
    out.push_back(std::move(info));
  }
  return out;
}

bool Instance::FindParameter(const std::string& nameOrID, std::string& id)
{
  const auto params = Parameters();
  for (const auto& p : params)
    if (p.name == nameOrID)
    {
      id = p.id;
      return true;
    }
  for (const auto& p : params)
    if (EqualNoCase(p.name, nameOrID))
    {
      id = p.id;
      return true;
    }
  for (const auto& p : params)
    if (!nameOrID.empty() && p.id == nameOrID)
    {
      id = p.id;
      return true;
    }
  return false;
}

bool Instance::CheckValueText(const std::string& id, const std::string& text, std::string& moduleText,
                              std::string& error)
{
  ParameterInfo info;
  for (const auto& p : Parameters())
    if (p.id == id) info = p;
  if (info.discrete)
  {
    // The texts of its steps, matched ignoring case like the names.
    std::string accepted;
    const int32_t steps = std::max<int32_t>(info.steps, 1);
    for (int32_t k = 0; k < steps; ++k)
    {
      const std::string t = ValueText(id, steps > 1 ? double(k) / double(steps - 1) : 0.);
      if (EqualNoCase(t, Trim(text)))
      {
        moduleText = t;
        return true;
      }
      accepted += (k ? ", " : "") + t;
    }
    error = "accepted texts: " + accepted;
    return false;
  }
  // A number in the parameter's own text, with or without its unit: the unit
  // is what follows the number in the displayed value.
  const std::string shown = Trim(ValueText(id, GetNormalized(id)));
  const std::string unit = Trim(shown.substr(DecimalPrefix(shown)));
  double value = 0., low = 0., high = 0.;
  if (!ParseValueText(text, unit, value))
  {
    error = "not a plain decimal number" + (unit.empty() ? std::string() : " (in " + unit + ")");
    return false;
  }
  const std::string lowText = ValueText(id, 0.), highText = ValueText(id, 1.);
  if (ParseValueText(lowText, unit, low) && ParseValueText(highText, unit, high) &&
      (value < std::min(low, high) || value > std::max(low, high)))
  {
    error = "outside " + lowText + " to " + highText;
    return false;
  }
  moduleText = Trim(text).substr(0, DecimalPrefix(Trim(text)));
  return true;
}

bool Instance::SetParameterFromText(const std::string& id, const std::string& text, std::string& error)
{
  std::string moduleText;
  if (!CheckValueText(id, text, moduleText, error)) return false;
  double value = 0.;
  {
    std::lock_guard<std::mutex> lock(mHostLock);
    HostString s(moduleText.c_str());
    const AAX_Result r = mEffect->GetParameterValueFromString(id.c_str(), &value, s);
    if (r != AAX_SUCCESS)
    {
      error = "not a value the parameter accepts (" + std::to_string(r) + ")";
      return false;
    }
  }
  const AAX_Result r = SetNormalized(id, value);
  if (r != AAX_SUCCESS)
  {
    error = "SetParameterNormalizedValue failed with " + std::to_string(r);
    return false;
  }
  return true;
}

AAX_Result Instance::SetNormalized(const std::string& id, double value)
{
  AAX_Result r;
  {
    std::lock_guard<std::mutex> lock(mHostLock);
    r = mEffect->SetParameterNormalizedValue(id.c_str(), value);
  }
  DeliverAutomation();
  return r;
}

double Instance::GetNormalized(const std::string& id)
{
  std::lock_guard<std::mutex> lock(mHostLock);
  double v = -1.;
  if (mEffect->GetParameterNormalizedValue(id.c_str(), &v) != AAX_SUCCESS) return -1.;
  return v;
}

std::string Instance::ValueText(const std::string& id, double normalized)
{
  std::lock_guard<std::mutex> lock(mHostLock);
  HostString s;
  if (mEffect->GetParameterStringFromValue(id.c_str(), normalized, &s, 31) != AAX_SUCCESS)
    return std::string();
  return s.Str();
}

bool Instance::SaveState(std::vector<uint8_t>& data, std::string& error)
{
  std::lock_guard<std::mutex> lock(mHostLock);
  int32_t count = 0;
  if (mEffect->GetNumberOfChunks(&count) != AAX_SUCCESS || count < 1)
  {
    error = "the instance has no state chunk";
    return false;
  }
  AAX_CTypeID chunkID = 0;
  AAX_Result r = mEffect->GetChunkIDFromIndex(0, &chunkID);
  if (r != AAX_SUCCESS)
  {
    error = "GetChunkIDFromIndex failed with " + std::to_string(r);
    return false;
  }
  uint32_t size = 0;
  r = mEffect->GetChunkSize(chunkID, &size);
  if (r != AAX_SUCCESS || size > (64u << 20))
  {
    error = "GetChunkSize failed with " + std::to_string(r);
    return false;
  }
  // Header, data and a guard word the module must not touch.
  std::vector<uint64_t> record((kAAXChunkHeaderSize + size + 8 + 7) / 8 + 1, 0);
  auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
  chunk->fSize = static_cast<int32_t>(size);
  chunk->fChunkID = chunkID;
  r = mEffect->GetChunk(chunkID, chunk);
  if (r != AAX_SUCCESS)
  {
    error = "GetChunk failed with " + std::to_string(r);
    return false;
  }
  if (chunk->fSize < 0 || static_cast<uint32_t>(chunk->fSize) > size)
  {
    error =
        "GetChunk wrote " + std::to_string(chunk->fSize) + " bytes into a chunk of " + std::to_string(size);
    return false;
  }
  const char* bytes = reinterpret_cast<const char*>(record.data()) + kAAXChunkHeaderSize;
  data.assign(bytes, bytes + chunk->fSize);
  return true;
}

AAX_Result Instance::RestoreState(const uint8_t* data, size_t size)
{
  AAX_Result r;
  {
    std::lock_guard<std::mutex> lock(mHostLock);
    AAX_CTypeID chunkID = 0;
    r = mEffect->GetChunkIDFromIndex(0, &chunkID);
    if (r != AAX_SUCCESS) return r;
    std::vector<uint64_t> record((kAAXChunkHeaderSize + size + 7) / 8 + 1, 0);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
    chunk->fSize = static_cast<int32_t>(size);
    chunk->fChunkID = chunkID;
    if (size) std::memcpy(reinterpret_cast<char*>(record.data()) + kAAXChunkHeaderSize, data, size);
    r = mEffect->SetChunk(chunkID, chunk);
  }
  DeliverAutomation();
  return r;
}

AAX_Result Instance::CompareState(const uint8_t* data, size_t size, bool& equal)
{
  std::lock_guard<std::mutex> lock(mHostLock);
  AAX_CTypeID chunkID = 0;
  AAX_Result r = mEffect->GetChunkIDFromIndex(0, &chunkID);
  if (r != AAX_SUCCESS) return r;
  std::vector<uint64_t> record((kAAXChunkHeaderSize + size + 7) / 8 + 1, 0);
  auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
  chunk->fSize = static_cast<int32_t>(size);
  chunk->fChunkID = chunkID;
  if (size) std::memcpy(reinterpret_cast<char*>(record.data()) + kAAXChunkHeaderSize, data, size);
  AAX_CBoolean isEqual = 0;
  r = mEffect->CompareActiveChunk(chunk, &isEqual);
  equal = isEqual != 0;
  return r;
}

} // namespace aaxhost

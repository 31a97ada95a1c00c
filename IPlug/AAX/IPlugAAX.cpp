#include "IPlugAAX.h"

#include "AAX_Assert.h"
#include "AAX_CBinaryDisplayDelegate.h"
#include "AAX_CBinaryTaperDelegate.h"
#include "AAX_CIPlugTaperDelegate.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_CStringDisplayDelegate.h"
#include "AAX_CUnitDisplayDelegateDecorator.h"
#include "AAX_VController.h"
#include "IGraphics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

namespace iplug
{

namespace
{
// Framework index of an AAX identifier: its decimal value minus 1; -1 for
// anything that is not a plain decimal number (the bypass's empty identifier).
int FrameworkIndexFromID(AAX_CParamID identifier)
{
  if (!identifier || !*identifier) return -1;
  long value = 0;
  for (const char* c = identifier; *c; ++c)
  {
    if (*c < '0' || *c > '9' || value > 1000000) return -1;
    value = value * 10 + (*c - '0');
  }
  return static_cast<int>(value) - 1;
}
} // namespace

IPlugAAX::IPlugAAX(const InstanceInfo&, const PluginConfig& config)
    : IPlugAPIBase(config, kAPIAAX), IPlugProcessor(config), AAX_CIPlugParameters()
{
  mMidiOut.resize(kInitialMidiOutCapacity);
  SetChannelsConnected(kInput, 0, MaxNChannels(kInput), true);
  SetChannelsConnected(kOutput, 0, MaxNChannels(kOutput), true);
  if (MaxNChannels(kInput) > 0)
  {
    CreateLatencyDelay(MaxNChannels(kInput), MaxNChannels(kOutput));
    IPlugProcessor::SetLatency(config.latency);
  }
  SetBlockSize(512);
  mMainInputBusWidth = MaxNChannelsForBus(kInput, 0);
  StartTimer(kFrameworkTimerMs);
}

IPlugAAX::~IPlugAAX()
{
  // No tick may reach the derived plug-in while it is being torn down.
  StopTimer();
}

const char* IPlugAAX::ParamIdentifier(int paramIdx) const
{
  if (paramIdx < 0 || paramIdx >= static_cast<int>(mParamIDs.size())) return "";
  return mParamIDs[static_cast<size_t>(paramIdx)]->c_str();
}

// --- Initialisation ---------------------------------------------------------

AAX_Result IPlugAAX::EffectInit()
{
  try
  {
    if (GetHostCode() == -1) SetHost("ProTools", 0);

    // Nothing is registered yet, so the host is told the empty identifier.
    AAX_CString bypassID;
    GetMasterBypassParameter(&bypassID);
    // Owned here until the manager takes it (it does not when it refuses or runs out of memory).
    std::unique_ptr<AAX_CParameter<bool>> bypass(new AAX_CParameter<bool>(
        bypassID.Get(), AAX_CString("Master Bypass"), false, AAX_CBinaryTaperDelegate<bool>(),
        AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true));
    bypass->SetNumberOfSteps(2);
    bypass->SetType(AAX_eParameterType_Discrete);
    if (mParameterManager.AddParameter(bypass.get()))
      mBypassParameter = bypass.release();
    else
    {
      // A repeated Initialize: the parameters of the first one are still registered.
      bypass.reset();
      mBypassParameter =
          dynamic_cast<AAX_CParameter<bool>*>(mParameterManager.GetParameterByID(bypassID.Get()));
    }

    mParamIDs.clear();
    for (int i = 0; i < NParams(); ++i) RegisterFrameworkParameter(i);

    double sampleRate = 0.0;
    if (Controller() && Controller()->GetSampleRate(&sampleRate) == AAX_SUCCESS && sampleRate > 0.0)
      SetSampleRate(sampleRate);
    OnReset();
    return AAX_SUCCESS;
  }
  catch (...) // nothing may leave the module
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
}

void IPlugAAX::RegisterFrameworkParameter(int paramIdx)
{
  const IParam* p = GetParam(paramIdx);
  mParamIDs.push_back(std::make_unique<std::string>(std::to_string(paramIdx + 1)));
  if (!p) return;
  const char* id = mParamIDs.back()->c_str();
  const AAX_CString name(p->GetName());
  const bool automatable = p->GetCanAutomate();
  const char* unitLabel = p->UnitLabel();
  const AAX_CString unit(unitLabel ? unitLabel : "");

  // Owned here until the manager takes it (it does not when it refuses or runs out of memory).
  std::unique_ptr<AAX_IParameter> parameter;
  switch (p->Type())
  {
  case kTypeDouble:
    parameter.reset(new AAX_CParameter<double>(
        id, name, p->GetDefault(), AAX_CIPlugTaperDelegate<double>(*p),
        AAX_CUnitDisplayDelegateDecorator<double>(AAX_CNumberDisplayDelegate<double, 2, 0>(), unit),
        automatable));
    parameter->SetNumberOfSteps(128);
    parameter->SetType(AAX_eParameterType_Continuous);
    break;
  case kTypeInt:
    parameter.reset(new AAX_CParameter<int>(
        id, name, static_cast<int>(p->GetDefault()),
        AAX_CLinearTaperDelegate<int, 1>(static_cast<int>(p->GetMin()), static_cast<int>(p->GetMax())),
        AAX_CUnitDisplayDelegateDecorator<int>(AAX_CNumberDisplayDelegate<int, 0, 0>(), unit), automatable));
    parameter->SetNumberOfSteps(128);
    parameter->SetType(AAX_eParameterType_Continuous);
    break;
  case kTypeEnum:
  case kTypeBool:
  {
    std::map<int, AAX_CString> texts;
    for (int j = 0; j < p->DisplayTextCount(); ++j)
    {
      double value = 0.0;
      const char* text = p->DisplayTextAt(j, &value);
      texts.emplace(static_cast<int>(value), AAX_CString(text ? text : "")); // first entry per key wins
    }
    parameter.reset(new AAX_CParameter<int>(
        id, name, static_cast<int>(p->GetDefault()),
        AAX_CLinearTaperDelegate<int, 1>(static_cast<int>(p->GetMin()), static_cast<int>(p->GetMax())),
        AAX_CStringDisplayDelegate<int>(texts), automatable));
    parameter->SetNumberOfSteps(static_cast<uint32_t>(p->DisplayTextCount()));
    parameter->SetType(AAX_eParameterType_Discrete);
    break;
  }
  default:
    return; // no AAX parameter; the identifier stays taken
  }
  if (mParameterManager.AddParameter(parameter.get())) parameter.release();
}

// --- Rendering (real-time thread) --------------------------------------------

void IPlugAAX::RenderBlock(AAX_SIPlugRenderInfo* renderInfo, const ParamValuePair* const[], int32_t)
{
  if (!renderInfo || !renderInfo->mNumSamples || !Controller()) return;
  const int n = *renderInfo->mNumSamples;
  if (n < 0) return;

  bool bypass = false;
  if (mBypassParameter) mBypassParameter->GetValueAsBool(&bypass);

  AAX_EStemFormat inFormat = AAX_eStemFormat_None;
  AAX_EStemFormat outFormat = AAX_eStemFormat_None;
  Controller()->GetInputStemFormat(&inFormat);
  Controller()->GetOutputStemFormat(&outFormat);
  const int maxIn = MaxNChannels(kInput);
  const int maxOut = MaxNChannels(kOutput);
  // A host claiming more channels than the plug-in has gets only those.
  const int nIn = std::min(AAX_StemFormatChannelCount(inFormat), maxIn);
  const int nOut = std::min(AAX_StemFormatChannelCount(outFormat), maxOut);

  if (DoesMIDIIn() && renderInfo->mInputNode)
  {
    if (const AAX_CMidiStream* stream = renderInfo->mInputNode->GetNodeBuffer())
    {
      for (uint32_t i = 0; stream->mBuffer && i < stream->mBufferSize; ++i)
      {
        const AAX_CMidiPacket& packet = stream->mBuffer[i];
        MidiMessage msg;
        msg.mOffset = static_cast<int32_t>(packet.mTimestamp);
        msg.mStatus = packet.mData[0];
        msg.mData1 = packet.mData[1];
        msg.mData2 = packet.mData[2];
        ProcessMidiMessage(msg);
        MidiToEditorQueue().Push(msg); // dropped when full
      }
    }
  }

  mTransport = renderInfo->mTransportNode ? renderInfo->mTransportNode->GetTransport() : nullptr;

  if (n > GetBlockSize())
  {
    SetBlockSize(n);
    OnReset();
  }

  if (!IsInstrument())
  {
    SetChannelsConnected(kInput, 0, nIn, true);
    SetChannelsConnected(kInput, nIn, maxIn - nIn, false);
    // Field 26 exists only in contexts described with a side chain (two or
    // more input buses): a plug-in without one must not read past field 25.
    const bool hasSideChain = MaxNBuses(kInput) >= 2;
    const int32_t sideChain = hasSideChain && renderInfo->mSideChainP ? *renderInfo->mSideChainP : 0;
    if (hasSideChain && sideChain != 0 && renderInfo->mAudioInputs)
    {
      SetChannelsConnected(kInput, mMainInputBusWidth, 1, true);
      AttachHostBuffers(kInput, 0, nIn, renderInfo->mAudioInputs, n);
      AttachHostBuffers(kInput, mMainInputBusWidth, 1, &renderInfo->mAudioInputs[sideChain], n);
    }
    else
    {
      AttachHostBuffers(kInput, 0, nIn, renderInfo->mAudioInputs, n);
    }
  }

  SetChannelsConnected(kOutput, 0, maxOut, true);
  if (MaxNBuses(kOutput) == 1) SetChannelsConnected(kOutput, nOut, maxOut - nOut, false);
  AttachHostBuffers(kOutput, 0, maxOut, renderInfo->mAudioOutputs, n);

  if (bypass)
  {
    PassThrough(n);
  }
  else
  {
    BuildTransportInfo();
    MidiMessage msg;
    while (MidiFromEditorQueue().Pop(msg)) ProcessMidiMessage(msg);
    RunBlock(n);
  }

  PostMidiOutput(renderInfo);
  mTransport = nullptr;
}

void IPlugAAX::BuildTransportInfo()
{
  TransportInfo info; // tempo 120, positions -1, 4/4, stopped, no loop
  if (AAX_ITransport* transport = mTransport)
  {
    // Failed calls leave the defaults.
    transport->GetCurrentTempo(&info.mTempo);
    transport->IsTransportPlaying(&info.mTransportIsRunning);
    int32_t numerator = info.mNumerator;
    int32_t denominator = info.mDenominator;
    if (transport->GetCurrentMeter(&numerator, &denominator) == AAX_SUCCESS)
    {
      info.mNumerator = numerator;
      info.mDenominator = denominator;
    }
    int64_t ticks = 0;
    if (transport->GetCurrentTickPosition(&ticks) == AAX_SUCCESS)
      info.mPPQPos = std::max(static_cast<double>(ticks) / kTicksPerQuarter, 0.0);
    int64_t sampleLocation = 0;
    if (transport->GetCurrentNativeSampleLocation(&sampleLocation) == AAX_SUCCESS)
      info.mSamplePos = static_cast<double>(sampleLocation);
    bool looping = false;
    int64_t loopStart = 0;
    int64_t loopEnd = 0;
    if (transport->GetCurrentLoopPosition(&looping, &loopStart, &loopEnd) == AAX_SUCCESS)
    {
      info.mTransportLoopEnabled = looping;
      info.mCycleStart = static_cast<double>(loopStart) / kTicksPerQuarter;
      info.mCycleEnd = static_cast<double>(loopEnd) / kTicksPerQuarter;
    }
  }
  SetTransportInfo(info);
}

void IPlugAAX::PostMidiOutput(AAX_SIPlugRenderInfo* renderInfo)
{
  AAX_IMIDINode* node = DoesMIDIOut() ? renderInfo->mOutputNode : nullptr;
  if (!node) return;
  for (; mMidiOutFront < mMidiOutBack; ++mMidiOutFront)
  {
    const MidiMessage& msg = mMidiOut[mMidiOutFront];
    AAX_CMidiPacket packet;
    packet.mTimestamp = static_cast<uint32_t>(msg.mOffset);
    packet.mLength = 3;
    packet.mData[0] = msg.mStatus;
    packet.mData[1] = msg.mData1;
    packet.mData[2] = msg.mData2;
    packet.mIsImmediate = 1;
    node->PostMIDIPacket(&packet);
  }
  mMidiOutFront = mMidiOutBack = 0;

  while (SysExFromEditorQueue().Pop(mSysExBuffer))
  {
    const int size = std::clamp(mSysExBuffer.mSize, 0, SysExRecord::kMaxSize);
    for (int pos = 0; pos < size; pos += 4)
    {
      AAX_CMidiPacket packet;
      packet.mTimestamp = static_cast<uint32_t>(mSysExBuffer.mOffset);
      packet.mLength = static_cast<uint32_t>(std::min(4, size - pos));
      std::memcpy(packet.mData, mSysExBuffer.mData + pos, packet.mLength);
      packet.mIsImmediate = 1;
      node->PostMIDIPacket(&packet);
    }
  }
}

bool IPlugAAX::SendMidiMessage(const MidiMessage& msg)
{
  if (mMidiOutBack == mMidiOut.size())
  {
    if (mMidiOutFront > 0)
    {
      // Drop the part already sent.
      std::move(mMidiOut.begin() + static_cast<std::ptrdiff_t>(mMidiOutFront),
                mMidiOut.begin() + static_cast<std::ptrdiff_t>(mMidiOutBack), mMidiOut.begin());
      mMidiOutBack -= mMidiOutFront;
      mMidiOutFront = 0;
    }
    else
    {
      mMidiOut.resize(std::max<size_t>(mMidiOut.size() * 2, kInitialMidiOutCapacity));
    }
  }
  // After every queued message with an offset <= its own.
  size_t pos = mMidiOutBack;
  while (pos > mMidiOutFront && mMidiOut[pos - 1].mOffset > msg.mOffset)
  {
    mMidiOut[pos] = mMidiOut[pos - 1];
    --pos;
  }
  mMidiOut[pos] = msg;
  ++mMidiOutBack;
  return true;
}

void IPlugAAX::SetLatency(int samples)
{
  if (Controller()) Controller()->SetSignalLatency(samples);
  IPlugProcessor::SetLatency(samples);
}

// --- Parameters ----------------------------------------------------------------

AAX_Result IPlugAAX::UpdateParameterNormalizedValue(AAX_CParamID identifier, double value, AAX_EUpdateSource)
{
  AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  try
  {
    parameter->UpdateNormalizedValue(value);

    const int paramIdx = FrameworkIndexFromID(identifier);
    if (paramIdx >= 0 && paramIdx < NParams())
    {
      IParam* p = GetParam(paramIdx);
      p->SetValue(p->ValueFromNormal(value));
      QueueParamForEditor(paramIdx, value, true);
      OnParamChange(paramIdx, kHost, -1);
    }
    MarkSynchronizedDirty(parameter);

    const AAX_Result result = mPacketDispatcher.SetDirty(identifier);
    ++mNumPlugInChanges;
    return result;
  }
  catch (...) // nothing may leave the module (the dirty set or the dispatcher ran out of memory)
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
}

void IPlugAAX::BeginHostGesture(int paramIdx)
{
  AAX_ASSERT(paramIdx >= 0 && paramIdx < static_cast<int>(mParamIDs.size()));
  if (paramIdx >= 0 && paramIdx < static_cast<int>(mParamIDs.size()))
    TouchParameter(ParamIdentifier(paramIdx));
}

void IPlugAAX::SendValueToHost(int paramIdx, double normalizedValue)
{
  AAX_ASSERT(paramIdx >= 0 && paramIdx < static_cast<int>(mParamIDs.size()));
  if (paramIdx >= 0 && paramIdx < static_cast<int>(mParamIDs.size()))
    SetParameterNormalizedValue(ParamIdentifier(paramIdx), normalizedValue);
}

void IPlugAAX::EndHostGesture(int paramIdx)
{
  AAX_ASSERT(paramIdx >= 0 && paramIdx < static_cast<int>(mParamIDs.size()));
  if (paramIdx >= 0 && paramIdx < static_cast<int>(mParamIDs.size()))
    ReleaseParameter(ParamIdentifier(paramIdx));
}

// --- State chunk ------------------------------------------------------------------

AAX_Result IPlugAAX::GetChunkIDFromIndex(int32_t index, AAX_CTypeID* chunkID) const
{
  if (!chunkID) return AAX_ERROR_NULL_OBJECT;
  if (index != 0)
  {
    *chunkID = 0;
    return AAX_ERROR_INVALID_CHUNK_INDEX;
  }
  *chunkID = static_cast<AAX_CTypeID>(GetUniqueID());
  return AAX_SUCCESS;
}

AAX_Result IPlugAAX::GetChunkSize(AAX_CTypeID chunkID, uint32_t* size) const
{
  if (!size) return AAX_ERROR_NULL_OBJECT;
  if (chunkID != static_cast<AAX_CTypeID>(GetUniqueID()))
  {
    *size = 0;
    return AAX_ERROR_INVALID_CHUNK_ID;
  }
  try
  {
    ByteChunk chunk;
    if (SaveState(chunk)) *size = static_cast<uint32_t>(chunk.Size());
  }
  catch (...) // nothing may leave the module
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
  return AAX_SUCCESS;
}

AAX_Result IPlugAAX::GetChunk(AAX_CTypeID chunkID, AAX_SPlugInChunk* chunk) const
{
  if (!chunk) return AAX_ERROR_NULL_OBJECT;
  if (chunkID != static_cast<AAX_CTypeID>(GetUniqueID())) return AAX_ERROR_INVALID_CHUNK_ID;
  try
  {
    ByteChunk state;
    if (!SaveState(state)) return AAX_ERROR_INVALID_CHUNK_ID;
    chunk->fSize = state.Size();
    if (state.Size() > 0) std::memcpy(chunk->fData, state.Data(), static_cast<size_t>(state.Size()));
  }
  catch (...) // nothing may leave the module
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
  return AAX_SUCCESS;
}

AAX_Result IPlugAAX::SetChunk(AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk)
{
  if (!chunk) return AAX_ERROR_NULL_OBJECT;
  if (chunkID != static_cast<AAX_CTypeID>(GetUniqueID())) return AAX_ERROR_INVALID_CHUNK_ID;
  // A negative size is a damaged record: nothing to read.
  if (chunk->fSize < 0) return AAX_ERROR_INVALID_CHUNK_ID;
  try
  {
    ByteChunk state;
    state.PutBytes(chunk->fData, chunk->fSize);
    LoadState(state, 0);
    for (int i = 0; i < NParams(); ++i)
      SetParameterNormalizedValue(ParamIdentifier(i), GetParam(i)->GetNormal());
    StateRestored();
    ++mNumPlugInChanges;
  }
  catch (...) // nothing may leave the module
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
  return AAX_SUCCESS;
}

AAX_Result IPlugAAX::CompareActiveChunk(const AAX_SPlugInChunk* chunk, AAX_CBoolean* isEqual) const
{
  if (!chunk || !isEqual) return AAX_ERROR_NULL_OBJECT;
  if (chunk->fChunkID == static_cast<AAX_CTypeID>(GetUniqueID()))
    *isEqual = StateMatches(chunk->fData, chunk->fSize, 0) ? 1 : 0;
  else
    *isEqual = 1;
  return AAX_SUCCESS;
}

// --- Notifications and other framework hooks ----------------------------------------

AAX_Result IPlugAAX::NotificationReceived(AAX_CTypeID type, const void* data, uint32_t size)
{
  if (type == kNotificationOffline)
    SetRenderingOffline(true);
  else if (type == kNotificationOnline)
    SetRenderingOffline(false);
  else if (type == kNotificationTrackName && data)
  {
    const char* text = static_cast<const AAX_IString*>(data)->Get();
    try
    {
      mTrackName = text ? text : "";
    }
    catch (...) // nothing may leave the module: the old name stays
    {
      return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
  }
  return AAX_CIPlugParameters::NotificationReceived(type, data, size);
}

void IPlugAAX::GetTrackName(char* buf, int bufSize)
{
  if (!buf || bufSize <= 0) return;
  const size_t n = std::min(mTrackName.size(), static_cast<size_t>(bufSize - 1));
  std::memcpy(buf, mTrackName.data(), n);
  buf[n] = '\0';
}

bool IPlugAAX::ResizeEditorView(int width, int height)
{
  if (!HasUI()) return true;
  // The view object holds the host's container while the host's editor
  // object has a window open.
  igraphics::IGraphics* view = EditorGraphics();
  if (view && (width != GetEditorWidth() || height != GetEditorHeight()))
  {
    if (igraphics::IHostViewContainer* container = view->GetViewContainer())
      container->SetViewSize(width, height);
  }
  SetEditorSize(width, height);
  return true;
}

} // namespace iplug

// The effect-parameters layer between the AAX base and IPlugAAX: the render
// context layout, the description of one algorithm component, the static
// render callback, and the delivery of synchronized parameter values to the
// render thread in step with the host's coefficient generation.
//
// Threads:
// - GenerateCoefficients, SynchronizeParameter, UpdateParameterNormalizedValue
//   run on host non-real-time threads (they push onto the queued lists).
// - RenderCallback runs on the host's real-time thread: it pops the queued
//   lists and pushes onto the finished queues; it never allocates or frees.
// - TimerWakeup runs on the host's timer thread: it pops the finished queues
//   and frees what they hold.
#pragma once

#include "AAX_CAtomicQueue.h"
#include "AAX_CEffectParameters.h"
#include "AAX_VCollection.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

constexpr int32_t kMaxAdditionalMIDINodes = 15;
constexpr int32_t kMaxAuxOutputStems = 32;
constexpr int32_t kSynchronizedParameterQueueSize = 32;

// Stem format of a bus with the given channel count; AAX_eStemFormat_None
// for counts without a format.
AAX_EStemFormat AAX_StemFormatForChannelCount(int32_t channels);

// The description record of one I/O configuration.
struct AAX_SIPlugSetupInfo
{
  bool mNeedsGlobalMIDI = false;
  const char* mGlobalMIDINodeName = "GlobalMIDI";
  uint32_t mGlobalMIDIEventMask = 0xFFFF;
  bool mNeedsInputMIDI = false;
  const char* mInputMIDINodeName = "InputMIDI";
  uint32_t mInputMIDIChannelMask = 0xFFFF;
  int32_t mNumAdditionalInputMIDINodes = 0;
  bool mNeedsOutputMIDI = false;
  const char* mOutputMIDINodeName = "OutputMIDI";
  uint32_t mOutputMIDIChannelMask = 0xFFFF;
  bool mNeedsTransport = false;
  const char* mTransportMIDINodeName = "Transport";
  int32_t mNumMeters = 0;
  const AAX_CTypeID* mMeterIDs = nullptr;
  int32_t mNumAuxOutputStems = 0;
  const char* mAuxOutputStemNames[kMaxAuxOutputStems] = {};
  AAX_EStemFormat mAuxOutputStemFormats[kMaxAuxOutputStems];
  AAX_EStemFormat mHybridInputStemFormat = AAX_eStemFormat_None;
  AAX_EStemFormat mHybridOutputStemFormat = AAX_eStemFormat_None;
  AAX_EStemFormat mInputStemFormat = AAX_eStemFormat_Mono;
  AAX_EStemFormat mOutputStemFormat = AAX_eStemFormat_Mono;
  bool mUseHostGeneratedGUI = false;
  bool mCanBypass = true;
  bool mWantsSideChain = false;
  AAX_CTypeID mManufacturerID = AAX_FourCharCode("none");
  AAX_CTypeID mProductID = AAX_FourCharCode("none");
  AAX_CTypeID mPluginID = AAX_FourCharCode("none");
  AAX_CTypeID mAudioSuiteID = AAX_FourCharCode("none");
  bool mMultiMonoSupport = true;
  int32_t mLatency = 0;

  AAX_SIPlugSetupInfo()
  {
    for (auto& f : mAuxOutputStemFormats) f = AAX_eStemFormat_Mono;
  }
};

class AAX_IMIDINode;
class AAX_CIPlugParameters;

// Context field 23: the 8-byte block that leads a render context to its instance.
struct AAX_SIPlugPrivateData
{
  AAX_CIPlugParameters* mParameters;
};
static_assert(sizeof(AAX_SIPlugPrivateData) == 8, "private data block is 8 bytes");

// The render context: one pointer-sized field per field index.
struct AAX_SIPlugRenderInfo
{
  float** mAudioInputs;                                              // 0
  float** mAudioOutputs;                                             // 1
  int32_t* mNumSamples;                                              // 2
  AAX_CTimestamp* mClock;                                            // 3
  AAX_IMIDINode* mInputNode;                                         // 4
  AAX_IMIDINode* mOutputNode;                                        // 5
  AAX_IMIDINode* mGlobalNode;                                        // 6
  AAX_IMIDINode* mTransportNode;                                     // 7
  AAX_IMIDINode* mAdditionalInputMIDINodes[kMaxAdditionalMIDINodes]; // 8 to 22
  AAX_SIPlugPrivateData* mPrivateData;                               // 23
  float** mMeters;                                                   // 24
  int64_t* mCurrentStateNum;                                         // 25
  int32_t* mSideChainP;                                              // 26, only when side chain is wanted
};

constexpr AAX_CFieldIndex kFieldAudioInputs = 0;
constexpr AAX_CFieldIndex kFieldAudioOutputs = 1;
constexpr AAX_CFieldIndex kFieldNumSamples = 2;
constexpr AAX_CFieldIndex kFieldClock = 3;
constexpr AAX_CFieldIndex kFieldInputNode = 4;
constexpr AAX_CFieldIndex kFieldOutputNode = 5;
constexpr AAX_CFieldIndex kFieldGlobalNode = 6;
constexpr AAX_CFieldIndex kFieldTransportNode = 7;
constexpr AAX_CFieldIndex kFieldAdditionalInputMIDINodes = 8;
constexpr AAX_CFieldIndex kFieldPrivateData = 23;
constexpr AAX_CFieldIndex kFieldMeters = 24;
constexpr AAX_CFieldIndex kFieldCurrentStateNum = 25;
constexpr AAX_CFieldIndex kFieldSideChain = 26;
static_assert(offsetof(AAX_SIPlugRenderInfo, mPrivateData) == kFieldPrivateData * sizeof(void*), "layout");
static_assert(offsetof(AAX_SIPlugRenderInfo, mCurrentStateNum) == kFieldCurrentStateNum * sizeof(void*),
              "layout");
static_assert(offsetof(AAX_SIPlugRenderInfo, mSideChainP) == kFieldSideChain * sizeof(void*), "layout");

// Adds one algorithm component for the configuration to the effect.
// Every host call must succeed: any other result throws
// AAX::Exception::ResultError (registration thread only).
AAX_Result DescribeAlgorithm(AAX_VEffectDescriptor& effect, const AAX_SIPlugSetupInfo& setupInfo);

// A synchronized parameter's identifier (owned by the AAX parameter) with a
// copy of its value.
struct ParamValuePair
{
  ParamValuePair(AAX_CParamID id, AAX_IParameterValue* value) : mID(id), mValue(value) {}
  AAX_CParamID mID;
  std::unique_ptr<AAX_IParameterValue> mValue;
};

// The values of one coefficient generation.
struct NumberedStateList
{
  NumberedStateList(int64_t stateNum, std::vector<ParamValuePair*>&& pairs)
      : mStateNum(stateNum), mPairs(std::move(pairs))
  {
  }
  int64_t mStateNum;
  std::vector<ParamValuePair*> mPairs; // delivered entries are set to null
};

class AAX_CIPlugParameters : public AAX_CEffectParameters
{
public:
  static constexpr uint32_t kQueuedListSlots = 256;
  static constexpr uint32_t kFinishedPairSlots = 512;
  static constexpr int64_t kMaxDeliveredValues = 128;

  AAX_CIPlugParameters();
  ~AAX_CIPlugParameters() override;

  AAX_Result UpdateParameterNormalizedValue(AAX_CParamID identifier, double value,
                                            AAX_EUpdateSource source) override;
  AAX_Result GenerateCoefficients() override;
  AAX_Result ResetFieldData(AAX_CFieldIndex field, void* data, uint32_t iDataSize) const override;
  AAX_Result TimerWakeup() override;

  // Real-time thread. values[0..count-1] are the synchronized values posted
  // for this render call; they stay valid for the call.
  virtual void RenderBlock(AAX_SIPlugRenderInfo* renderInfo, const ParamValuePair* const values[],
                           int32_t count);

  // The native process procedure registered by the description.
  static void RenderCallback(void* const instancesBegin[], const void* instancesEnd);

protected:
  // Lets the parameter's values travel to the render thread.
  void SynchronizeParameter(const AAX_IParameter& inParameter);
  // Marks the parameter dirty when it is synchronized (non-real-time threads).
  void MarkSynchronizedDirty(AAX_IParameter* parameter);

  std::set<std::string> mSynchronizedParameters;

private:
  using ListQueue = AAX_CAtomicQueue<NumberedStateList, kQueuedListSlots>;
  using PairQueue = AAX_CAtomicQueue<ParamValuePair, kFinishedPairSlots>;

  void RenderOne(AAX_SIPlugRenderInfo* renderInfo);
  void ReleaseUsedValues();

  int64_t mStateCounter = 0;
  std::set<AAX_IParameter*> mDirtyParameters;
  ListQueue mQueuedLists;
  ListQueue mFinishedLists;
  PairQueue mFinishedPairs;
};

#include "IPlugAAX_Parameters.h"

#include "AAX_Assert.h"
#include "AAX_Exception.h"

#include <cstring>

AAX_EStemFormat AAX_StemFormatForChannelCount(int32_t channels)
{
  switch (channels)
  {
  case 1:
    return AAX_MakeStemFormat(0, 1);
  case 2:
    return AAX_MakeStemFormat(1, 2);
  case 3:
    return AAX_MakeStemFormat(2, 3);
  case 4:
    return AAX_MakeStemFormat(4, 4);
  case 5:
    return AAX_MakeStemFormat(5, 5);
  case 6:
    return AAX_MakeStemFormat(6, 6);
  case 7:
    return AAX_MakeStemFormat(11, 7);
  case 8:
    return AAX_MakeStemFormat(12, 8);
  case 10:
    return AAX_MakeStemFormat(13, 10);
  case 12:
    return AAX_MakeStemFormat(26, 12);
  default:
    return AAX_eStemFormat_None;
  }
}

namespace
{
// A MIDI node field, or a 4-byte private-data stand-in when the node is not wanted.
void DescribeMIDINodeOrDummy(AAX_VComponentDescriptor& component, AAX_CFieldIndex field, bool wanted,
                             AAX_EMIDINodeType type, const char* name, uint32_t mask)
{
  AAX_CheckedResult err;
  if (wanted)
    err = component.AddMIDINode(field, type, name, mask);
  else
    err = component.AddPrivateData(field, sizeof(int32_t));
}
} // namespace

AAX_Result DescribeAlgorithm(AAX_VEffectDescriptor& effect, const AAX_SIPlugSetupInfo& setupInfo)
{
  AAX_CheckedResult err;
  AAX_VComponentDescriptor* component = effect.NewComponentDescriptor();
  if (!component) err = AAX_ERROR_NULL_OBJECT;

  DescribeMIDINodeOrDummy(*component, kFieldGlobalNode, setupInfo.mNeedsGlobalMIDI, AAX_eMIDINodeType_Global,
                          setupInfo.mGlobalMIDINodeName, setupInfo.mGlobalMIDIEventMask);
  DescribeMIDINodeOrDummy(*component, kFieldInputNode, setupInfo.mNeedsInputMIDI,
                          AAX_eMIDINodeType_LocalInput, setupInfo.mInputMIDINodeName,
                          setupInfo.mInputMIDIChannelMask);
  DescribeMIDINodeOrDummy(*component, kFieldOutputNode, setupInfo.mNeedsOutputMIDI,
                          AAX_eMIDINodeType_LocalOutput, setupInfo.mOutputMIDINodeName,
                          setupInfo.mOutputMIDIChannelMask);
  DescribeMIDINodeOrDummy(*component, kFieldTransportNode, setupInfo.mNeedsTransport,
                          AAX_eMIDINodeType_Transport, setupInfo.mTransportMIDINodeName, 0xFFFF);

  AAX_ASSERT(setupInfo.mNumAdditionalInputMIDINodes <= kMaxAdditionalMIDINodes);
  for (int32_t i = 0; i < kMaxAdditionalMIDINodes; ++i)
    DescribeMIDINodeOrDummy(*component, kFieldAdditionalInputMIDINodes + i,
                            i < setupInfo.mNumAdditionalInputMIDINodes, AAX_eMIDINodeType_LocalInput,
                            setupInfo.mInputMIDINodeName, setupInfo.mInputMIDIChannelMask);

  err = component->AddAudioIn(kFieldAudioInputs);
  err = component->AddAudioOut(kFieldAudioOutputs);
  err = component->AddAudioBufferLength(kFieldNumSamples);
  err = component->AddClock(kFieldClock);
  if (setupInfo.mNumMeters > 0)
    err =
        component->AddMeters(kFieldMeters, setupInfo.mMeterIDs, static_cast<uint32_t>(setupInfo.mNumMeters));
  else
    err = component->AddPrivateData(kFieldMeters, sizeof(int32_t));
  if (setupInfo.mWantsSideChain) err = component->AddSideChainIn(kFieldSideChain);

  AAX_ASSERT(setupInfo.mNumAuxOutputStems <= kMaxAuxOutputStems);
  const int32_t numAux =
      setupInfo.mNumAuxOutputStems < kMaxAuxOutputStems ? setupInfo.mNumAuxOutputStems : kMaxAuxOutputStems;
  for (int32_t i = 0; i < numAux; ++i)
    err =
        component->AddAuxOutputStem(0, setupInfo.mAuxOutputStemFormats[i], setupInfo.mAuxOutputStemNames[i]);

  err = component->AddPrivateData(kFieldPrivateData, sizeof(AAX_SIPlugPrivateData));
  err = component->AddDataInPort(kFieldCurrentStateNum, sizeof(int64_t), 1);

  AAX_VPropertyMap* properties = component->NewPropertyMap();
  if (!properties) err = AAX_ERROR_NULL_OBJECT;
  if (setupInfo.mUseHostGeneratedGUI) err = properties->AddProperty(151, 1);
  if (setupInfo.mHybridInputStemFormat != AAX_eStemFormat_None &&
      setupInfo.mHybridOutputStemFormat != AAX_eStemFormat_None)
  {
    err = properties->AddProperty(91, setupInfo.mHybridInputStemFormat);
    err = properties->AddProperty(90, setupInfo.mHybridOutputStemFormat);
  }
  AAX_ASSERT((AAX_eStemFormat_None != setupInfo.mHybridInputStemFormat) ==
             (AAX_eStemFormat_None != setupInfo.mHybridOutputStemFormat));
  if (setupInfo.mWantsSideChain) err = properties->AddProperty(116, 1);
  err = properties->AddProperty(56, setupInfo.mLatency);
  err = properties->AddProperty(51, setupInfo.mInputStemFormat);
  err = properties->AddProperty(52, setupInfo.mOutputStemFormat);
  err = properties->AddProperty(60, setupInfo.mCanBypass ? 1 : 0);
  // Keeps the algorithm in the process of this object: the render callback
  // reaches the instance through a plain pointer in the private data.
  err = properties->AddProperty(300, 1);
  if (setupInfo.mNeedsTransport) err = properties->AddProperty(306, 1);
  err = properties->AddProperty(11, static_cast<AAX_CPropertyValue>(setupInfo.mManufacturerID));
  err = properties->AddProperty(12, static_cast<AAX_CPropertyValue>(setupInfo.mProductID));
  err = properties->AddProperty(13, static_cast<AAX_CPropertyValue>(setupInfo.mPluginID));
  if (setupInfo.mAudioSuiteID != AAX_FourCharCode("none"))
    err = properties->AddProperty(14, static_cast<AAX_CPropertyValue>(setupInfo.mAudioSuiteID));
  if (!setupInfo.mMultiMonoSupport) err = properties->AddProperty(304, 0);

  err = component->AddProcessProc_Native(&AAX_CIPlugParameters::RenderCallback, properties, nullptr, nullptr);
  err = effect.AddComponent(component);
  return err;
}

// ---------------------------------------------------------------------------

AAX_CIPlugParameters::AAX_CIPlugParameters() = default;

AAX_CIPlugParameters::~AAX_CIPlugParameters()
{
  ReleaseUsedValues();
  // Lists the render thread never took.
  while (NumberedStateList* list = mQueuedLists.Pop())
  {
    for (ParamValuePair* pair : list->mPairs) delete pair;
    delete list;
  }
}

void AAX_CIPlugParameters::SynchronizeParameter(const AAX_IParameter& inParameter)
{
  AAX_ASSERT(inParameter.Automatable());
  mSynchronizedParameters.insert(inParameter.Identifier());
  AAX_ASSERT(kSynchronizedParameterQueueSize >= mSynchronizedParameters.size());
}

void AAX_CIPlugParameters::MarkSynchronizedDirty(AAX_IParameter* parameter)
{
  if (parameter && mSynchronizedParameters.count(parameter->Identifier())) mDirtyParameters.insert(parameter);
}

AAX_Result AAX_CIPlugParameters::UpdateParameterNormalizedValue(AAX_CParamID identifier, double value,
                                                                AAX_EUpdateSource source)
{
  try
  {
    const AAX_Result result =
        AAX_CEffectParameters::UpdateParameterNormalizedValue(identifier, value, source);
    if (result != AAX_SUCCESS) return result;
    MarkSynchronizedDirty(mParameterManager.GetParameterByID(identifier));
    return AAX_SUCCESS;
  }
  catch (...) // nothing may leave the module
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
}

AAX_Result AAX_CIPlugParameters::GenerateCoefficients()
{
  const AAX_Result result = AAX_CEffectParameters::GenerateCoefficients();
  if (result != AAX_SUCCESS) return result;

  const int64_t stateNum = mStateCounter++;
  AAX_Result staged = AAX_SUCCESS;
  NumberedStateList* list = nullptr;
  try
  {
    // Everything that allocates comes first; the dirty set is cleared only
    // when the list exists, so values that could not be staged go out with
    // the next state number.
    std::vector<std::unique_ptr<ParamValuePair>> owned;
    owned.reserve(mDirtyParameters.size());
    for (AAX_IParameter* parameter : mDirtyParameters)
    {
      std::unique_ptr<AAX_IParameterValue> value(parameter->CloneValue());
      owned.push_back(std::make_unique<ParamValuePair>(parameter->Identifier(), value.get()));
      value.release();
    }
    if (!owned.empty())
    {
      std::vector<ParamValuePair*> pairs;
      pairs.reserve(owned.size());
      for (auto& pair : owned) pairs.push_back(pair.get());
      list = new NumberedStateList(stateNum, std::move(pairs));
      for (auto& pair : owned) pair.release();
    }
    mDirtyParameters.clear();
  }
  catch (...) // nothing may leave the module
  {
    staged = AAX_ERROR_UNKNOWN_EXCEPTION;
  }

  if (list)
  {
    const AAX_IContainer::EStatus pushResult = mQueuedLists.Push(list);
    AAX_ASSERT(AAX_IContainer::eStatus_Success == pushResult);
    if (pushResult != AAX_IContainer::eStatus_Success)
    {
      // Not delivered; nobody else will see it.
      for (ParamValuePair* pair : list->mPairs) delete pair;
      delete list;
    }
  }

  if (!Controller()) return AAX_ERROR_NULL_OBJECT;
  const AAX_Result posted = Controller()->PostPacket(kFieldCurrentStateNum, &stateNum, sizeof(stateNum));
  return staged != AAX_SUCCESS ? staged : posted;
}

AAX_Result AAX_CIPlugParameters::ResetFieldData(AAX_CFieldIndex field, void* data, uint32_t iDataSize) const
{
  if (field == kFieldPrivateData)
  {
    AAX_ASSERT(iDataSize == sizeof(AAX_SIPlugPrivateData));
    if (!data) return AAX_SUCCESS;
    std::memset(data, 0, iDataSize);
    if (iDataSize >= sizeof(AAX_SIPlugPrivateData))
    {
      AAX_SIPlugPrivateData privateData{const_cast<AAX_CIPlugParameters*>(this)};
      std::memcpy(data, &privateData, sizeof(privateData));
    }
    return AAX_SUCCESS;
  }
  return AAX_CEffectParameters::ResetFieldData(field, data, iDataSize);
}

AAX_Result AAX_CIPlugParameters::TimerWakeup()
{
  ReleaseUsedValues();
  AAX_CEffectParameters::TimerWakeup();
  return AAX_SUCCESS;
}

void AAX_CIPlugParameters::ReleaseUsedValues()
{
  while (NumberedStateList* list = mFinishedLists.Pop())
  {
    for (ParamValuePair* pair : list->mPairs) delete pair; // values that were never delivered
    delete list;
  }
  while (ParamValuePair* pair = mFinishedPairs.Pop()) delete pair;
}

void AAX_CIPlugParameters::RenderBlock(AAX_SIPlugRenderInfo*, const ParamValuePair* const[], int32_t) {}

namespace
{
// The values delivered to one render call: a fixed array, no allocation.
class DeliveredValues
{
public:
  static constexpr int64_t sCap = AAX_CIPlugParameters::kMaxDeliveredValues;

  // Moves the list's pairs in while there is room; delivered entries of the
  // list become null, the others stay with the list.
  void Append(std::vector<ParamValuePair*>& inOther)
  {
    AAX_ASSERT(sCap >= mSize + (int64_t)inOther.size());
    for (ParamValuePair*& pair : inOther)
    {
      if (!pair) continue;
      if (!(sCap > mSize))
      {
        AAX_ASSERT(sCap > mSize);
        continue;
      }
      mValues[mSize++] = pair;
      pair = nullptr;
    }
  }
  int32_t Size() const { return static_cast<int32_t>(mSize); }
  ParamValuePair* const* Data() const { return mValues; }

private:
  ParamValuePair* mValues[sCap];
  int64_t mSize = 0;
};
} // namespace

void AAX_CIPlugParameters::RenderCallback(void* const instancesBegin[], const void* instancesEnd)
{
  if (!instancesBegin) return;
  for (void* const* it = instancesBegin; it != instancesEnd; ++it)
  {
    auto* renderInfo = static_cast<AAX_SIPlugRenderInfo*>(*it);
    if (!renderInfo || !renderInfo->mPrivateData) continue;
    AAX_CIPlugParameters* instance = renderInfo->mPrivateData->mParameters;
    if (!instance) continue;
    instance->RenderOne(renderInfo);
  }
}

void AAX_CIPlugParameters::RenderOne(AAX_SIPlugRenderInfo* renderInfo)
{
  // Staging: every queued generation up to the state this call renders.
  ListQueue staging;
  if (renderInfo->mCurrentStateNum)
  {
    const int64_t target = *renderInfo->mCurrentStateNum;
    while (NumberedStateList* numberedStateList = mQueuedLists.Peek())
    {
      const int64_t b = numberedStateList->mStateNum;
      // A target far below zero with a large queued number is a counter
      // that wrapped: that list is due.
      if (target < b && !(target < -65535 && b >= 65536)) break;
      NumberedStateList* poppedPair = mQueuedLists.Pop();
      AAX_ASSERT(poppedPair == numberedStateList);
      if (!poppedPair) break;
      const AAX_IContainer::EStatus pushResult = staging.Push(poppedPair);
      AAX_ASSERT(AAX_IContainer::eStatus_Success == pushResult);
      if (pushResult != AAX_IContainer::eStatus_Success)
      {
        // Hand it to the timer thread for release rather than lose it.
        mFinishedLists.Push(poppedPair);
      }
    }
  }

  // Delivery.
  DeliveredValues delivered;
  while (NumberedStateList* list = staging.Pop())
  {
    delivered.Append(list->mPairs);
    const AAX_IContainer::EStatus pushResult = mFinishedLists.Push(list);
    AAX_ASSERT(AAX_IContainer::eStatus_Success == pushResult);
  }

  RenderBlock(renderInfo, delivered.Data(), delivered.Size());

  for (int32_t i = 0; i < delivered.Size(); ++i)
  {
    const AAX_IContainer::EStatus pushResult = mFinishedPairs.Push(delivered.Data()[i]);
    AAX_ASSERT(AAX_IContainer::eStatus_Success == pushResult);
  }
}

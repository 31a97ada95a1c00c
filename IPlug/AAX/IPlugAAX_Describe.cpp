#include "IPlugAAX_Describe.h"

#include "AAX_Assert.h"
#include "AAX_CEffectGUI_IPLUG.h"
#include "IPlugAAX.h"

#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace iplug
{

AAX_IEffectParameters* AAXCreateEffectParameters()
{
  // One construction at a time across the process: instances share
  // process-wide framework state (the timer list) while they are built.
  static std::mutex sConstructionLock;
  try
  {
    std::lock_guard<std::mutex> lock(sConstructionLock);
    const AAXPlugInDescription& description = GetAAXPlugInDescription();
    if (!description.create) return nullptr;
    IPlugAAX* plugin = description.create(InstanceInfo{});
    return plugin ? static_cast<AAX_IEffectParameters*>(plugin) : nullptr;
  }
  catch (...)
  {
    // A factory callback answers the host; nothing may escape it.
    return nullptr;
  }
}

IACFUnknown* AAXCreateEditor()
{
  try
  {
    return AAX_CEffectGUI_IPLUG::Create();
  }
  catch (...)
  {
    // A factory callback answers the host; nothing may escape it.
    return nullptr;
  }
}

} // namespace iplug

using namespace iplug;

AAX_Result GetEffectDescriptions(AAX_VCollection* collection)
{
  if (!collection) return AAX_ERROR_NULL_OBJECT;
  const AAXPlugInDescription& description = GetAAXPlugInDescription();
  AAX_Result err = AAX_SUCCESS;

  AAX_VEffectDescriptor* effect = collection->NewDescriptor();
  if (!effect) return AAX_ERROR_NULL_OBJECT;

  // Names, one per line.
  const std::string names = description.effectNames ? description.effectNames : "";
  for (size_t start = 0; start < names.size();)
  {
    size_t end = names.find('\n', start);
    if (end == std::string::npos) end = names.size();
    if (end == start) break;
    const std::string name = names.substr(start, end - start);
    err |= effect->AddName(name.c_str());
    collection->AddPackageName(name.c_str());
    start = end + 1;
  }

  err |= effect->AddCategory(description.category);

  std::vector<std::unique_ptr<IOLayout>> layouts;
  int totalIn = 0, totalOut = 0, totalInBuses = 0, totalOutBuses = 0;
  IPlugProcessor::ParseChannelIOStr(description.channelIOStr, layouts, totalIn, totalOut, totalInBuses,
                                    totalOutBuses);

  for (size_t i = 0; i < layouts.size(); ++i)
  {
    const IOLayout& layout = *layouts[i];
    AAX_SIPlugSetupInfo setupInfo;
    setupInfo.mInputStemFormat = AAX_StemFormatForChannelCount(layout.BusChannels(kInput, 0));
    setupInfo.mOutputStemFormat = AAX_StemFormatForChannelCount(layout.BusChannels(kOutput, 0));
    setupInfo.mNumAuxOutputStems = layout.NumBuses(kOutput) - 1;
    if (setupInfo.mNumAuxOutputStems < 0) setupInfo.mNumAuxOutputStems = 0;
    setupInfo.mManufacturerID = description.manufacturerID;
    setupInfo.mProductID = description.productID;
    const bool hasIDs = static_cast<int>(i) < description.numIDs;
    setupInfo.mPluginID = hasIDs ? description.nativeIDs[i] : AAX_FourCharCode("none");
    setupInfo.mAudioSuiteID = hasIDs ? description.audioSuiteIDs[i] : AAX_FourCharCode("none");
    setupInfo.mCanBypass = true;
    setupInfo.mNeedsInputMIDI = description.doesMidiIn;
    setupInfo.mInputMIDINodeName = description.midiNodeName;
    setupInfo.mInputMIDIChannelMask = 0x0001;
    setupInfo.mNeedsOutputMIDI = description.doesMidiOut;
    setupInfo.mOutputMIDINodeName = description.midiNodeName;
    setupInfo.mOutputMIDIChannelMask = 0x0001;
    setupInfo.mNeedsTransport = true;
    setupInfo.mLatency = 0;
    err |= DescribeAlgorithm(*effect, setupInfo);
  }
  AAX_ASSERT(err == AAX_SUCCESS);

  err |= effect->AddProcPtr(reinterpret_cast<AAX_CProcPtr>(&AAXCreateEffectParameters), 0);
  err |= effect->AddProcPtr(reinterpret_cast<AAX_CProcPtr>(&AAXCreateEditor), 1);

  if (err == AAX_SUCCESS) err = collection->AddEffect(description.effectID, effect);
  AAX_ASSERT(err == AAX_SUCCESS);

  collection->SetManufacturerName(description.manufacturerName);
  collection->SetPackageVersion(description.packageVersion);
  return err;
}

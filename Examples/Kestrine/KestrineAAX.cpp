// Kestrine's identity as the AAX description presents it, and its factory.
#include "IPlugAAX_Describe.h"
#include "Kestrine.h"

namespace
{
constexpr AAX_CTypeID kNativeIDs[] = {AAX_FourCharCode("IEF1"), AAX_FourCharCode("IEF2")};
constexpr AAX_CTypeID kAudioSuiteIDs[] = {AAX_FourCharCode("IEA1"), AAX_FourCharCode("IEA2")};
// The AAX harmonic category.
constexpr uint32_t kCategoryHarmonic = 64;

iplug::IPlugAAX* CreateKestrine(const iplug::InstanceInfo& info)
{
  return new Kestrine(info);
}

iplug::AAXPlugInDescription MakeDescription()
{
  const iplug::PluginConfig config = Kestrine::MakeConfig();
  iplug::AAXPlugInDescription d{};
  d.effectID = "com.Marlowfen.aax.Kestrine";
  d.effectNames = "Kestrine\nKestrine";
  d.manufacturerName = "Mwfn";
  d.manufacturerID = static_cast<AAX_CTypeID>(config.mfrID);
  d.productID = static_cast<AAX_CTypeID>(config.uniqueID);
  d.packageVersion = static_cast<uint32_t>(config.vendorVersion);
  d.category = kCategoryHarmonic;
  d.channelIOStr = config.channelIOStr;
  d.nativeIDs = kNativeIDs;
  d.audioSuiteIDs = kAudioSuiteIDs;
  d.numIDs = 2;
  d.midiNodeName = "Kestrine Midi";
  d.doesMidiIn = config.plugDoesMidiIn;
  d.doesMidiOut = config.plugDoesMidiOut;
  d.create = &CreateKestrine;
  return d;
}
} // namespace

const iplug::AAXPlugInDescription& iplug::GetAAXPlugInDescription()
{
  static const AAXPlugInDescription sDescription = MakeDescription();
  return sDescription;
}

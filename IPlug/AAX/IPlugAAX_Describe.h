// The description the host receives when it registers the module: identity,
// names, codes, factory callbacks and one algorithm component per I/O
// configuration. Registration thread only.
//
// The plug-in supplies its compile-time identity through
// GetAAXPlugInDescription (one definition in the module, next to the effect).
#pragma once

#include "AAX_IEffectParameters.h"
#include "AAX_VCollection.h"

namespace iplug
{
class IPlugAAX;
struct InstanceInfo;

struct AAXPlugInDescription
{
  const char* effectID;    // "com.<maker>.aax.<name>"
  const char* effectNames; // names separated by line breaks; also the package names
  const char* manufacturerName;
  AAX_CTypeID manufacturerID;
  AAX_CTypeID productID; // the plug-in's unique code
  uint32_t packageVersion;
  uint32_t category;
  const char* channelIOStr; // "1-1 2-2"
  // One native and one AudioSuite code per I/O configuration, in order; a
  // configuration beyond the lists gets "none".
  const AAX_CTypeID* nativeIDs;
  const AAX_CTypeID* audioSuiteIDs;
  int numIDs;
  const char* midiNodeName; // input and output MIDI node name
  bool doesMidiIn;
  bool doesMidiOut;
  // Constructs the plug-in; may throw (the factory callback catches).
  IPlugAAX* (*create)(const InstanceInfo& info);
};

// Defined by the plug-in.
const AAXPlugInDescription& GetAAXPlugInDescription();

// The two factory callbacks the description registers (procID 0 and 1).
AAX_IEffectParameters* AAXCreateEffectParameters();
IACFUnknown* AAXCreateEditor();
} // namespace iplug

// Fills the collection; answers 0 or the OR of the failing results. A
// failing host call inside DescribeAlgorithm throws AAX::Exception::ResultError.
AAX_Result GetEffectDescriptions(AAX_VCollection* collection);

// The description a module gave at registration, copied out of the host's
// description objects into plain records, and its JSON form.
#pragma once

#include "AAXHostObjects.h"

#include <string>
#include <vector>

namespace aaxhost
{

struct ComponentRecord
{
  std::vector<FieldRecord> fields; // in the order described
  std::vector<AuxStemRecord> auxStems;
  AAX_CProcessProc processProc = nullptr; // the first native process procedure
  int numProcessProcs = 0;
  bool hasInitProc = false;
  bool hasBackgroundProc = false;
  std::vector<std::pair<int32_t, int32_t>> properties; // of the process procedure's map, in order
  std::vector<std::string> problems;

  const FieldRecord* FindField(int32_t index) const;
  bool Property(int32_t id, int32_t& value) const;
  // The stem formats from properties 51 and 52, or none.
  AAX_EStemFormat InputStemFormat() const;
  AAX_EStemFormat OutputStemFormat() const;
  // Number of pointer slots the render context needs (highest field index + 1).
  int NumContextFields() const;
};

struct EffectRecord
{
  std::string id;
  std::vector<std::string> names;
  std::vector<uint32_t> categories;
  std::vector<ComponentRecord> components;
  std::vector<std::pair<int32_t, AAX_CProcPtr>> procPtrs;

  AAX_CProcPtr ProcPtr(int32_t procID) const;
  // The component whose input stem format has that many channels, or -1.
  int ComponentForChannels(int channels) const;
};

struct Description
{
  ACFRESULT registerResult = 0;
  bool definitionReturned = false; // the out definition was the host's collection
  uint64_t sdkVersion = 0;
  ACFRESULT sdkVersionResult = 0;
  std::vector<EffectRecord> effects;
  std::string manufacturerName;
  std::vector<std::string> packageNames;
  uint32_t packageVersion = 0;
  bool packageVersionSet = false;

  static Description FromCollection(const HostCollection& collection);
};

// Four-character code as text ("Kzqe"); non-printable bytes as \xNN.
std::string FourCC(uint32_t code);
// Stem format as text ("mono", "stereo", "none", or the number).
std::string StemFormatName(int32_t format);
// The whole description as a JSON document (proc pointers as hex addresses).
std::string ToJson(const Description& d);

} // namespace aaxhost

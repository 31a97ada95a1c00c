// MIDI and system-exclusive records carried between the processing and
// editor sides.
#pragma once

#include <cstdint>
#include <cstring>

namespace iplug
{

struct MidiMessage
{
  int32_t mOffset = 0; // sample offset within the block
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;
};

struct SysExRecord
{
  static constexpr int kMaxSize = 512;
  int32_t mOffset = 0; // sample offset within the block
  int32_t mSize = 0;   // bytes used in mData
  uint8_t mData[kMaxSize] = {};
};

} // namespace iplug

// Plain types shared by the host interfaces and the library: identifiers,
// property values, stem formats, points, MIDI packets and the chunk record.
// Everything here is a fixed-layout record; the host reads them by offset.
#pragma once

#include "AAX_Errors.h"

#include <cstddef>
#include <cstdint>

using AAX_CBoolean = uint8_t;
using AAX_CTypeID = uint32_t;     // four-character code, first character in the most significant byte
using AAX_CParamID = const char*; // zero-terminated identifier text, at most 31 characters
using AAX_CFieldIndex = int32_t;  // index of a render-context field (one pointer-sized slot each)
using AAX_CPropertyID = int32_t;
using AAX_CPropertyValue = int32_t;
using AAX_CTimestamp = uint32_t;
using AAX_CTransportCounter = int64_t;

// Identifier buffers hold 31 characters plus the terminator.
constexpr int32_t eParemeterDefaultMaxIdentifierSize = 32;

// Four-character code from text: the first character lands in the most significant byte.
constexpr AAX_CTypeID AAX_FourCharCode(const char (&s)[5])
{
  return (static_cast<AAX_CTypeID>(static_cast<uint8_t>(s[0])) << 24) |
         (static_cast<AAX_CTypeID>(static_cast<uint8_t>(s[1])) << 16) |
         (static_cast<AAX_CTypeID>(static_cast<uint8_t>(s[2])) << 8) |
         static_cast<AAX_CTypeID>(static_cast<uint8_t>(s[3]));
}

enum AAX_EParameterType : int32_t
{
  AAX_eParameterType_Discrete = 0,
  AAX_eParameterType_Continuous = 1
};

using AAX_EParameterOrientation = int32_t;
constexpr AAX_EParameterOrientation AAX_eParameterOrientation_Default = 0;

// Where a value update came from; the library does not consult it.
enum AAX_EUpdateSource : int32_t
{
  AAX_eUpdateSource_Unspecified = 0,
  AAX_eUpdateSource_Parameter = 1,
  AAX_eUpdateSource_Chunk = 2,
  AAX_eUpdateSource_Delay = 3
};

// Stem format: format index in the high 16 bits, channel count in the low 16 bits.
using AAX_EStemFormat = int32_t;
constexpr AAX_EStemFormat AAX_MakeStemFormat(int32_t formatIndex, int32_t channels)
{
  return static_cast<AAX_EStemFormat>((static_cast<uint32_t>(formatIndex) << 16) |
                                      (static_cast<uint32_t>(channels) & 0xFFFFu));
}
constexpr int32_t AAX_StemFormatChannelCount(AAX_EStemFormat format)
{
  return static_cast<int32_t>(static_cast<uint32_t>(format) & 0xFFFFu);
}
constexpr AAX_EStemFormat AAX_eStemFormat_Mono = AAX_MakeStemFormat(0, 1);
constexpr AAX_EStemFormat AAX_eStemFormat_Stereo = AAX_MakeStemFormat(1, 2);
constexpr AAX_EStemFormat AAX_eStemFormat_None = AAX_MakeStemFormat(-100, 0); // -6553600

// MIDI node kinds of a render-context field.
enum AAX_EMIDINodeType : int32_t
{
  AAX_eMIDINodeType_LocalInput = 0,
  AAX_eMIDINodeType_LocalOutput = 1,
  AAX_eMIDINodeType_Global = 2,
  AAX_eMIDINodeType_Transport = 3
};

// Point in logical units: vertical first, then horizontal.
struct AAX_Point
{
  float vert = 0.f;
  float horz = 0.f;
};

// One MIDI packet as the host's nodes carry it.
struct AAX_CMidiPacket
{
  uint32_t mTimestamp = 0; // sample offset within the block
  uint32_t mLength = 0;    // number of valid data bytes
  uint8_t mData[4] = {0, 0, 0, 0};
  AAX_CBoolean mIsImmediate = 0;
};

// The packets a node received for the current block.
struct AAX_CMidiStream
{
  uint32_t mBufferSize = 0; // number of packets
  AAX_CMidiPacket* mBuffer = nullptr;
};

// The host's chunk record. Byte 0: number of data bytes; bytes 4 to 19:
// header fields the module neither reads nor writes; byte 20: chunk id;
// bytes 24 to 55: name; from byte 56: the data (fSize bytes).
struct AAX_SPlugInChunk
{
  int32_t fSize;
  int32_t fVersion;
  AAX_CTypeID fManufacturerID;
  AAX_CTypeID fProductID;
  AAX_CTypeID fPlugInID;
  AAX_CTypeID fChunkID;
  char fName[32];
  char fData[1]; // fSize bytes in the host's allocation
};

// Bytes before the data.
constexpr size_t kAAXChunkHeaderSize = 56;

static_assert(offsetof(AAX_SPlugInChunk, fSize) == 0, "chunk layout");
static_assert(offsetof(AAX_SPlugInChunk, fChunkID) == 20, "chunk layout");
static_assert(offsetof(AAX_SPlugInChunk, fName) == 24, "chunk layout");
static_assert(offsetof(AAX_SPlugInChunk, fData) == 56, "chunk layout");

// Record of the hybrid render path; this module implements none.
struct AAX_SHybridRenderInfo;

// Entry points registered with the host by the description.
// Render callback: the render contexts of one call, [begin, end).
using AAX_CProcessProc = void (*)(void* const instancesBegin[], const void* instancesEnd);
using AAX_CInstanceInitProc = int32_t (*)(const void* instance, int32_t action);
using AAX_CBackgroundProc = int32_t (*)();
// Any other entry (factory callbacks) travels as this generic function pointer.
using AAX_CProcPtr = void (*)();

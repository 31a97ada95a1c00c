// The configuration record every plug-in object is built from, and the
// 32-bit version word helpers. Plain data: the framework bases copy what
// they need from it while they are constructed.
#pragma once

#include <cstdint>
#include <string>

namespace iplug
{

// major in bits 16..31, minor in bits 8..15, patch in bits 0..7
using VersionWord = int32_t;

constexpr VersionWord MakeVersionWord(int major, int minor, int patch)
{
  return static_cast<VersionWord>((static_cast<uint32_t>(major) << 16) | ((minor & 0xFF) << 8) |
                                  (patch & 0xFF));
}

inline int VersionMajor(VersionWord v)
{
  return static_cast<int>((static_cast<uint32_t>(v) >> 16) & 0xFFFF);
}
inline int VersionMinor(VersionWord v)
{
  return (v >> 8) & 0xFF;
}
inline int VersionPatch(VersionWord v)
{
  return v & 0xFF;
}

// "v%d.%d.%d", at most 32 characters
std::string VersionText(VersionWord v);
// major * 1000 + minor * 100 + patch * 10
int VersionDecimal(VersionWord v);

// A four-character code with its first character in the most significant byte.
constexpr int32_t FourCharCode(const char (&s)[5])
{
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 8) |
                              static_cast<uint32_t>(static_cast<uint8_t>(s[3])));
}

enum EPlugType
{
  kPlugTypeEffect = 0,
  kPlugTypeInstrument = 1,
  kPlugTypeMIDIEffect = 2
};

struct PluginConfig
{
  int32_t nParams = 0;
  int32_t nPresets = 0;
  const char* channelIOStr = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* mfrName = "";
  VersionWord vendorVersion = 0;
  int32_t uniqueID = 0;
  int32_t mfrID = 0;
  int32_t latency = 0;
  bool plugDoesMidiIn = false;
  bool plugDoesMidiOut = false;
  bool plugDoesMPE = false;
  bool plugDoesChunks = false; // OpaqueState: preset files use the chunk forms
  int32_t plugType = kPlugTypeEffect;
  bool plugHasUI = false;
  int32_t plugWidth = 0;
  int32_t plugHeight = 0;
  int32_t plugMinWidth = 0; // the two width limits, in either order
  int32_t plugMaxWidth = 0;
  int32_t plugMinHeight = 0; // the two height limits, in either order
  int32_t plugMaxHeight = 0;
  bool plugHostResize = false;
  const char* bundleID = "";
};

// The editor size limits as the bases store them: minimum = the smaller of
// the two values given, maximum = the larger.
struct EditorLimits
{
  int minWidth, maxWidth, minHeight, maxHeight;
};
EditorLimits OrderedEditorLimits(const PluginConfig& config);

} // namespace iplug

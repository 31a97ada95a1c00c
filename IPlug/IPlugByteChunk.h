// The growable byte buffer that carries all persistent state (host state,
// preset slots, editor size), the preset-file version prefix and the codes
// that name where a parameter change came from.
//
// Values are stored as their raw in-memory bytes (little-endian on every
// supported target), unaligned; strings as a 32-bit length plus the bytes.
// Reads take a position and return the next one, or -1; a read never touches
// memory beyond the chunk. A chunk belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace iplug
{

class ByteChunk
{
public:
  ByteChunk() = default;
  ByteChunk(const ByteChunk&) = delete;
  ByteChunk& operator=(const ByteChunk&) = delete;

  // Appends the raw bytes of a fixed-size value; returns the new size.
  template <typename T> int PutValue(const T& value)
  {
    static_assert(std::is_trivially_copyable<T>::value, "only plain values go into a chunk");
    return PutBytes(&value, static_cast<int>(sizeof(T)));
  }

  // Copies the value at pos into out and returns pos + sizeof(T); returns -1
  // (out unchanged) when the value does not lie wholly inside the chunk.
  template <typename T> int GetValue(T& out, int pos) const
  {
    static_assert(std::is_trivially_copyable<T>::value, "only plain values come out of a chunk");
    if (pos < 0 || static_cast<int64_t>(pos) + static_cast<int64_t>(sizeof(T)) > Size()) return -1;
    std::memcpy(&out, mBytes.data() + pos, sizeof(T));
    return pos + static_cast<int>(sizeof(T));
  }

  // Appends the 32-bit length of text (without NUL) and its bytes.
  int PutString(const char* text);
  // Reads a length L and L bytes at pos. Returns pos + 4 + L whenever the
  // length could be read; out changes only when the bytes lie inside the
  // chunk, so a truncated string returns a position beyond the size, which
  // fails the next read. A negative length, or one whose end does not fit a
  // 32-bit position, is corrupt data and returns -1.
  int GetString(std::string& out, int pos) const;

  int PutBytes(const void* data, int size);
  int AppendChunk(const ByteChunk& other) { return PutBytes(other.Data(), other.Size()); }

  // New bytes are zero. A negative size counts as 0.
  int Resize(int newSize);
  void Clear() { mBytes.clear(); }
  int Size() const { return static_cast<int>(mBytes.size()); }
  const uint8_t* Data() const { return mBytes.data(); }
  uint8_t* Data() { return mBytes.data(); }

  bool IsEqual(const ByteChunk& other) const { return mBytes == other.mBytes; }

private:
  void Reserve(size_t needed);

  std::vector<uint8_t> mBytes;
};

// "pfft" read as a big-endian code; stored little-endian like every chunk value.
constexpr int32_t kVersionHeaderMagic = 0x70666674;
// Framework version 1.0.0.
constexpr int32_t kFrameworkVersion = 0x00010000;

// Appends the 8-byte prefix.
void PutVersionHeader(ByteChunk& chunk);
// When the magic is at pos: reads the version and returns the position after
// the prefix. Otherwise consumes nothing (returns pos) and version reads 0.
int GetVersionHeader(const ByteChunk& chunk, int pos, int32_t& version);

enum ParamSource
{
  kReset = 0,
  kHost = 1,
  kPresetRecall = 2,
  kUI = 3,
  kDelegate = 4,
  kRecompile = 5,
  kUnknown = 6,
  kNumParamSources
};

// "Reset", "Host", "Preset", "UI", "Editor Delegate", "Recompile", "Unknown";
// any other code reads "Unknown".
const char* ParamSourceText(int source);

} // namespace iplug

#include "IPlugByteChunk.h"

#include <algorithm>
#include <climits>

namespace iplug
{

namespace
{
constexpr size_t kGrowStep = 4096;
}

void ByteChunk::Reserve(size_t needed)
{
  if (needed <= mBytes.capacity()) return;
  // Grow by whole 4096-byte steps, at least doubling, so long states cost few moves.
  size_t target = std::max(needed, mBytes.capacity() * 2);
  target = (target + kGrowStep - 1) / kGrowStep * kGrowStep;
  mBytes.reserve(target);
}

int ByteChunk::PutBytes(const void* data, int size)
{
  if (size <= 0 || !data) return Size();
  Reserve(mBytes.size() + static_cast<size_t>(size));
  const uint8_t* p = static_cast<const uint8_t*>(data);
  mBytes.insert(mBytes.end(), p, p + size);
  return Size();
}

int ByteChunk::PutString(const char* text)
{
  if (!text) text = "";
  size_t n = std::strlen(text);
  int32_t len = n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int32_t>(n);
  PutValue(len);
  return PutBytes(text, len);
}

int ByteChunk::GetString(std::string& out, int pos) const
{
  int32_t len = 0;
  int next = GetValue(len, pos);
  if (next < 0) return -1;
  if (len < 0) return -1;
  int64_t end = static_cast<int64_t>(next) + len;
  if (end > INT_MAX) return -1;
  if (end <= Size())
    out.assign(reinterpret_cast<const char*>(mBytes.data()) + next, static_cast<size_t>(len));
  return static_cast<int>(end);
}

int ByteChunk::Resize(int newSize)
{
  if (newSize < 0) newSize = 0;
  Reserve(static_cast<size_t>(newSize));
  mBytes.resize(static_cast<size_t>(newSize), 0);
  return Size();
}

void PutVersionHeader(ByteChunk& chunk)
{
  chunk.PutValue(kVersionHeaderMagic);
  chunk.PutValue(kFrameworkVersion);
}

int GetVersionHeader(const ByteChunk& chunk, int pos, int32_t& version)
{
  version = 0;
  int32_t magic = 0;
  int next = chunk.GetValue(magic, pos);
  if (next < 0 || magic != kVersionHeaderMagic) return pos;
  int32_t v = 0;
  next = chunk.GetValue(v, next);
  if (next < 0) return pos;
  version = v;
  return next;
}

const char* ParamSourceText(int source)
{
  static const char* const kTexts[kNumParamSources] = {"Reset",           "Host",      "Preset", "UI",
                                                       "Editor Delegate", "Recompile", "Unknown"};
  return source >= 0 && source < kNumParamSources ? kTexts[source] : "Unknown";
}

} // namespace iplug

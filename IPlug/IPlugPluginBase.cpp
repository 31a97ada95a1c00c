#include "IPlugPluginBase.h"

#include "IPlugLogger.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace iplug
{

namespace
{

void CopyName(char* dst, const char* src, size_t size)
{
  if (!src) src = "";
  size_t n = std::strlen(src);
  if (n >= size) n = size - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

bool IsIntegral(const IParam& p)
{
  return p.Type() == kTypeBool || p.Type() == kTypeInt || p.Type() == kTypeEnum;
}

// The value as a 32-bit integer would carry it, for integral parameters.
double AsPassed(const IParam& p, double v)
{
  if (!IsIntegral(p)) return v;
  if (!(v == v)) return 0.0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<double>(static_cast<int32_t>(v));
}

// 9.999e-08: marks a parameter no pair named.
constexpr double kUnusedMarker = 9.999e-08;

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(const uint8_t* data, int size)
{
  std::string out;
  out.reserve(static_cast<size_t>((size + 2) / 3 * 4));
  for (int i = 0; i < size; i += 3)
  {
    uint32_t n = static_cast<uint32_t>(data[i]) << 16;
    if (i + 1 < size) n |= static_cast<uint32_t>(data[i + 1]) << 8;
    if (i + 2 < size) n |= data[i + 2];
    out += kBase64Alphabet[(n >> 18) & 63];
    out += kBase64Alphabet[(n >> 12) & 63];
    out += i + 1 < size ? kBase64Alphabet[(n >> 6) & 63] : '=';
    out += i + 2 < size ? kBase64Alphabet[n & 63] : '=';
  }
  return out;
}

// Decodes into exactly out.size() bytes (zero where the text ends early);
// the first character outside the alphabet ends the text.
void Base64Decode(const char* text, std::vector<uint8_t>& out)
{
  size_t pos = 0;
  uint32_t bits = 0;
  int nBits = 0;
  for (const char* c = text; c && *c && pos < out.size(); ++c)
  {
    const char* at = std::strchr(kBase64Alphabet, *c);
    if (!at) break;
    bits = (bits << 6) | static_cast<uint32_t>(at - kBase64Alphabet);
    nBits += 6;
    if (nBits >= 8)
    {
      nBits -= 8;
      out[pos++] = static_cast<uint8_t>((bits >> nBits) & 0xFF);
    }
  }
}

// --- Big-endian fields of the preset files

void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutBEFloat(std::vector<uint8_t>& out, float f)
{
  uint32_t v;
  std::memcpy(&v, &f, 4);
  PutBE32(out, v);
}

void PutName(std::vector<uint8_t>& out, const char* name)
{
  char field[kFXPNameLen] = {};
  CopyName(field, name, sizeof(field));
  out.insert(out.end(), field, field + kFXPNameLen);
}

// Bounds-checked reader over a file image.
class FileReader
{
public:
  FileReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
  bool Has(size_t n) const { return mPos <= mSize && n <= mSize - mPos; }
  bool BE32(uint32_t& v)
  {
    if (!Has(4)) return false;
    const uint8_t* p = mData + mPos;
    v = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
    mPos += 4;
    return true;
  }
  bool BEInt(int32_t& v)
  {
    uint32_t u;
    if (!BE32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool BEFloat(float& f)
  {
    uint32_t u;
    if (!BE32(u)) return false;
    std::memcpy(&f, &u, 4);
    return true;
  }
  bool Expect(int32_t code)
  {
    int32_t v;
    return BEInt(v) && v == code;
  }
  bool Name(char (&name)[kFXPNameLen])
  {
    if (!Has(kFXPNameLen)) return false;
    std::memcpy(name, mData + mPos, kFXPNameLen);
    name[kFXPNameLen - 1] = '\0';
    mPos += kFXPNameLen;
    return true;
  }
  bool Skip(size_t n)
  {
    if (!Has(n)) return false;
    mPos += n;
    return true;
  }
  const uint8_t* Here() const { return mData + mPos; }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
};

constexpr int32_t kChunkMagic = FourCharCode("CcnK");
constexpr int32_t kFxProgramMagic = FourCharCode("FxCk");
constexpr int32_t kFxProgramChunkMagic = FourCharCode("FPCh");
constexpr int32_t kFxBankMagic = FourCharCode("FxBk");
constexpr int32_t kFxBankChunkMagic = FourCharCode("FBCh");
constexpr int kProgramHeaderSize = 60;
constexpr int kBankHeaderSize = 160;
constexpr size_t kBankReserved = 124;

bool WriteFile(const char* path, const std::vector<uint8_t>& data)
{
  if (!path || !*path) return false;
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

bool ReadFile(const char* path, std::vector<uint8_t>& data)
{
  if (!path || !*path) return false;
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  data.clear();
  uint8_t buf[4096];
  size_t n;
  bool ok = true;
  while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
  {
    if (data.size() + n > static_cast<size_t>(INT_MAX))
    {
      ok = false; // no preset file is this large
      break;
    }
    data.insert(data.end(), buf, buf + n);
  }
  std::fclose(f);
  return ok;
}

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif

} // namespace

const char* ApiName(int api)
{
  static const char* const kNames[] = {"VST2", "VST3", "AU", "AUv3", "AAX", "APP", "WAM", "WEB"};
  return api >= 0 && api < 8 ? kNames[api] : "";
}

const char* ArchText()
{
  return "x86-64";
}

PresetSlot::PresetSlot()
{
  CopyName(mName, "empty", sizeof(mName));
}

IPluginBase::IPluginBase(const PluginConfig& config, int api)
    : IGEditorDelegate(config.nParams),
      mPluginName(std::string(config.pluginName ? config.pluginName : "").substr(0, 128)),
      mProductName(std::string(config.productName ? config.productName : "").substr(0, 128)),
      mMfrName(std::string(config.mfrName ? config.mfrName : "").substr(0, 128)),
      mBundleID(config.bundleID ? config.bundleID : ""), mUniqueID(config.uniqueID), mMfrID(config.mfrID),
      mVersion(config.vendorVersion), mAPI(api), mStateChunks(config.plugDoesChunks),
      mHasUI(config.plugHasUI), mHostResize(config.plugHostResize)
{
  for (int i = 0; i < config.nPresets; ++i) mPresets.push_back(std::make_unique<PresetSlot>());
}

IPluginBase::~IPluginBase()
{
  while (!mPresets.empty()) mPresets.pop_back();
}

std::string IPluginBase::BuildInfoText(const char* date, const char* time) const
{
  char buf[257];
  std::snprintf(buf, sizeof(buf), "%s %s (%s), built on %s at %.5s ", VersionText(mVersion).c_str(),
                GetAPIName(), ArchText(), date ? date : "", time ? time : "");
  return buf;
}

// --- Parameter list

void IPluginBase::ForEachParamInRange(int first, int last, const ParamFunc& func)
{
  for (int i = std::max(first, 0); i <= last && i < NParams(); ++i) func(i, *GetParam(i));
}

void IPluginBase::ForEachParamInGroup(const char* group, const ParamFunc& func)
{
  if (!group) return;
  for (int i = 0; i < NParams(); ++i)
    if (std::strcmp(GetParam(i)->GetGroup(), group) == 0) func(i, *GetParam(i));
}

void IPluginBase::ResetParamsToDefault()
{
  ResetParamsToDefault(0, NParams() - 1);
}

void IPluginBase::ResetParamsToDefault(int first, int last)
{
  ForEachParamInRange(first, last, [](int, IParam& p) { p.ResetToDefault(); });
}

void IPluginBase::ResetParamsToDefault(const char* group)
{
  ForEachParamInGroup(group, [](int, IParam& p) { p.ResetToDefault(); });
}

namespace
{
void SetRandomNormal(IParam& p)
{
  int r = std::rand() % 32768;
  float normal = static_cast<float>(r) * (1.f / 32768.f);
  p.SetNormal(normal);
}
} // namespace

void IPluginBase::RandomizeParams()
{
  RandomizeParams(0, NParams() - 1);
}

void IPluginBase::RandomizeParams(int first, int last)
{
  ForEachParamInRange(first, last, [](int, IParam& p) { SetRandomNormal(p); });
}

void IPluginBase::RandomizeParams(const char* group)
{
  ForEachParamInGroup(group, [](int, IParam& p) { SetRandomNormal(p); });
}

void IPluginBase::CopyParamValues(int first, int destination, int count)
{
  for (int k = 0; k < count; ++k)
  {
    const IParam* src = GetParam(first + k);
    IParam* dst = GetParam(destination + k);
    if (src && dst) dst->SetValue(src->Value());
  }
}

void IPluginBase::CopyParamValues(const char* sourceGroup, const char* destinationGroup)
{
  if (!sourceGroup || !destinationGroup) return;
  std::vector<int> src, dst;
  for (int i = 0; i < NParams(); ++i)
  {
    const char* g = GetParam(i)->GetGroup();
    if (std::strcmp(g, sourceGroup) == 0)
      src.push_back(i);
    else if (std::strcmp(g, destinationGroup) == 0)
      dst.push_back(i);
  }
  // A destination group smaller than the source takes what it can hold.
  for (size_t k = 0; k < src.size() && k < dst.size(); ++k)
    GetParam(dst[k])->SetValue(GetParam(src[k])->Value());
}

void IPluginBase::CloneParams(int first, int last, int destination, const char* searchStr,
                              const char* replaceStr, const char* newGroup)
{
  for (int i = first; i <= last; ++i)
  {
    const IParam* src = GetParam(i);
    IParam* dst = GetParam(destination + (i - first));
    if (!src || !dst) continue;
    dst->DefineFromCopy(*src, searchStr, replaceStr, newGroup);
    dst->SetValue(src->Value());
  }
}

void IPluginBase::DefineParamRange(int first, int last, int countStart, const char* nameFormat,
                                   double defaultVal, double minVal, double maxVal, double step,
                                   const char* label, int flags, const char* group, const Shape& shape,
                                   int unit, DisplayFunction displayFunc)
{
  for (int i = first; i <= last; ++i)
  {
    IParam* p = GetParam(i);
    if (!p) continue;
    char name[kMaxParamTextLen + 1];
    std::snprintf(name, sizeof(name), nameFormat ? nameFormat : "%d", countStart + (i - first));
    p->DefineDouble(name, defaultVal, minVal, maxVal, step, label, flags, group, shape, unit, displayFunc);
  }
}

// --- State

bool IPluginBase::SerializeParams(ByteChunk& chunk) const
{
  for (int i = 0; i < NParams(); ++i) chunk.PutValue(GetParam(i)->Value());
  return NParams() == 0 || chunk.Size() > 0;
}

int IPluginBase::UnserializeParams(const ByteChunk& chunk, int startPos)
{
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    double v = 0.0;
    pos = chunk.GetValue(v, pos);
    GetParam(i)->SetValue(v);
  }
  ParamsReset(kPresetRecall);
  return pos < 0 ? -1 : pos; // a negative start reads nothing and reports -1
}

// --- Presets

PresetSlot* IPluginBase::NextUninitializedPreset()
{
  for (auto& slot : mPresets)
    if (!slot->mInitialized) return slot.get();
  return nullptr;
}

void IPluginBase::MakePresetFromValues(const char* name, const double* values, int nValues)
{
  PresetSlot* slot = NextUninitializedPreset();
  if (!slot) return;
  slot->mInitialized = true;
  CopyName(slot->mName, name, sizeof(slot->mName));
  for (int i = 0; i < NParams(); ++i)
  {
    const IParam& p = *GetParam(i);
    double v = i < nValues ? AsPassed(p, values[i]) : p.Value();
    slot->mChunk.PutValue(v);
  }
}

void IPluginBase::MakePresetFromPairs(const char* name, int nNamed, const double* pairs, int nPairsGiven)
{
  PresetSlot* slot = NextUninitializedPreset();
  if (!slot) return;
  slot->mInitialized = true;
  CopyName(slot->mName, name, sizeof(slot->mName));

  std::vector<double> values(static_cast<size_t>(NParams()), kUnusedMarker);
  int n = std::min(nNamed, nPairsGiven);
  for (int k = 0; k < n; ++k)
  {
    double idxValue = pairs[2 * k];
    if (!(idxValue >= 0.0 && idxValue < NParams())) continue; // no such parameter
    int idx = static_cast<int>(idxValue);
    values[static_cast<size_t>(idx)] = AsPassed(*GetParam(idx), pairs[2 * k + 1]);
  }
  for (int i = 0; i < NParams(); ++i)
  {
    double v = values[static_cast<size_t>(i)];
    if (v == kUnusedMarker) v = GetParam(i)->Value();
    slot->mChunk.PutValue(v);
  }
}

void IPluginBase::MakePresetFromChunk(const char* name, const ByteChunk& chunk)
{
  PresetSlot* slot = NextUninitializedPreset();
  if (!slot) return;
  slot->mInitialized = true;
  CopyName(slot->mName, name, sizeof(slot->mName));
  slot->mChunk.AppendChunk(chunk);
}

void IPluginBase::MakePresetFromBlob(const char* name, const char* base64, int blobSize)
{
  if (blobSize < 0) return;
  PresetSlot* slot = NextUninitializedPreset();
  if (!slot) return;
  std::vector<uint8_t> buf(static_cast<size_t>(blobSize), 0);
  Base64Decode(base64, buf);
  slot->mInitialized = true;
  CopyName(slot->mName, name, sizeof(slot->mName));
  slot->mChunk.PutBytes(buf.data(), blobSize);
}

void IPluginBase::MakeDefaultPreset(const char* name, int count)
{
  for (int i = 0; i < count; ++i)
  {
    PresetSlot* slot = NextUninitializedPreset();
    if (!slot) return;
    slot->mInitialized = true;
    CopyName(slot->mName, name ? name : "Empty", sizeof(slot->mName));
    SaveState(slot->mChunk);
  }
}

bool IPluginBase::RecallPreset(int idx)
{
  if (idx < 0 || idx >= PresetCount()) return false;
  PresetSlot& slot = *mPresets[static_cast<size_t>(idx)];
  bool ok;
  if (slot.mInitialized)
    ok = LoadState(slot.mChunk, 0) > 0;
  else
  {
    slot.mInitialized = true;
    int count = 0;
    for (auto& s : mPresets)
      if (std::strstr(s->mName, "user preset")) ++count;
    std::snprintf(slot.mName, sizeof(slot.mName), "%s %d", "user preset", count + 1);
    slot.mChunk.Clear();
    ok = SaveState(slot.mChunk);
  }
  if (ok)
  {
    mCurrentPresetIdx = idx;
    PresetRecalled();
    StateRestored();
  }
  return ok;
}

bool IPluginBase::RecallPreset(const char* name)
{
  if (!name || !*name) return false;
  for (int i = 0; i < PresetCount(); ++i)
    if (std::strcmp(mPresets[static_cast<size_t>(i)]->mName, name) == 0) return RecallPreset(i);
  return false;
}

void IPluginBase::ModifyCurrentPreset(const char* name)
{
  if (mCurrentPresetIdx < 0 || mCurrentPresetIdx >= PresetCount()) return;
  PresetSlot& slot = *mPresets[static_cast<size_t>(mCurrentPresetIdx)];
  slot.mChunk.Clear();
  SaveState(slot.mChunk);
  if (name && *name) CopyName(slot.mName, name, sizeof(slot.mName));
}

void IPluginBase::DropUninitializedPresets()
{
  std::vector<std::unique_ptr<PresetSlot>> kept;
  for (auto& slot : mPresets)
    if (slot->mInitialized) kept.push_back(std::move(slot));
  mPresets.swap(kept);
}

const char* IPluginBase::PresetName(int idx) const
{
  return idx >= 0 && idx < PresetCount() ? mPresets[static_cast<size_t>(idx)]->mName : "";
}

bool IPluginBase::PresetIsInitialized(int idx) const
{
  return idx >= 0 && idx < PresetCount() && mPresets[static_cast<size_t>(idx)]->mInitialized;
}

const ByteChunk* IPluginBase::PresetChunk(int idx) const
{
  return idx >= 0 && idx < PresetCount() ? &mPresets[static_cast<size_t>(idx)]->mChunk : nullptr;
}

bool IPluginBase::SerializePresets(ByteChunk& chunk) const
{
  bool ok = true;
  for (auto& slot : mPresets)
  {
    chunk.PutString(slot->mName);
    chunk.PutValue(static_cast<uint8_t>(slot->mInitialized ? 1 : 0));
    if (slot->mInitialized)
    {
      int before = chunk.Size();
      ok = chunk.AppendChunk(slot->mChunk) == before + slot->mChunk.Size() && ok;
    }
  }
  return ok;
}

int IPluginBase::UnserializePresets(const ByteChunk& chunk, int startPos)
{
  int pos = startPos;
  for (size_t i = 0; i < mPresets.size() && pos >= 0; ++i)
  {
    PresetSlot& slot = *mPresets[i];
    std::string name;
    pos = chunk.GetString(name, pos);
    if (pos < 0 || pos > chunk.Size()) // truncated: the name is not there
    {
      pos = -1;
      break;
    }
    CopyName(slot.mName, name.c_str(), sizeof(slot.mName));
    uint8_t initialized = 0;
    pos = chunk.GetValue(initialized, pos);
    if (pos < 0) break;
    slot.mInitialized = initialized != 0;
    if (slot.mInitialized)
    {
      pos = LoadState(chunk, pos);
      if (pos > 0)
      {
        slot.mChunk.Clear();
        SaveState(slot.mChunk);
      }
    }
  }
  RecallPreset(mCurrentPresetIdx);
  return pos;
}

// --- Source dumps

namespace
{
std::string ValueSourceText(const IParam& p)
{
  char buf[64];
  switch (p.Type())
  {
  case kTypeBool:
    std::snprintf(buf, sizeof(buf), "%s", p.Value() >= 0.5 ? "true" : "false");
    break;
  case kTypeInt:
  case kTypeEnum:
    std::snprintf(buf, sizeof(buf), "%d", p.AsInt());
    break;
  default:
    std::snprintf(buf, sizeof(buf), "%.6f", p.Value());
    break;
  }
  return buf;
}
} // namespace

void IPluginBase::WritePresetSource(const char* path) const
{
  FILE* f = path && *path ? std::fopen(path, "a") : nullptr;
  if (!f) return;
  std::fprintf(f, "MakePreset(\"%s\"", PresetName(mCurrentPresetIdx));
  for (int i = 0; i < NParams(); ++i) std::fprintf(f, ", %s", ValueSourceText(*GetParam(i)).c_str());
  std::fprintf(f, ");\n");
  std::fclose(f);
}

void IPluginBase::WriteNamedPresetSource(const char* path, const char* const* paramIDs) const
{
  FILE* f = path && *path ? std::fopen(path, "a") : nullptr;
  if (!f) return;
  std::fprintf(f, "  MakePresetFromNamedParams(\"%s\", %d", PresetName(mCurrentPresetIdx), NParams());
  for (int i = 0; i < NParams(); ++i)
    std::fprintf(f, ",\n    %s, %s", paramIDs && paramIDs[i] ? paramIDs[i] : "",
                 ValueSourceText(*GetParam(i)).c_str());
  std::fprintf(f, ");\n");
  std::fclose(f);
}

void IPluginBase::WritePresetBlobSource(const char* path) const
{
  FILE* f = path && *path ? std::fopen(path, "a") : nullptr;
  if (!f) return;
  const ByteChunk* chunk = PresetChunk(mCurrentPresetIdx);
  std::string blob = chunk ? Base64Encode(chunk->Data(), chunk->Size()) : std::string();
  std::fprintf(f, "MakePresetFromBlob(\"%s\", \"", PresetName(mCurrentPresetIdx));
  std::fprintf(f, "%s\", %i);\n", blob.c_str(), chunk ? chunk->Size() : 0);
  std::fclose(f);
}

// --- Preset files

void IPluginBase::AppendProgramRecord(std::vector<uint8_t>& out, const char* name,
                                      const double* normals) const
{
  PutBE32(out, static_cast<uint32_t>(kChunkMagic));
  PutBE32(out, 0);
  PutBE32(out, static_cast<uint32_t>(kFxProgramMagic));
  PutBE32(out, 1);
  PutBE32(out, static_cast<uint32_t>(mUniqueID));
  PutBE32(out, static_cast<uint32_t>(GetPluginVersionDecimal()));
  PutBE32(out, static_cast<uint32_t>(NParams()));
  PutName(out, name);
  for (int i = 0; i < NParams(); ++i) PutBEFloat(out, static_cast<float>(normals[i]));
}

bool IPluginBase::MakePresetFileData(std::vector<uint8_t>& out)
{
  out.clear();
  const char* name = PresetName(mCurrentPresetIdx);
  if (DoesStateChunks())
  {
    ByteChunk state;
    PutVersionHeader(state);
    if (!SaveState(state)) return false;
    PutBE32(out, static_cast<uint32_t>(kChunkMagic));
    PutBE32(out, static_cast<uint32_t>(state.Size() + kProgramHeaderSize));
    PutBE32(out, static_cast<uint32_t>(kFxProgramChunkMagic));
    PutBE32(out, 1);
    PutBE32(out, static_cast<uint32_t>(mUniqueID));
    PutBE32(out, static_cast<uint32_t>(GetPluginVersionDecimal()));
    PutBE32(out, static_cast<uint32_t>(NParams()));
    PutName(out, name);
    PutBE32(out, static_cast<uint32_t>(state.Size()));
    out.insert(out.end(), state.Data(), state.Data() + state.Size());
  }
  else
  {
    std::vector<double> normals(static_cast<size_t>(NParams()));
    for (int i = 0; i < NParams(); ++i) normals[static_cast<size_t>(i)] = GetParam(i)->GetNormal();
    AppendProgramRecord(out, name, normals.data());
  }
  return true;
}

bool IPluginBase::MakeBankFileData(std::vector<uint8_t>& out)
{
  out.clear();
  const bool opaque = DoesStateChunks();
  ByteChunk state;
  if (opaque)
  {
    PutVersionHeader(state);
    if (!SerializePresets(state)) return false;
  }
  PutBE32(out, static_cast<uint32_t>(kChunkMagic));
  PutBE32(out, opaque ? static_cast<uint32_t>(state.Size() + kBankHeaderSize) : 0u);
  PutBE32(out, static_cast<uint32_t>(opaque ? kFxBankChunkMagic : kFxBankMagic));
  PutBE32(out, 2);
  PutBE32(out, static_cast<uint32_t>(mUniqueID));
  PutBE32(out, static_cast<uint32_t>(GetPluginVersionDecimal()));
  PutBE32(out, static_cast<uint32_t>(PresetCount()));
  PutBE32(out, static_cast<uint32_t>(mCurrentPresetIdx));
  out.insert(out.end(), kBankReserved, 0);
  if (opaque)
  {
    PutBE32(out, static_cast<uint32_t>(state.Size()));
    out.insert(out.end(), state.Data(), state.Data() + state.Size());
  }
  else
  {
    std::vector<double> normals(static_cast<size_t>(NParams()));
    for (auto& slot : mPresets)
    {
      int pos = 0;
      for (int i = 0; i < NParams(); ++i)
      {
        double v = 0.0;
        pos = slot->mChunk.GetValue(v, pos); // an uninitialised slot reads 0
        if (pos < 0) v = 0.0;
        const IParam& p = *GetParam(i);
        normals[static_cast<size_t>(i)] = p.NormalFromValue(v);
      }
      AppendProgramRecord(out, slot->mName, normals.data());
    }
  }
  return true;
}

bool IPluginBase::LoadPresetFileData(const uint8_t* data, size_t size)
{
  if (!data) return false;
  FileReader r(data, size);
  int32_t fxMagic = 0, numParams = 0;
  char name[kFXPNameLen];
  if (!r.Expect(kChunkMagic) || !r.Skip(4) || !r.BEInt(fxMagic)) return false;
  const bool opaque = DoesStateChunks();
  if (fxMagic != (opaque ? kFxProgramChunkMagic : kFxProgramMagic)) return false;
  if (!r.Expect(1) || !r.Expect(mUniqueID) || !r.Skip(4) || !r.BEInt(numParams) || !r.Name(name))
    return false;

  if (opaque)
  {
    int32_t dataSize = 0;
    if (!r.BEInt(dataSize) || dataSize < 0 || !r.Has(static_cast<size_t>(dataSize))) return false;
    ByteChunk state;
    state.PutBytes(r.Here(), dataSize);
    int32_t version = 0;
    int pos = GetVersionHeader(state, 0, version);
    if (LoadState(state, pos) <= 0) return false;
  }
  else
  {
    if (numParams != NParams() || !r.Has(static_cast<size_t>(numParams) * 4)) return false;
    for (int i = 0; i < numParams; ++i)
    {
      float f = 0.f;
      r.BEFloat(f);
      GetParam(i)->SetNormal(f);
    }
  }
  ModifyCurrentPreset(name);
  RecallPreset(mCurrentPresetIdx);
  PresetFileLoaded();
  return true;
}

bool IPluginBase::LoadBankFileData(const uint8_t* data, size_t size)
{
  if (!data) return false;
  FileReader r(data, size);
  int32_t fxMagic = 0, numPrograms = 0, currentProgram = 0;
  if (!r.Expect(kChunkMagic) || !r.Skip(4) || !r.BEInt(fxMagic)) return false;
  const bool opaque = DoesStateChunks();
  if (fxMagic != (opaque ? kFxBankChunkMagic : kFxBankMagic)) return false;
  if (!r.Expect(2) || !r.Expect(mUniqueID) || !r.Skip(4) || !r.BEInt(numPrograms) ||
      !r.BEInt(currentProgram) || !r.Skip(kBankReserved))
    return false;

  if (opaque)
  {
    int32_t dataSize = 0;
    if (!r.BEInt(dataSize) || dataSize < 0 || !r.Has(static_cast<size_t>(dataSize))) return false;
    ByteChunk state;
    state.PutBytes(r.Here(), dataSize);
    int32_t version = 0;
    int pos = GetVersionHeader(state, 0, version);
    if (UnserializePresets(state, pos) < 0) return false;
  }
  else
  {
    if (numPrograms < 0 || numPrograms > PresetCount()) return false;
    // Check every record before changing anything, so a damaged bank loses nothing.
    const size_t recordSize = 56 + static_cast<size_t>(NParams()) * 4;
    const uint8_t* records = r.Here();
    for (int k = 0; k < numPrograms; ++k)
    {
      FileReader rec(r.Here(), recordSize);
      if (!r.Has(recordSize)) return false;
      int32_t n = 0;
      if (!rec.Expect(kChunkMagic) || !rec.Skip(4) || !rec.Expect(kFxProgramMagic) || !rec.Expect(1) ||
          !rec.Skip(8) || !rec.BEInt(n) || n != NParams())
        return false;
      r.Skip(recordSize);
    }
    for (int k = 0; k < numPrograms; ++k)
    {
      FileReader rec(records + static_cast<size_t>(k) * recordSize, recordSize);
      char name[kFXPNameLen];
      rec.Skip(28);
      rec.Name(name);
      // The record belongs to slot k even when the slot's old state was unreadable.
      if (!RecallPreset(k)) mCurrentPresetIdx = k;
      for (int i = 0; i < NParams(); ++i)
      {
        float f = 0.f;
        rec.BEFloat(f);
        GetParam(i)->SetNormal(f);
      }
      ModifyCurrentPreset(name);
    }
    RecallPreset(currentProgram);
  }
  PresetFileLoaded();
  return true;
}

bool IPluginBase::SavePresetFile(const char* path)
{
  std::vector<uint8_t> data;
  return path && *path && MakePresetFileData(data) && WriteFile(path, data);
}

bool IPluginBase::LoadPresetFile(const char* path)
{
  std::vector<uint8_t> data;
  return ReadFile(path, data) && LoadPresetFileData(data.data(), data.size());
}

bool IPluginBase::SaveBankFile(const char* path)
{
  std::vector<uint8_t> data;
  return path && *path && MakeBankFileData(data) && WriteFile(path, data);
}

bool IPluginBase::LoadBankFile(const char* path)
{
  std::vector<uint8_t> data;
  return ReadFile(path, data) && LoadBankFileData(data.data(), data.size());
}

} // namespace iplug

// The plug-in base: identity and version texts, operations over the
// parameter list, the state chunk (SaveState/LoadState), preset slots and
// preset files.
//
// Threads: state and preset operations run on the constructing thread or the
// host's main/state thread; they write parameter values through the atomic
// value operations only and take no lock. Nothing here may run on the audio
// thread (it allocates and does file I/O).
#pragma once

#include "IGraphicsEditorDelegate.h"
#include "IPlugPluginConfig.h"

#include <functional>
#include <string>
#include <vector>

namespace iplug
{

enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIAUv3 = 3,
  kAPIAAX = 4,
  kAPIAPP = 5,
  kAPIWAM = 6,
  kAPIWEB = 7
};

// "VST2", "VST3", "AU", "AUv3", "AAX", "APP", "WAM", "WEB"; "" for any other code.
const char* ApiName(int api);
const char* ArchText();

// Preset names: at most 255 characters (27 inside preset files).
constexpr int kMaxPresetNameLen = 255;
constexpr int kFXPNameLen = 28;

struct PresetSlot
{
  PresetSlot();
  bool mInitialized = false;
  char mName[kMaxPresetNameLen + 1];
  ByteChunk mChunk;
};

class IPluginBase : public igraphics::IGEditorDelegate
{
public:
  using ParamFunc = std::function<void(int paramIdx, IParam& param)>;

  IPluginBase(const PluginConfig& config, int api);
  ~IPluginBase() override;

  // --- Identity and versions
  const char* GetPluginName() const { return mPluginName.c_str(); }
  const char* GetProductName() const { return mProductName.c_str(); }
  const char* GetMfrName() const { return mMfrName.c_str(); }
  const char* GetBundleID() const { return mBundleID.c_str(); }
  int32_t GetUniqueID() const { return mUniqueID; }
  int32_t GetMfrID() const { return mMfrID; }
  VersionWord GetPluginVersion() const { return mVersion; }
  std::string GetPluginVersionText() const { return VersionText(mVersion); }
  int GetPluginVersionDecimal() const { return VersionDecimal(mVersion); }
  VersionWord GetHostVersion() const { return mHostVersion; }
  std::string GetHostVersionText() const { return VersionText(mHostVersion); }
  int GetHostVersionDecimal() const { return VersionDecimal(mHostVersion); }
  int GetAPI() const { return mAPI; }
  const char* GetAPIName() const { return ApiName(mAPI); }
  const char* GetArchText() const { return ArchText(); }
  // "<version> <api> (<arch>), built on <date> at <first five of time> "
  std::string BuildInfoText(const char* date, const char* time) const;
  bool DoesStateChunks() const { return mStateChunks; }
  bool HasUI() const { return mHasUI; }
  bool GetHostResizeEnabled() const { return mHostResize; }

  // --- Operations over the parameter list (indices outside it are skipped)
  void ForEachParamInRange(int first, int last, const ParamFunc& func);
  void ForEachParamInGroup(const char* group, const ParamFunc& func);
  void ResetParamsToDefault();
  void ResetParamsToDefault(int first, int last);
  void ResetParamsToDefault(const char* group);
  void RandomizeParams();
  void RandomizeParams(int first, int last);
  void RandomizeParams(const char* group);
  void CopyParamValues(int first, int destination, int count);
  void CopyParamValues(const char* sourceGroup, const char* destinationGroup);
  void CloneParams(int first, int last, int destination, const char* searchStr, const char* replaceStr,
                   const char* newGroup = "");
  void DefineParamRange(int first, int last, int countStart, const char* nameFormat, double defaultVal,
                        double minVal, double maxVal, double step, const char* label = "", int flags = 0,
                        const char* group = "", const Shape& shape = ShapeLinear(), int unit = kUnitGeneric,
                        DisplayFunction displayFunc = nullptr);

  // --- State
  bool SerializeParams(ByteChunk& chunk) const;
  int UnserializeParams(const ByteChunk& chunk, int startPos);
  virtual void OnRestoreState() {}
  virtual bool SaveState(ByteChunk& chunk) const { return SerializeParams(chunk); }
  virtual int LoadState(const ByteChunk& chunk, int startPos) { return UnserializeParams(chunk, startPos); }
  virtual bool SaveExtraState(ByteChunk& chunk) const
  {
    (void)chunk;
    return true;
  }
  virtual int LoadExtraState(const ByteChunk& chunk, int startPos)
  {
    (void)chunk;
    return startPos;
  }
  virtual void PresetFileLoaded() {}
  virtual void PresetRecalled() {}

  // --- Presets. Each making operation fills the uninitialised slot with the
  // lowest index and does nothing when none is left.

  // One value per parameter in index order. Values for Bool, Int and Enum
  // parameters are taken as integers (truncated); missing values take the
  // parameter's current value.
  template <typename... Values> void MakePreset(const char* name, Values... values)
  {
    const double list[] = {static_cast<double>(values)..., 0.0};
    MakePresetFromValues(name, list, static_cast<int>(sizeof...(Values)));
  }
  // nNamed pairs (parameter index, value); unnamed parameters keep their
  // current value.
  template <typename... Args> void MakePresetFromNamedParams(const char* name, int nNamed, Args... args)
  {
    static_assert(sizeof...(Args) % 2 == 0, "pairs of parameter index and value");
    const double list[] = {static_cast<double>(args)..., 0.0};
    MakePresetFromPairs(name, nNamed, list, static_cast<int>(sizeof...(Args) / 2));
  }
  void MakePresetFromChunk(const char* name, const ByteChunk& chunk);
  // blobSize: size in bytes of the decoded chunk.
  void MakePresetFromBlob(const char* name, const char* base64, int blobSize);
  void MakeDefaultPreset(const char* name = nullptr, int count = 1);

  bool RecallPreset(int idx);
  bool RecallPreset(const char* name);
  void ModifyCurrentPreset(const char* name = nullptr);
  void DropUninitializedPresets();
  int PresetCount() const { return static_cast<int>(mPresets.size()); }
  int NPresets() const { return PresetCount(); }
  // "" for an index outside the list.
  const char* PresetName(int idx) const;
  bool PresetIsInitialized(int idx) const;
  const ByteChunk* PresetChunk(int idx) const;
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }

  bool SerializePresets(ByteChunk& chunk) const;
  int UnserializePresets(const ByteChunk& chunk, int startPos);

  // Source-text dumps of the current preset, appended to the file at path.
  void WritePresetSource(const char* path) const;
  // paramIDs: one identifier text per parameter.
  void WriteNamedPresetSource(const char* path, const char* const* paramIDs) const;
  void WritePresetBlobSource(const char* path) const;

  // Preset (fxp) and bank (fxb) files. OpaqueState chooses the chunk forms.
  bool SavePresetFile(const char* path);
  bool LoadPresetFile(const char* path);
  bool SaveBankFile(const char* path);
  bool LoadBankFile(const char* path);
  // The same layouts in memory (what the file operations write and read).
  bool MakePresetFileData(std::vector<uint8_t>& out);
  bool LoadPresetFileData(const uint8_t* data, size_t size);
  bool MakeBankFileData(std::vector<uint8_t>& out);
  bool LoadBankFileData(const uint8_t* data, size_t size);

protected:
  void SetHostVersion(VersionWord version) { mHostVersion = version; }

private:
  void MakePresetFromValues(const char* name, const double* values, int nValues);
  void MakePresetFromPairs(const char* name, int nNamed, const double* pairs, int nPairsGiven);
  PresetSlot* NextUninitializedPreset();
  void AppendProgramRecord(std::vector<uint8_t>& out, const char* name, const double* normals) const;

  std::string mPluginName;
  std::string mProductName;
  std::string mMfrName;
  std::string mBundleID;
  int32_t mUniqueID;
  int32_t mMfrID;
  VersionWord mVersion;
  VersionWord mHostVersion = 0;
  int mAPI;
  bool mStateChunks;
  bool mHasUI;
  bool mHostResize;

  std::vector<std::unique_ptr<PresetSlot>> mPresets;
  int mCurrentPresetIdx = 0;
};

} // namespace iplug

// libFuzzer target over the framework's readers of untrusted state: parameter
// state (UnserializeParams), serialized presets (UnserializePresets), and
// preset and bank files (the in-memory readers behind LoadPresetFile and
// LoadBankFile), each in the parameter and the opaque (chunk) form.
//
// The first input byte selects the reader, the rest is the data.
//
// Build and run (from the repository root):
//   cmake --preset fuzz && cmake --build --preset fuzz -j2
//   mkdir -p /tmp/state-corpus
//   build/fuzz/Tests/Fuzz/iplug_state_fuzz /tmp/state-corpus -max_total_time=3600 -jobs=2
// Use -max_len=4096 to search longer inputs, and -runs=N for a fixed count.
#include "IPlugAPIBase.h"

#include <cstddef>
#include <cstdint>

using namespace iplug;

namespace
{

class FuzzPlugin : public IPlugAPIBase
{
public:
  explicit FuzzPlugin(const PluginConfig& c) : IPlugAPIBase(c, kAPIAAX)
  {
    GetParam(0)->DefineBool("Bypass", false, "", 0, "", "Process", "Bypass");
    GetParam(1)->DefineDouble("Drive", 0, -10, 30, 0.1, "dB");
    GetParam(2)->DefineEnum("Mode", 0, {"Saturator", "Exciter"});
    GetParam(3)->DefineDouble("HPF", 3000, 100, 5000, 10, "Hz", 0, "", ShapePowCurve(2));
    GetParam(4)->DefineFrequency("Freq", 1000, 20, 20000, 1);
    MakeDefaultPreset("Default", 1);
    MakePresetFromNamedParams("Hot", 2, 1, 12.0, 2, 1);
  }
};

PluginConfig Config(bool opaque)
{
  PluginConfig c;
  c.nParams = 5;
  c.nPresets = 3;
  c.uniqueID = FourCharCode("Kzqe");
  c.vendorVersion = 0x00010001;
  c.plugDoesChunks = opaque;
  c.plugHasUI = true;
  return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1) return 0;
  const uint8_t selector = data[0];
  ++data;
  --size;
  FuzzPlugin plug(Config((selector & 0x10) != 0));

  switch (selector & 0x03)
  {
  case 0:
  case 1:
  {
    ByteChunk chunk;
    chunk.PutBytes(data, static_cast<int>(size));
    // Start positions around the interesting boundaries, and beyond the end.
    const int start = static_cast<int>((selector >> 5) & 0x07) - 1;
    if ((selector & 0x03) == 0)
      plug.UnserializeParams(chunk, start);
    else
      plug.UnserializePresets(chunk, start);
    break;
  }
  case 2:
    plug.LoadPresetFileData(data, size);
    break;
  case 3:
    plug.LoadBankFileData(data, size);
    break;
  }
  // The plug-in must still be usable and consistent afterwards.
  ByteChunk state;
  plug.SaveState(state);
  plug.SerializePresets(state);
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam* p = plug.GetParam(i);
    if (!(p->Value() >= p->GetMin() && p->Value() <= p->GetMax())) __builtin_trap();
  }
  return 0;
}

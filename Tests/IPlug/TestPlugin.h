// A small plug-in on the API base that records the hooks it receives.
#pragma once

#include "IPlugAPIBase.h"

#include <string>
#include <vector>

namespace iplug_test
{

using namespace iplug;

inline PluginConfig MakeConfig(int nParams, int nPresets, bool opaque = false, bool hasUI = true)
{
  PluginConfig c;
  c.nParams = nParams;
  c.nPresets = nPresets;
  c.channelIOStr = "1-1 2-2";
  c.pluginName = "Test";
  c.productName = "Test";
  c.mfrName = "Maker";
  c.vendorVersion = 0x00010001;
  c.uniqueID = FourCharCode("Tst1");
  c.mfrID = FourCharCode("Mkr1");
  c.plugDoesChunks = opaque;
  c.plugHasUI = hasUI;
  c.plugWidth = 580;
  c.plugHeight = 250;
  c.plugMinWidth = 1160;
  c.plugMaxWidth = 290;
  c.plugMinHeight = 125;
  c.plugMaxHeight = 500;
  return c;
}

struct Call
{
  std::string what;
  int idx;
  int source;
  double value;
  bool operator==(const Call& o) const
  {
    return what == o.what && idx == o.idx && source == o.source && value == o.value;
  }
};

class TestPlugin : public IPlugAPIBase
{
public:
  explicit TestPlugin(const PluginConfig& c) : IPlugAPIBase(c, kAPIAAX) {}

  void OnParamChange(int idx, int source, int sampleOffset) override
  {
    mCalls.push_back({"change", idx, source, static_cast<double>(sampleOffset)});
    IPlugAPIBase::OnParamChange(idx, source, sampleOffset);
  }
  void OnParamChange(int idx) override { mCalls.push_back({"plugchange", idx, -1, 0}); }
  void OnParamChangeUI(int idx, int source) override { mCalls.push_back({"ui", idx, source, 0}); }
  void OnIdle() override { ++mIdles; }
  void BeginHostGesture(int idx) override { mCalls.push_back({"begin", idx, -1, 0}); }
  void EndHostGesture(int idx) override { mCalls.push_back({"end", idx, -1, 0}); }
  void SendValueToHost(int idx, double v) override { mCalls.push_back({"send", idx, -1, v}); }
  void PresetRecalled() override { ++mRecalls; }
  void PresetFileLoaded() override { ++mFileLoads; }
  void HostIdentified() override { ++mHostIdentified; }
  void EditorMidiMessage(const MidiMessage& m) override { mMidi.push_back(m); }
  void EditorSysExMessage(const SysExRecord& r) override { mSysExSizes.push_back(r.mSize); }
  bool EditorMessage(int msgTag, int ctrlTag, int, const void*) override
  {
    mCalls.push_back({"msg", ctrlTag, msgTag, 0});
    return true;
  }

  int Count(const std::string& what) const
  {
    int n = 0;
    for (auto& c : mCalls) n += c.what == what;
    return n;
  }

  std::vector<Call> mCalls;
  std::vector<MidiMessage> mMidi;
  std::vector<int> mSysExSizes;
  int mIdles = 0;
  int mRecalls = 0;
  int mFileLoads = 0;
  int mHostIdentified = 0;
};

// Nine continuous parameters 0..10 (step 0.5), one enum and one bool at the end
// when asked for.
inline void DefineDoubles(TestPlugin& p, int n)
{
  for (int i = 0; i < n; ++i) p.GetParam(i)->DefineDouble("d", 0, 0, 10, 0.5);
}

} // namespace iplug_test

#include "TestPlugin.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace iplug;
using namespace iplug_test;

TEST(APIBase, HostCodes)
{
  struct
  {
    const char* name;
    int code;
  } cases[] = {{"Pro Tools", 0},
               {"ProTools", 2},
               {"Ableton Live 11", 9},
               {"WaveLab Elements 12", 32},
               {"WaveLab 11", 31},
               {"Mixbus32C", 45},
               {"Mixbus", 46},
               {"REAPER", 1},
               {"Bitwig Studio", 34},
               {"Blue Cat's VST Host", 44},
               {"", 0},
               {"Standalone", 24},
               {"Logic Pro", 21},
               {"Digital Performer", 23}};
  for (auto& c : cases) EXPECT_EQ(IPlugAPIBase::FindHostCode(c.name), c.code) << c.name;
  EXPECT_EQ(IPlugAPIBase::FindHostCode(nullptr), 0);
  std::string longName(1000, 'x');
  longName += "reaper"; // beyond the 255 characters that are looked at
  EXPECT_EQ(IPlugAPIBase::FindHostCode(longName.c_str()), 0);

  TestPlugin p(MakeConfig(1, 0));
  EXPECT_EQ(p.GetHostCode(), -1);
  p.SetHost("ProTools", 0x00020304);
  EXPECT_EQ(p.GetHostCode(), 2);
  EXPECT_EQ(p.GetHostVersionText(), "v2.3.4");
  EXPECT_EQ(p.mHostIdentified, 1);
}

TEST(APIBase, VersionAndBuildTexts)
{
  TestPlugin p(MakeConfig(1, 0));
  EXPECT_EQ(p.GetPluginVersionText(), "v1.0.1");
  EXPECT_EQ(p.GetPluginVersionDecimal(), 1010);
  EXPECT_STREQ(p.GetAPIName(), "AAX");
  EXPECT_EQ(p.BuildInfoText("Jan  1 2024", "12:34:56"),
            "v1.0.1 AAX (x86-64), built on Jan  1 2024 at 12:34 ");
  const char* names[] = {"VST2", "VST3", "AU", "AUv3", "AAX", "APP", "WAM", "WEB", "", ""};
  for (int i = 0; i < 10; ++i) EXPECT_STREQ(ApiName(i == 9 ? -1 : i), names[i]);
}

TEST(APIBase, ConfigIsCopied)
{
  TestPlugin p(MakeConfig(2, 0));
  EXPECT_EQ(p.GetEditorWidth(), 580);
  EXPECT_EQ(p.GetEditorHeight(), 250);
  EXPECT_EQ(p.GetMinWidth(), 290);
  EXPECT_EQ(p.GetMaxWidth(), 1160);
  EXPECT_EQ(p.GetMinHeight(), 125);
  EXPECT_EQ(p.GetMaxHeight(), 500);
  EXPECT_EQ(p.GetUniqueID(), FourCharCode("Tst1"));
  EXPECT_STREQ(p.GetMfrName(), "Maker");
}

TEST(APIBase, StateMatches)
{
  TestPlugin p(MakeConfig(2, 0));
  DefineDoubles(p, 2);
  p.GetParam(0)->SetValue(1.5);
  p.GetParam(1)->SetValue(2.0);
  double data[4] = {9, 1.5 + 1e-12, 2.0, 9};
  EXPECT_TRUE(p.StateMatches(data, sizeof(data), 1));
  EXPECT_FALSE(p.StateMatches(data, sizeof(data), 0));
  EXPECT_FALSE(p.StateMatches(data, sizeof(data), 3)) << "too few doubles";
  EXPECT_FALSE(p.StateMatches(data, 16, 1));
  EXPECT_FALSE(p.StateMatches(nullptr, 0, 0));
}

TEST(APIBase, ImportantParams)
{
  TestPlugin p(MakeConfig(3, 0));
  std::vector<int> out;
  p.ImportantParams(3, out);
  EXPECT_TRUE(out.empty());
  p.ImportantParams(2, out);
  EXPECT_EQ(out, (std::vector<int>{0, 1}));
  EXPECT_TRUE(p.AcceptsViewSize(0, 0));
  EXPECT_FALSE(p.AcceptsViewSize(10, 10));
}

TEST(APIBase, EditorEditReachesHostAndHooks)
{
  TestPlugin p(MakeConfig(2, 0));
  DefineDoubles(p, 2);
  p.BeginParamGesture(1);
  p.ParamValueFromEditor(1, 0.25);
  p.EndParamGesture(1);
  EXPECT_EQ(p.GetParam(1)->Value(), 2.5);
  std::vector<Call> expected = {{"begin", 1, -1, 0},      {"send", 1, -1, 0.25}, {"change", 1, kUI, -1},
                                {"plugchange", 1, -1, 0}, {"ui", 1, kUI, 0},     {"end", 1, -1, 0}};
  EXPECT_EQ(p.mCalls, expected);
  p.mCalls.clear();
  p.ParamValueFromEditor(7, 0.5); // no such parameter: nothing
  EXPECT_TRUE(p.mCalls.empty());

  p.InformHostOfAllParams();
  EXPECT_EQ(p.Count("send"), 2);
  EXPECT_FALSE(p.ResizeFromEditor(10, 10, true));
  EXPECT_TRUE(p.ResizeFromEditor(10, 10, false));
}

TEST(APIBase, ParamsToEditorQueueKeepsFirst512)
{
  TestPlugin p(MakeConfig(1, 0));
  p.GetParam(0)->DefineDouble("d", 0, 0, 1000, 1);
  for (int i = 0; i < 513; ++i) p.QueueParamForEditor(0, i, false);
  EXPECT_EQ(p.ParamsToEditorQueue().ElementsAvailable(), 512);
  p.QueueParamForEditor(0, 0.5, true); // dropped too
  p.mCalls.clear();
  p.TimerTick();
  ASSERT_EQ(p.Count("ui"), 512);
  EXPECT_EQ(p.mIdles, 1);
  EXPECT_EQ(p.ParamsToEditorQueue().ElementsAvailable(), 0);
  // normalised values are converted on the way in
  p.QueueParamForEditor(0, 0.5, true);
  ParamChange c;
  ASSERT_TRUE(p.ParamsToEditorQueue().Pop(c));
  EXPECT_EQ(c.mValue, 500.0);
}

TEST(APIBase, TimerTickMovesMidiAndSysEx)
{
  TestPlugin p(MakeConfig(1, 0));
  MidiMessage m;
  m.mStatus = 0x90;
  for (int i = 0; i < 40; ++i) p.MidiToEditorQueue().Push(m);
  SysExRecord r;
  r.mSize = 3;
  for (int i = 0; i < 6; ++i) p.SysExToEditorQueue().Push(r);
  p.TimerTick();
  EXPECT_EQ(p.mMidi.size(), 32u);
  EXPECT_EQ(p.mSysExSizes, (std::vector<int>{3, 3, 3, 3}));
}

TEST(APIBase, WithoutEditorTheTickOnlyIdles)
{
  TestPlugin p(MakeConfig(1, 0, false, false));
  p.QueueParamForEditor(0, 1, false);
  p.MidiToEditorQueue().Push(MidiMessage{});
  p.TimerTick();
  p.TimerTick();
  EXPECT_EQ(p.mIdles, 2);
  EXPECT_EQ(p.ParamsToEditorQueue().ElementsAvailable(), 1);
  EXPECT_EQ(p.MidiToEditorQueue().ElementsAvailable(), 1);
  EXPECT_EQ(p.Count("ui"), 0);
}

TEST(APIBase, EditorMidiAndSysExAreDeferred)
{
  TestPlugin p(MakeConfig(1, 0));
  MidiMessage m;
  m.mData1 = 60;
  p.MidiFromEditor(m);
  MidiMessage out;
  ASSERT_TRUE(p.MidiFromEditorQueue().Pop(out));
  EXPECT_EQ(out.mData1, 60);

  const uint8_t bytes[3] = {0xF0, 0x01, 0xF7};
  p.DeferSysExMessage(5, 3, bytes);
  p.DeferSysExMessage(6, 100000, nullptr); // clamped, zeros
  SysExRecord rec;
  rec.mSize = -7;
  p.SysExFromEditor(rec);
  SysExRecord a, b, c;
  ASSERT_TRUE(p.SysExFromEditorQueue().Pop(a));
  ASSERT_TRUE(p.SysExFromEditorQueue().Pop(b));
  ASSERT_TRUE(p.SysExFromEditorQueue().Pop(c));
  EXPECT_EQ(a.mOffset, 5);
  EXPECT_EQ(a.mSize, 3);
  EXPECT_EQ(a.mData[2], 0xF7);
  EXPECT_EQ(b.mSize, SysExRecord::kMaxSize);
  EXPECT_EQ(b.mData[0], 0);
  EXPECT_EQ(c.mSize, 0);

  p.MessageFromEditor(3, 4, 0, nullptr);
  EXPECT_EQ(p.mCalls.back(), (Call{"msg", 4, 3, 0}));
}

TEST(APIBase, ParamListOperations)
{
  TestPlugin p(MakeConfig(6, 0));
  p.DefineParamRange(0, 2, 1, "Osc%d Gain", 1, 0, 10, 1, "dB", 0, "A");
  EXPECT_STREQ(p.GetParam(2)->GetName(), "Osc3 Gain");
  p.CloneParams(0, 2, 3, "Osc", "Lfo", "B");
  EXPECT_STREQ(p.GetParam(3)->GetName(), "Lfo1 Gain");
  EXPECT_STREQ(p.GetParam(5)->GetGroup(), "B");

  int n = 0;
  p.ForEachParamInGroup("A", [&](int, IParam& prm) { prm.SetValue(++n); });
  p.CopyParamValues("A", "B");
  EXPECT_EQ(p.GetParam(5)->Value(), 3.0);
  p.ResetParamsToDefault("B");
  EXPECT_EQ(p.GetParam(5)->Value(), 1.0);
  p.CopyParamValues(0, 4, 5); // stops at the end of the list
  EXPECT_EQ(p.GetParam(4)->Value(), 1.0);
  EXPECT_EQ(p.GetParam(5)->Value(), 2.0);
  int visited = 0;
  p.ForEachParamInRange(-3, 100, [&](int, IParam&) { ++visited; });
  EXPECT_EQ(visited, 6);

  std::srand(1);
  p.RandomizeParams();
  for (int i = 0; i < 6; ++i)
  {
    double v = p.GetParam(i)->Value();
    EXPECT_TRUE(v >= 0 && v <= 10);
  }
  p.ResetParamsToDefault();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p.GetParam(i)->Value(), 1.0);
}

#include "TestPlugin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace iplug;
using namespace iplug_test;

namespace
{

// Parameter 0 enum (3 values), 1 bool, 2..n-1 doubles 0..10 step 0.5.
void DefineMixed(TestPlugin& p)
{
  p.GetParam(0)->DefineEnum("Mode", 0, 3, "", 0, "", "a", "b", "c");
  p.GetParam(1)->DefineBool("Solo", false);
  for (int i = 2; i < p.NParams(); ++i) p.GetParam(i)->DefineDouble("d", 1.5, 0, 10, 0.5);
}

std::vector<double> Doubles(const ByteChunk& c)
{
  std::vector<double> v;
  double d;
  for (int pos = 0; (pos = c.GetValue(d, pos)) >= 0;) v.push_back(d);
  return v;
}

std::string ReadText(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string TempPath(const char* name)
{
  return ::testing::TempDir() + name;
}

} // namespace

TEST(Presets, SlotsStartEmpty)
{
  TestPlugin p(MakeConfig(3, 4));
  EXPECT_EQ(p.PresetCount(), 4);
  EXPECT_STREQ(p.PresetName(0), "empty");
  EXPECT_STREQ(p.PresetName(4), "");
  EXPECT_STREQ(p.PresetName(-1), "");
  EXPECT_FALSE(p.PresetIsInitialized(0));
}

TEST(Presets, FifteenSlotsThenNothing)
{
  TestPlugin p(MakeConfig(4, 15));
  DefineMixed(p);
  p.MakeDefaultPreset("Default", 1);
  for (int i = 0; i < 14; ++i) p.MakePresetFromNamedParams("Named", 1, 2, 3.0);
  for (int i = 0; i < 15; ++i) EXPECT_TRUE(p.PresetIsInitialized(i));
  ByteChunk before;
  p.SerializePresets(before);
  p.MakePreset("16th", 1, 1, 2.0, 3.0);
  p.MakePresetFromNamedParams("16th", 0);
  p.MakeDefaultPreset("16th", 3);
  ByteChunk after;
  p.SerializePresets(after);
  EXPECT_TRUE(before.IsEqual(after));
}

TEST(Presets, MakePresetVariants)
{
  TestPlugin p(MakeConfig(4, 8));
  DefineMixed(p);
  p.MakePreset("Plain", 2, 1, 2.5, 7.0);
  p.MakePreset("Short", 1); // missing values take the current ones
  p.MakePresetFromNamedParams("Named", 2, 0, 2, 3, 4.5);
  p.MakePresetFromNamedParams("None", 0);
  p.MakePresetFromNamedParams("Twice", 2, 3, 1.0, 3, 2.0); // a later pair wins
  p.MakePresetFromNamedParams("Marker", 1, 3, 9.999e-08);  // the marker counts as unnamed
  p.MakePresetFromNamedParams("BadIdx", 2, 99, 1.0, -1, 1.0);
  p.MakeDefaultPreset(nullptr, 1);

  struct
  {
    int slot;
    std::vector<double> values;
  } cases[] = {{0, {2, 1, 2.5, 7}},   {1, {1, 0, 1.5, 1.5}}, {2, {2, 0, 1.5, 4.5}}, {3, {0, 0, 1.5, 1.5}},
               {4, {0, 0, 1.5, 2.0}}, {5, {0, 0, 1.5, 1.5}}, {6, {0, 0, 1.5, 1.5}}, {7, {0, 0, 1.5, 1.5}}};
  for (auto& c : cases) EXPECT_EQ(Doubles(*p.PresetChunk(c.slot)), c.values) << p.PresetName(c.slot);
  EXPECT_STREQ(p.PresetName(7), "Empty");
}

TEST(Presets, ChunkAndBlob)
{
  TestPlugin p(MakeConfig(2, 3));
  DefineDoubles(p, 2);
  ByteChunk c;
  c.PutValue(1.0);
  c.PutValue(2.0);
  p.MakePresetFromChunk("FromChunk", c);
  // 1.0 and 2.0 as little-endian doubles, Base64.
  p.MakePresetFromBlob("FromBlob", "AAAAAAAA8D8AAAAAAAAAQA==", 16);
  p.MakePresetFromBlob("ShortBlob", "AAAAAAAA8D8", 16); // zero-filled where the text ends
  EXPECT_EQ(Doubles(*p.PresetChunk(0)), (std::vector<double>{1, 2}));
  EXPECT_EQ(Doubles(*p.PresetChunk(1)), (std::vector<double>{1, 2}));
  EXPECT_EQ(Doubles(*p.PresetChunk(2)), (std::vector<double>{1, 0}));

  // The blob dump writes the Base64 text back.
  ASSERT_TRUE(p.RecallPreset(1));
  std::string path = TempPath("blob.txt");
  std::remove(path.c_str());
  p.WritePresetBlobSource(path.c_str());
  EXPECT_EQ(ReadText(path), "MakePresetFromBlob(\"FromBlob\", \"AAAAAAAA8D8AAAAAAAAAQA==\", 16);\n");
}

TEST(Presets, RecallByIndexAndName)
{
  TestPlugin p(MakeConfig(3, 5));
  DefineDoubles(p, 3);
  p.MakePreset("A", 1.0, 2.0, 3.0);
  p.MakePreset("B", 4.0, 5.0, 6.0);
  p.MakePreset("b", 7.0, 8.0, 9.0);
  p.MakePreset("B", 9.5, 9.5, 9.5);

  EXPECT_FALSE(p.RecallPreset(5));
  EXPECT_FALSE(p.RecallPreset(-1));
  EXPECT_FALSE(p.RecallPreset(nullptr));
  EXPECT_FALSE(p.RecallPreset(""));
  EXPECT_FALSE(p.RecallPreset("C"));
  EXPECT_EQ(p.mRecalls, 0);

  p.mCalls.clear();
  EXPECT_TRUE(p.RecallPreset("B"));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 1) << "lowest index among equal names";
  EXPECT_EQ(p.GetParam(0)->Value(), 4.0);
  EXPECT_EQ(p.mRecalls, 1);
  // LoadState runs both hooks per parameter, StateRestored refreshes every control once more.
  EXPECT_EQ(p.Count("change"), 3);
  EXPECT_EQ(p.Count("ui"), 6);

  EXPECT_TRUE(p.RecallPreset("b"));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(p.GetParam(0)->Value(), 7.0);
}

TEST(Presets, RecallingAnEmptySlotMakesAUserPreset)
{
  TestPlugin p(MakeConfig(2, 4));
  DefineDoubles(p, 2);
  p.MakePreset("user preset 1", 1.0, 1.0);
  p.MakePreset("my user preset", 2.0, 2.0);
  p.GetParam(0)->SetValue(3.0);
  EXPECT_TRUE(p.RecallPreset(3));
  EXPECT_STREQ(p.PresetName(3), "user preset 3");
  EXPECT_EQ(Doubles(*p.PresetChunk(3)), (std::vector<double>{3, 0}));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 3);
}

TEST(Presets, UnreadableSlotLeavesCurrentIndex)
{
  TestPlugin p(MakeConfig(2, 2));
  DefineDoubles(p, 2);
  ByteChunk shortState;
  shortState.PutValue(1.0);
  p.MakePreset("ok", 1.0, 1.0);
  p.MakePresetFromChunk("broken", shortState);
  EXPECT_FALSE(p.RecallPreset(1));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 0);
}

TEST(Presets, ModifyAndDrop)
{
  TestPlugin p(MakeConfig(2, 4));
  DefineDoubles(p, 2);
  p.MakePreset("A", 1.0, 1.0);
  p.MakePreset("B", 2.0, 2.0);
  ASSERT_TRUE(p.RecallPreset(1));
  p.GetParam(0)->SetValue(5.0);
  p.ModifyCurrentPreset();
  EXPECT_STREQ(p.PresetName(1), "B");
  EXPECT_EQ(Doubles(*p.PresetChunk(1)), (std::vector<double>{5, 2}));
  p.ModifyCurrentPreset("Renamed");
  EXPECT_STREQ(p.PresetName(1), "Renamed");
  p.DropUninitializedPresets();
  EXPECT_EQ(p.PresetCount(), 2);
  EXPECT_STREQ(p.PresetName(0), "A");
}

TEST(Presets, SerializedSizesAndRoundTrip)
{
  TestPlugin p(MakeConfig(9, 2));
  DefineDoubles(p, 9);
  p.MakePreset("Warm", 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0);
  ByteChunk c;
  EXPECT_TRUE(p.SerializePresets(c));
  EXPECT_EQ(c.Size(), 81 + 10);

  TestPlugin q(MakeConfig(9, 2));
  DefineDoubles(q, 9);
  EXPECT_EQ(q.UnserializePresets(c, 0), 91);
  EXPECT_STREQ(q.PresetName(0), "Warm");
  EXPECT_STREQ(q.PresetName(1), "empty");
  EXPECT_FALSE(q.PresetIsInitialized(1));
  EXPECT_EQ(q.GetParam(8)->Value(), 9.0) << "slot 0 is current and was recalled";
  EXPECT_TRUE(q.PresetChunk(0)->IsEqual(*p.PresetChunk(0)));
}

TEST(Presets, UnserializeRejectsDamagedData)
{
  TestPlugin p(MakeConfig(2, 2));
  DefineDoubles(p, 2);
  p.MakePreset("A", 1.0, 2.0);
  p.MakePreset("B", 3.0, 4.0);
  ByteChunk good;
  p.SerializePresets(good);
  for (int cut = 0; cut < good.Size(); ++cut)
  {
    ByteChunk c;
    c.PutBytes(good.Data(), cut);
    TestPlugin q(MakeConfig(2, 2));
    DefineDoubles(q, 2);
    EXPECT_EQ(q.UnserializePresets(c, 0), -1) << cut;
  }
  ByteChunk hugeName;
  hugeName.PutValue(int32_t(0x7FFFFFF0));
  hugeName.PutBytes("xx", 2);
  EXPECT_EQ(p.UnserializePresets(hugeName, 0), -1);
  EXPECT_STREQ(p.PresetName(0), "A");
}

TEST(Presets, SourceDumps)
{
  TestPlugin p(MakeConfig(3, 1));
  p.GetParam(0)->DefineBool("b", false);
  p.GetParam(1)->DefineEnum("e", 2, 3);
  p.GetParam(2)->DefineDouble("d", 0.25, 0, 1, 0.25);
  p.GetParam(0)->SetValue(0.5); // snaps to 1
  p.MakeDefaultPreset("Cur", 1);
  std::string path = TempPath("dump.txt");
  std::remove(path.c_str());
  p.WritePresetSource(path.c_str());
  const char* ids[] = {"kB", "kE", "kD"};
  p.WriteNamedPresetSource(path.c_str(), ids);
  EXPECT_EQ(ReadText(path),
            "MakePreset(\"Cur\", true, 2, 0.250000);\n"
            "  MakePresetFromNamedParams(\"Cur\", 3,\n    kB, true,\n    kE, 2,\n    kD, 0.250000);\n");
  p.WritePresetSource("/nonexistent-dir/x.txt"); // silently nothing
}

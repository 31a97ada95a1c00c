#include "IPlugByteChunk.h"
#include "TestPlugin.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>

using namespace iplug;
using namespace iplug_test;

TEST(ByteChunk, ValueReadsAtEveryBoundary)
{
  ByteChunk c;
  EXPECT_EQ(c.PutValue(1.0), 8);
  EXPECT_EQ(c.PutValue(int32_t(7)), 12);
  const uint8_t one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(std::memcmp(c.Data(), one, 8), 0);

  struct
  {
    int pos;
    int result;
  } cases[] = {{0, 8}, {4, 12}, {5, -1}, {12, -1}, {-1, -1}, {INT_MIN, -1}, {INT_MAX, -1}, {INT_MAX - 4, -1}};
  for (auto& k : cases)
  {
    double d = 42.0;
    int32_t i = 0;
    EXPECT_EQ(c.GetValue(d, k.pos), k.result) << k.pos;
    if (k.result < 0)
    {
      EXPECT_EQ(d, 42.0) << "a failed read leaves the output alone";
    }
    EXPECT_EQ(c.GetValue(i, k.pos), k.pos >= 0 && k.pos <= 8 ? k.pos + 4 : -1) << k.pos;
  }
}

TEST(ByteChunk, Strings)
{
  ByteChunk c;
  EXPECT_EQ(c.PutString(""), 4);
  EXPECT_EQ(c.PutString("abc"), 11);
  std::string s = "x";
  EXPECT_EQ(c.GetString(s, 0), 4);
  EXPECT_EQ(s, "");
  EXPECT_EQ(c.GetString(s, 4), 11);
  EXPECT_EQ(s, "abc");
  EXPECT_EQ(c.GetString(s, 11), -1);
  EXPECT_EQ(c.GetString(s, 9), -1);

  // A stored length of 10 with only 6 bytes left.
  ByteChunk t;
  t.PutValue(int32_t(10));
  t.PutBytes("abcdef", 6);
  s = "keep";
  int pos = t.GetString(s, 0);
  EXPECT_EQ(pos, 14);
  EXPECT_EQ(s, "keep");
  double d;
  EXPECT_EQ(t.GetValue(d, pos), -1);

  // Negative and huge lengths are corrupt data: no allocation, no read, -1.
  for (int32_t len : {-1, INT_MIN, INT_MAX, INT_MAX - 2})
  {
    ByteChunk b;
    b.PutValue(len);
    b.PutBytes("ab", 2);
    s = "keep";
    int r = b.GetString(s, 0);
    EXPECT_TRUE(r == -1 || r > b.Size()) << len;
    EXPECT_EQ(s, "keep");
  }
}

TEST(ByteChunk, VersionHeader)
{
  ByteChunk c;
  PutVersionHeader(c);
  const uint8_t bytes[8] = {'t', 'f', 'f', 'p', 0, 0, 1, 0};
  ASSERT_EQ(c.Size(), 8);
  EXPECT_EQ(std::memcmp(c.Data(), bytes, 8), 0);
  int32_t v = -1;
  EXPECT_EQ(GetVersionHeader(c, 0, v), 8);
  EXPECT_EQ(v, 0x00010000);
  EXPECT_EQ(GetVersionHeader(c, 4, v), 4);
  EXPECT_EQ(v, 0);
  ByteChunk shortOne;
  shortOne.PutValue(kVersionHeaderMagic);
  EXPECT_EQ(GetVersionHeader(shortOne, 0, v), 0);
}

TEST(ByteChunk, ParamSourceTexts)
{
  const char* texts[] = {"Reset", "Host", "Preset", "UI", "Editor Delegate", "Recompile", "Unknown"};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(ParamSourceText(i), texts[i]);
  EXPECT_STREQ(ParamSourceText(99), "Unknown");
  EXPECT_STREQ(ParamSourceText(-1), "Unknown");
}

class StateTest : public ::testing::Test
{
protected:
  StateTest() : plug(MakeConfig(9, 0)) { DefineDoubles(plug, 9); }
  TestPlugin plug;
};

TEST_F(StateTest, SerializeWritesRawDoubles)
{
  plug.GetParam(0)->SetValue(1.0);
  ByteChunk c;
  EXPECT_TRUE(plug.SaveState(c));
  ASSERT_EQ(c.Size(), 72);
  const uint8_t one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(std::memcmp(c.Data(), one, 8), 0);
}

TEST_F(StateTest, UnserializeFromEveryStart)
{
  ByteChunk c;
  for (int i = 0; i < 9; ++i) c.PutValue(double(i + 1));
  struct
  {
    int start;
    int result;
  } cases[] = {{0, 72}, {8, -1}, {72, -1}, {-5, -1}, {1000, -1}};
  for (auto& k : cases)
  {
    for (int i = 0; i < 9; ++i) plug.GetParam(i)->SetValue(9.5);
    plug.mCalls.clear();
    EXPECT_EQ(plug.LoadState(c, k.start), k.result) << k.start;
    if (k.start == 8)
    {
      for (int i = 0; i < 8; ++i) EXPECT_EQ(plug.GetParam(i)->Value(), i + 2);
      EXPECT_EQ(plug.GetParam(8)->Value(), 0.0);
    }
    if (k.start >= 72)
    {
      EXPECT_EQ(plug.GetParam(0)->Value(), 0.0) << "first parameter gets its clamped 0";
      EXPECT_EQ(plug.GetParam(1)->Value(), 9.5) << "later ones keep their values";
    }
    if (k.start < 0)
    {
      EXPECT_EQ(plug.GetParam(0)->Value(), 9.5) << "nothing read at a negative position";
    }
    EXPECT_EQ(plug.Count("change"), 9);
    EXPECT_EQ(plug.Count("ui"), 9);
    EXPECT_EQ(plug.mCalls[0], (Call{"change", 0, kPresetRecall, -1}));
  }
}

TEST_F(StateTest, LoadClampsAndSnaps)
{
  plug.GetParam(1)->DefineEnum("e", 0, 3);
  ByteChunk c;
  c.PutValue(99.0);
  c.PutValue(1.6);
  c.PutValue(double(NAN));
  for (int i = 3; i < 10; ++i) c.PutValue(1.0);
  EXPECT_EQ(plug.LoadState(c, 0), 72);
  EXPECT_EQ(plug.GetParam(0)->Value(), 10.0);
  EXPECT_EQ(plug.GetParam(1)->Value(), 2.0);
  EXPECT_EQ(plug.GetParam(2)->Value(), 0.0);
}

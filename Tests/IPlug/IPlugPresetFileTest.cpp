#include "TestPlugin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

using namespace iplug;
using namespace iplug_test;

namespace
{

uint32_t BE32(const std::vector<uint8_t>& d, size_t at)
{
  return (uint32_t(d[at]) << 24) | (uint32_t(d[at + 1]) << 16) | (uint32_t(d[at + 2]) << 8) | d[at + 3];
}

void PutBE32(std::vector<uint8_t>& d, size_t at, uint32_t v)
{
  d[at] = uint8_t(v >> 24);
  d[at + 1] = uint8_t(v >> 16);
  d[at + 2] = uint8_t(v >> 8);
  d[at + 3] = uint8_t(v);
}

// Stepped, so values that travel as normalised floats come back exactly.
void Define(TestPlugin& p)
{
  p.GetParam(0)->DefineDouble("a", 0, 0, 10, 0.5, "", kFlagStepped);
  p.GetParam(1)->DefineEnum("m", 0, 4);
  p.GetParam(2)->DefineDouble("c", 0, -10, 10, 0.25, "", kFlagStepped);
}

struct Plug
{
  explicit Plug(bool opaque) : p(MakeConfig(3, 3, opaque))
  {
    Define(p);
    p.MakePreset("One", 1.0, 1, -1.0);
    p.MakePreset("Two", 2.0, 2, -2.0);
    p.MakePreset("Three", 3.0, 3, -3.0);
  }
  TestPlugin p;
};

} // namespace

class PresetFileTest : public ::testing::TestWithParam<bool>
{
};

TEST_P(PresetFileTest, ProgramWrittenThenRead)
{
  const bool opaque = GetParam();
  Plug a(opaque);
  ASSERT_TRUE(a.p.RecallPreset(1));
  a.p.GetParam(0)->SetValue(7.5);
  std::string path = ::testing::TempDir() + (opaque ? "p_opaque.fxp" : "p_plain.fxp");
  ASSERT_TRUE(a.p.SavePresetFile(path.c_str()));

  std::vector<uint8_t> d;
  ASSERT_TRUE(a.p.MakePresetFileData(d));
  EXPECT_EQ(BE32(d, 0), uint32_t(FourCharCode("CcnK")));
  EXPECT_EQ(BE32(d, 8), uint32_t(FourCharCode(opaque ? "FPCh" : "FxCk")));
  EXPECT_EQ(BE32(d, 12), 1u);
  EXPECT_EQ(BE32(d, 16), uint32_t(FourCharCode("Tst1")));
  EXPECT_EQ(BE32(d, 20), 1010u);
  EXPECT_EQ(BE32(d, 24), 3u);
  EXPECT_STREQ(reinterpret_cast<const char*>(&d[28]), "Two");
  if (opaque)
  {
    EXPECT_EQ(BE32(d, 4), BE32(d, 56) + 60);
    EXPECT_EQ(BE32(d, 56), 8u + 24u);
    EXPECT_EQ(d.size(), 60u + 32u);
    EXPECT_EQ(std::memcmp(&d[60], "tffp", 4), 0);
  }
  else
  {
    EXPECT_EQ(BE32(d, 4), 0u);
    ASSERT_EQ(d.size(), 56u + 12u);
    float f;
    uint32_t bits = BE32(d, 56);
    std::memcpy(&f, &bits, 4);
    EXPECT_EQ(f, 0.75f);
  }

  Plug b(opaque);
  ASSERT_TRUE(b.p.RecallPreset(2));
  ASSERT_TRUE(b.p.LoadPresetFile(path.c_str()));
  EXPECT_EQ(b.p.GetParam(0)->Value(), 7.5);
  EXPECT_EQ(b.p.GetParam(1)->Value(), 2.0);
  EXPECT_EQ(b.p.GetParam(2)->Value(), -2.0);
  EXPECT_STREQ(b.p.PresetName(2), "Two") << "stored into the current slot under the file's name";
  EXPECT_EQ(b.p.mFileLoads, 1);
}

TEST_P(PresetFileTest, BankWrittenThenRead)
{
  const bool opaque = GetParam();
  Plug a(opaque);
  ASSERT_TRUE(a.p.RecallPreset(2));
  std::string path = ::testing::TempDir() + (opaque ? "b_opaque.fxb" : "b_plain.fxb");
  ASSERT_TRUE(a.p.SaveBankFile(path.c_str()));
  std::vector<uint8_t> d;
  ASSERT_TRUE(a.p.MakeBankFileData(d));
  EXPECT_EQ(BE32(d, 8), uint32_t(FourCharCode(opaque ? "FBCh" : "FxBk")));
  EXPECT_EQ(BE32(d, 12), 2u);
  EXPECT_EQ(BE32(d, 24), 3u);
  EXPECT_EQ(BE32(d, 28), 2u);
  if (opaque)
  {
    EXPECT_EQ(BE32(d, 4), BE32(d, 156) + 160);
  }
  else
  {
    EXPECT_EQ(d.size(), 156u + 3u * (56u + 12u));
  }

  TestPlugin b(MakeConfig(3, 3, opaque));
  Define(b);
  ASSERT_TRUE(b.LoadBankFile(path.c_str()));
  EXPECT_EQ(b.mFileLoads, 1);
  const char* names[] = {"One", "Two", "Three"};
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_STREQ(b.PresetName(i), names[i]);
    EXPECT_TRUE(b.PresetChunk(i)->IsEqual(*a.p.PresetChunk(i))) << i;
  }
  if (!opaque)
  {
    EXPECT_EQ(b.GetCurrentPresetIdx(), 2) << "the bank's current program is recalled";
  }
  EXPECT_EQ(b.GetParam(0)->Value(), opaque ? 1.0 : 3.0);
}

TEST_P(PresetFileTest, DamagedFilesAreRejected)
{
  const bool opaque = GetParam();
  Plug a(opaque);
  std::vector<uint8_t> prog, bank;
  ASSERT_TRUE(a.p.MakePresetFileData(prog));
  ASSERT_TRUE(a.p.MakeBankFileData(bank));

  struct Damage
  {
    const char* what;
    size_t at;
    uint32_t value;
  };
  const Damage progDamage[] = {
      {"chunk magic", 0, 0x43636E4C},
      {"fx magic", 8, uint32_t(FourCharCode(opaque ? "FxCk" : "FPCh"))},
      {"version", 12, 2},
      {"fxID", 16, 0x12345678},
      {opaque ? "data size" : "param count", opaque ? 56u : 24u, opaque ? 0x7FFFFFFFu : 4u},
      {"negative size or count", opaque ? 56u : 24u, 0xFFFFFFFFu}};
  const Damage bankDamage[] = {{"chunk magic", 0, 0},
                               {"fx magic", 8, uint32_t(FourCharCode(opaque ? "FxBk" : "FBCh"))},
                               {"version", 12, 1},
                               {"fxID", 16, 0},
                               {opaque ? "data size" : "program count", opaque ? 156u : 24u, 4u + 0x10000},
                               {opaque ? "negative size" : "record param count", opaque ? 156u : 156u + 24u,
                                opaque ? 0x80000000u : 2u}};

  auto check = [&](const std::vector<uint8_t>& good, const Damage* damage, size_t n, bool isBank)
  {
    for (size_t k = 0; k < n; ++k)
    {
      std::vector<uint8_t> bad = good;
      PutBE32(bad, damage[k].at, damage[k].value);
      Plug b(opaque);
      ByteChunk before;
      b.p.SerializePresets(before);
      bool ok = isBank ? b.p.LoadBankFileData(bad.data(), bad.size())
                       : b.p.LoadPresetFileData(bad.data(), bad.size());
      EXPECT_FALSE(ok) << (isBank ? "bank " : "program ") << damage[k].what;
      ByteChunk after;
      b.p.SerializePresets(after);
      EXPECT_TRUE(before.IsEqual(after)) << "nothing lost: " << damage[k].what;
    }
    for (size_t cut = 0; cut < good.size(); ++cut)
    {
      Plug b(opaque);
      bool ok = isBank ? b.p.LoadBankFileData(good.data(), cut) : b.p.LoadPresetFileData(good.data(), cut);
      EXPECT_FALSE(ok) << (isBank ? "bank" : "program") << " truncated at " << cut;
    }
  };
  check(prog, progDamage, std::size(progDamage), false);
  check(bank, bankDamage, std::size(bankDamage), true);

  EXPECT_FALSE(a.p.LoadPresetFile(""));
  EXPECT_FALSE(a.p.LoadPresetFile(nullptr));
  EXPECT_FALSE(a.p.LoadBankFile("/nonexistent/file.fxb"));
  EXPECT_FALSE(a.p.SavePresetFile(""));
  EXPECT_FALSE(a.p.SaveBankFile("/nonexistent/dir/file.fxb"));
}

INSTANTIATE_TEST_SUITE_P(BothForms, PresetFileTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i)
                         { return i.param ? "Opaque" : "Params"; });

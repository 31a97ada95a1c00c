#include "IPlugParameter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace iplug;

namespace
{
std::string Format(const IParam& p, double v, bool normalised = false, bool texts = true)
{
  std::string s;
  p.FormatValue(v, normalised, s, texts);
  return s;
}
} // namespace

TEST(IParam, FreshParameter)
{
  IParam p;
  EXPECT_EQ(p.Type(), kTypeNone);
  EXPECT_EQ(p.Unit(), kUnitGeneric);
  EXPECT_EQ(p.GetMin(), 0.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.GetStep(), 1.0);
  EXPECT_EQ(p.GetShape().DisplayKind(), 0);
  EXPECT_STREQ(p.GetName(), "");
}

TEST(IParam, SnapAndClamp)
{
  struct
  {
    double in, out;
  } cases[] = {{5, 6}, {11, 10}, {-2, 1}, {4.5, 6}, {4.4, 3}, {NAN, 1}, {1e300, 10}};
  IParam p;
  p.DefineDouble("s", 1, 1, 10, 3, "", kFlagStepped);
  for (auto& c : cases)
  {
    p.SetValue(c.in);
    EXPECT_EQ(p.Value(), c.out) << c.in;
  }
  // Without the Stepped flag there is no snapping, only clamping.
  IParam q;
  q.DefineDouble("c", 0, 0, 10, 3);
  q.SetValue(5);
  EXPECT_EQ(q.Value(), 5);
}

TEST(IParam, MaxRaisedToMinPlusStepAndDefaultStoredUnsnapped)
{
  IParam p;
  p.DefineDouble("z", 0, 0, 0, 0.5);
  EXPECT_EQ(p.GetMax(), 0.5);
  IParam q;
  q.DefineDouble("d", 4.4, 0, 10, 1, "", kFlagStepped);
  EXPECT_EQ(q.GetDefault(), 4.4);
  EXPECT_EQ(q.Value(), 4.0);
  q.SetValue(7);
  q.ResetToDefault();
  EXPECT_EQ(q.Value(), 4.4);
}

TEST(IParam, Precision)
{
  struct
  {
    double step;
    int precision;
  } cases[] = {{1, 0}, {0.1, 1}, {0.25, 2}, {0.001, 3}, {0.0000001, 6}, {10, 0}};
  for (auto& c : cases)
  {
    IParam p;
    p.DefineDouble("p", 0, 0, 100, c.step);
    EXPECT_EQ(p.GetDisplayPrecision(), c.precision) << c.step;
  }
  IParam p;
  p.DefineDouble("p", 0, 0, 10, 0.1);
  EXPECT_EQ(Format(p, 2.26), "2.3");
}

TEST(IParam, NegatedAndSignedDisplay)
{
  struct
  {
    int flags;
    double step, value;
    const char* text;
  } cases[] = {
      {kFlagNegatedDisplay, 1, 0, "0"},
      {kFlagNegatedDisplay, 1, 3, "-3"},
      {kFlagNegatedDisplay, 0.1, 0, "0.0"},
      {kFlagSignedDisplay, 0.1, 2.5, "+2.5"},
      {kFlagSignedDisplay, 0.1, -2.5, "-2.5"},
      {kFlagSignedDisplay, 0.1, 0, "0.0"},
      {kFlagSignedDisplay, 1, 2, "2"},
      {kFlagSignedDisplay, 0.01, 1.5, "+1.50"},
      {0, 1, 2.5, "3"},
      {0, 1, -2.5, "-3"},
  };
  for (auto& c : cases)
  {
    IParam p;
    p.DefineDouble("n", 0, -10, 10, c.step, "", c.flags);
    EXPECT_EQ(Format(p, c.value), c.text) << c.flags << " " << c.value;
  }
}

TEST(IParam, ParseValue)
{
  IParam neg;
  neg.DefineDouble("n", 0, -10, 10, 1, "", kFlagNegatedDisplay);
  IParam gain;
  gain.DefineGain("g", 0, -10, 10, 0.5);
  IParam sw;
  sw.DefineBool("b", false, "", 0, "", "off", "on");
  IParam mode;
  mode.DefineEnum("m", 0, {"Saturator", "Exciter"});
  struct
  {
    const IParam* p;
    const char* text;
    double value;
  } cases[] = {
      {&neg, "3", -3},        {&neg, "  -4.2xyz", 4.2}, {&neg, "abc", 0},     {&neg, "99", -10},
      {&gain, "1.3 dB", 1.3}, {&gain, "", 0},           {&gain, "-1e9", -10}, {&sw, "on", 1},
      {&sw, "off", 0},        {&sw, "On", 0},           {&sw, "1", 0},        {&mode, "Exciter", 1},
      {&mode, "exciter", 0},
  };
  for (auto& c : cases)
    EXPECT_EQ(c.p->ParseValue(c.text), c.value) << c.p->GetName() << " '" << c.text << "'";
  EXPECT_EQ(gain.ParseValue(nullptr), 0.0);
}

TEST(IParam, BoolTextsAndUnitLabel)
{
  IParam p;
  p.DefineBool("Bypass", false, "lbl", 0, "", "Process", "Bypass");
  EXPECT_EQ(p.Type(), kTypeBool);
  EXPECT_TRUE(p.GetStepped());
  EXPECT_EQ(Format(p, 1.0), "Bypass");
  EXPECT_EQ(Format(p, 1.0, false, false), "1");
  EXPECT_EQ(Format(p, 0.0, true), "Process");
  EXPECT_STREQ(p.UnitLabel(), "");
  p.SetValue(1);
  EXPECT_STREQ(p.UnitLabel(), "");
  double v = -1;
  EXPECT_STREQ(p.DisplayTextAt(1, &v), "Bypass");
  EXPECT_EQ(v, 1.0);
  EXPECT_STREQ(p.DisplayTextFor(0.5), "");

  // A label shows when the value has no text; an empty text falls through to the number.
  IParam q;
  q.DefineInt("i", 0, 0, 5, "st");
  q.AddDisplayText(2, "");
  q.AddDisplayText(3, "three");
  q.SetValue(2);
  EXPECT_STREQ(q.UnitLabel(), "st");
  EXPECT_EQ(Format(q, 2), "2");
  q.SetValue(3);
  EXPECT_STREQ(q.UnitLabel(), "");
}

TEST(IParam, OutermostDefineDecidesType)
{
  IParam b, e, i, d, pitch;
  b.DefineBool("b", true);
  e.DefineEnum("e", 1, 3, "", 0, "", "a", "b", "c");
  i.DefineInt("i", 2, 0, 4);
  d.DefineFrequency("f", 1000, 20, 20000, 1);
  pitch.DefinePitch("p", 0, 60, 72);
  EXPECT_EQ(b.Type(), kTypeBool);
  EXPECT_EQ(b.Value(), 1.0);
  EXPECT_EQ(e.Type(), kTypeEnum);
  EXPECT_EQ(e.DisplayTextCount(), 3);
  EXPECT_EQ(e.GetMax(), 2.0);
  EXPECT_EQ(i.Type(), kTypeInt);
  EXPECT_EQ(d.Type(), kTypeDouble);
  EXPECT_EQ(d.Unit(), kUnitFrequency);
  EXPECT_STREQ(d.GetLabel(), "Hz");
  EXPECT_EQ(pitch.Type(), kTypeEnum);
  IParam noTexts;
  noTexts.DefineEnum("e", 0, 4);
  EXPECT_EQ(noTexts.DisplayTextCount(), 0);
}

TEST(IParam, Shapes)
{
  IParam f;
  f.DefineFrequency("f", 1000, 20, 20000, 0.001);
  EXPECT_NEAR(f.GetShape().MapToValue(0.5, f), std::sqrt(20.0 * 20000.0), 1e-9);
  EXPECT_NEAR(f.GetShape().MapToValue(0.5, f), 632.456, 1e-3);
  EXPECT_NEAR(f.GetShape().MapToNormal(632.45553, f), 0.5, 1e-6);
  EXPECT_EQ(f.GetShape().DisplayKind(), 1);

  IParam z;
  z.DefineFrequency("z", 1, 0, 1000, 0.001);
  EXPECT_NEAR(z.GetShape().MapToValue(0.0, z), 1e-8, 1e-20);

  IParam pc;
  pc.DefineDouble("p", 0, 0, 1, 0.001, "", 0, "", ShapePowCurve(3));
  EXPECT_NEAR(pc.GetShape().MapToValue(0.5, pc), 0.125, 1e-12);
  EXPECT_NEAR(pc.GetShape().MapToNormal(0.125, pc), 0.5, 1e-12);

  IParam hpf;
  hpf.DefineDouble("HPF", 3000, 100, 5000, 10, "Hz", 0, "", ShapePowCurve(2));
  EXPECT_EQ(hpf.ValueFromNormal(0.5), 1325.0); // not stepped: no snapping to 10
}

TEST(IParam, PowCurveDisplayKinds)
{
  struct
  {
    double e;
    int kind;
  } cases[] = {{3, 6}, {2.5, 4}, {2, 4}, {1.5, 0}, {1, 0}, {0.6, 3}, {0.4, 3}, {0.3, 5}};
  for (auto& c : cases) EXPECT_EQ(ShapePowCurve(c.e).DisplayKind(), c.kind) << c.e;
}

TEST(IParam, Conversions)
{
  IParam p;
  p.DefineDouble("p", 0, -10, 30, 0.1);
  EXPECT_EQ(p.NormalFromValue(100), 1.0);
  EXPECT_EQ(p.NormalFromValue(-100), 0.0);
  EXPECT_EQ(p.ValueFromNormal(1.5), 30.0);
  EXPECT_EQ(p.ValueFromNormal(-0.5), -10.0);
  EXPECT_EQ(p.NormalFromValue(NAN), 0.0);
  p.SetNormal(0.25);
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_EQ(p.GetNormal(), 0.25);
  EXPECT_EQ(p.GetDefault(true), 0.25);

  IParam s;
  s.DefineInt("s", 0, 0, 4);
  EXPECT_EQ(s.ConstrainNormalized(0.3), 0.25);
  EXPECT_EQ(s.ConstrainNormalized(2.0), 1.0);
  s.SetValue(3.7);
  EXPECT_EQ(s.AsInt(), 4);
  EXPECT_TRUE(s.AsBool());
}

TEST(IParam, PitchNames)
{
  struct
  {
    bool octave4;
    int entry;
    const char* text;
  } cases[] = {{true, 0, "C 4"}, {true, 1, "C#4"}, {true, 12, "C 5"}, {false, 0, "C 3"}, {false, 11, "B 3"}};
  for (auto& c : cases)
  {
    IParam p;
    p.DefinePitch("n", 0, 60, 72, 0, "", c.octave4);
    ASSERT_EQ(p.DisplayTextCount(), 13);
    double v = -1;
    EXPECT_STREQ(p.DisplayTextAt(c.entry, &v), c.text);
    EXPECT_EQ(v, c.entry);
  }
  IParam low;
  low.DefinePitch("n", 0, 0, 1, 0, "", true);
  EXPECT_STREQ(low.DisplayTextAt(0), "C -1");
}

TEST(IParam, AppendJSON)
{
  struct
  {
    int kind;
    const char* json;
  } cases[] = {
      {0, "{\"id\":3, \"name\":\"\", \"min\":0.000000, \"max\":1.000000, \"default\":0.000000, "
          "\"rate\":\"control\"}"},
      {1, "{\"id\":3, \"name\":\"B\", \"type\":\"bool\", \"min\":0.000000, \"max\":1.000000, "
          "\"default\":1.000000, "
          "\"rate\":\"control\"}"},
      {2, "{\"id\":3, \"name\":\"G\", \"type\":\"float\", \"min\":-10.000000, \"max\":10.000000, "
          "\"default\":0.500000, \"rate\":\"control\"}"},
      {3, "{\"id\":3, \"name\":\"E\", \"type\":\"enum\", \"min\":0.000000, \"max\":1.000000, "
          "\"default\":0.000000, \"rate\":\"control\"}"},
      {4, "{\"id\":3, \"name\":\"I\", \"type\":\"int\", \"min\":1.000000, \"max\":4.000000, "
          "\"default\":2.000000, \"rate\":\"control\"}"},
  };
  for (auto& c : cases)
  {
    IParam p;
    if (c.kind == 1) p.DefineBool("B", true);
    if (c.kind == 2) p.DefineGain("G", 0.5, -10, 10, 0.1);
    if (c.kind == 3) p.DefineEnum("E", 0, {"a", "b"});
    if (c.kind == 4) p.DefineInt("I", 2, 1, 4);
    std::string out = "x";
    p.AppendJSON(out, 3);
    EXPECT_EQ(out, std::string("x") + c.json);
  }
}

TEST(IParam, DefineFromCopyReplacesNameAndKeepsTexts)
{
  struct
  {
    const char* name;
    const char* search;
    const char* replace;
    const char* result;
  } cases[] = {{"Osc1 Gain", "Osc1", "Osc2", "Osc2 Gain"},
               {"Gain 1", "1", "2", "Gain 2"},
               {"Gain", "", "X", "Gain"},
               {"Gain", "Q", "X", "Gain"}};
  for (auto& c : cases)
  {
    IParam src;
    src.DefineEnum(c.name, 1, 3, "lbl", 0, "G1", "a", "b", "c");
    IParam dst;
    dst.DefineFromCopy(src, c.search, c.replace, "G2");
    EXPECT_STREQ(dst.GetName(), c.result);
    EXPECT_STREQ(dst.GetGroup(), "G2");
    EXPECT_STREQ(dst.GetLabel(), "lbl");
    EXPECT_EQ(dst.Type(), kTypeEnum);
    EXPECT_EQ(dst.DisplayTextCount(), 3);
    EXPECT_EQ(dst.Value(), 1.0);
  }
}

TEST(IParam, DisplayFunctionReplacesAllRules)
{
  IParam p;
  p.DefineDouble("f", 0, 0, 1, 0.1, "", 0, "", ShapeLinear(), kUnitGeneric,
                 [](double v, char* out) { std::snprintf(out, kMaxParamDisplayLen + 1, "v=%g", v); });
  p.AddDisplayText(0.5, "half");
  EXPECT_EQ(Format(p, 0.5), "v=0.5");
  EXPECT_EQ(Format(p, 1.0, true), "v=1");
}

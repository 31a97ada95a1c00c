#include "AAX_CBinaryDisplayDelegate.h"
#include "AAX_CBinaryTaperDelegate.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_CStringDisplayDelegate.h"
#include "AAX_CUnitDisplayDelegateDecorator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace
{
const AAX_CUnitDisplayDelegateDecorator<double> kDecibels(AAX_CNumberDisplayDelegate<double, 2, 0>(), "dB");
}

TEST(AAXUnitDisplay, LimitsDropTheUnitThenTheTrailingDot)
{
  struct
  {
    double value;
    int32_t limit;
    const char* text;
  } cases[] = {
      {2.5, 32, "2.50dB"}, {2.5, 6, "2.50dB"}, {2.5, 5, "2.50"}, {2.5, 4, "2.50"}, {2.5, 3, "2.5"},
      {2.5, 2, "2"},       {2.5, 1, "2"},      {2.5, 0, ""},     {2.5, -4, ""},    {-12.3, 32, "-12.30dB"},
  };
  for (const auto& c : cases)
  {
    AAX_CString text;
    EXPECT_TRUE(kDecibels.ValueToString(c.value, c.limit, &text));
    EXPECT_EQ(text.StdString(), c.text) << c.value << " limit " << c.limit;
  }
  AAX_CString whole;
  EXPECT_TRUE(kDecibels.ValueToString(1.5, &whole));
  EXPECT_EQ(whole.StdString(), "1.50dB");
}

TEST(AAXUnitDisplay, ParsingStripsTheUnitOnlyWhenItEndsALongerText)
{
  struct
  {
    const char* text;
    bool ok;
    double value;
  } cases[] = {{"2.50dB", true, 2.5}, {"-3dB", true, -3.0}, {"4", true, 4.0},
               {"dB", false, 0.0},    {"", false, 0.0},     {"abcdB", false, 0.0}};
  for (const auto& c : cases)
  {
    double value = 99.0;
    EXPECT_EQ(kDecibels.StringToValue(AAX_CString(c.text), &value), c.ok) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(AAXNumberDisplay, IntegersShowWithoutDecimalsAndParseTruncated)
{
  AAX_CNumberDisplayDelegate<int, 0, 0> display;
  AAX_CString text;
  display.ValueToString(7, &text);
  EXPECT_EQ(text.StdString(), "7");
  struct
  {
    const char* text;
    bool ok;
    int value;
  } cases[] = {{"7", true, 7},  {"7.9", true, 7},   {"-7.9", true, -7}, {" 12x", true, 12},
               {"x", false, 0}, {"1e30", false, 0}, {"nan", false, 0}};
  for (const auto& c : cases)
  {
    int value = 99;
    EXPECT_EQ(display.StringToValue(AAX_CString(c.text), &value), c.ok) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(AAXLinearTaper, IntRoundsToWholeNumbersAndClamps)
{
  const AAX_CLinearTaperDelegate<int, 1> taper(0, 10);
  struct
  {
    double x;
    int value;
  } toReal[] = {{0.26, 3},  {0.0, 0},  {1.0, 10}, {0.04, 0},
                {0.05, 1},  {-1.0, 0}, {2.0, 10}, {std::numeric_limits<double>::quiet_NaN(), 0},
                {1e300, 10}};
  for (const auto& c : toReal) EXPECT_EQ(taper.NormalizedToReal(c.x), c.value) << c.x;
  EXPECT_DOUBLE_EQ(taper.RealToNormalized(3), 0.3);
  EXPECT_DOUBLE_EQ(taper.RealToNormalized(-5), 0.0);
  EXPECT_DOUBLE_EQ(taper.RealToNormalized(15), 1.0);
}

TEST(AAXLinearTaper, EqualBoundsMapEverythingToTheBoundAndMiddle)
{
  const AAX_CLinearTaperDelegate<int, 1> taper(5, 5);
  for (double x : {0.0, 0.3, 1.0, -2.0}) EXPECT_EQ(taper.NormalizedToReal(x), 5) << x;
  EXPECT_EQ(taper.RealToNormalized(5), 0.5);
  EXPECT_EQ(taper.RealToNormalized(9), 0.5);
  EXPECT_EQ(taper.ConstrainRealValue(-3), 5);
}

TEST(AAXLinearTaper, ReversedBoundsClampToTheSameRange)
{
  const AAX_CLinearTaperDelegate<int, 1> taper(10, 0);
  EXPECT_EQ(taper.NormalizedToReal(0.0), 10);
  EXPECT_EQ(taper.NormalizedToReal(1.0), 0);
  EXPECT_EQ(taper.ConstrainRealValue(20), 10);
  EXPECT_EQ(taper.ConstrainRealValue(-20), 0);
  EXPECT_DOUBLE_EQ(taper.RealToNormalized(7), 0.3);
}

TEST(AAXBinaryTaper, AnythingAboveZeroIsTrue)
{
  const AAX_CBinaryTaperDelegate<bool> taper;
  EXPECT_FALSE(taper.NormalizedToReal(0.0));
  EXPECT_TRUE(taper.NormalizedToReal(1e-9));
  EXPECT_EQ(taper.RealToNormalized(true), 1.0);
  EXPECT_EQ(taper.RealToNormalized(false), 0.0);
}

TEST(AAXStringDisplay, LooksUpBothWaysAndReportsMisses)
{
  const AAX_CStringDisplayDelegate<int> display({{0, "Saturator"}, {1, "Exciter"}});
  struct
  {
    int value;
    bool ok;
    const char* text;
  } shown[] = {{0, true, "Saturator"},
               {1, true, "Exciter"},
               {2, false, "String Not Found"},
               {-1, false, "String Not Found"}};
  for (const auto& c : shown)
  {
    AAX_CString text;
    EXPECT_EQ(display.ValueToString(c.value, 3, &text), c.ok) << c.value;
    EXPECT_EQ(text.StdString(), c.text) << c.value;
  }
  struct
  {
    const char* text;
    bool ok;
    int value;
  } parsed[] = {{"Exciter", true, 1},
                {"Saturator", true, 0},
                {"exciter", false, 0},
                {"Exciter ", false, 0},
                {"", false, 0}};
  for (const auto& c : parsed)
  {
    int value = 99;
    EXPECT_EQ(display.StringToValue(AAX_CString(c.text), &value), c.ok) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(AAXBinaryDisplay, ParsingIsCaseSensitive)
{
  const AAX_CBinaryDisplayDelegate<bool> display("bypass", "on");
  struct
  {
    const char* text;
    bool ok;
    bool value;
  } cases[] = {{"on", true, true},       {"bypass", true, false}, {"On", false, false},
               {"Bypass", false, false}, {"off", false, false},   {"", false, false}};
  for (const auto& c : cases)
  {
    bool value = true;
    EXPECT_EQ(display.StringToValue(AAX_CString(c.text), &value), c.ok) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  AAX_CString text;
  display.ValueToString(true, 1, &text);
  EXPECT_EQ(text.StdString(), "on");
  display.ValueToString(false, &text);
  EXPECT_EQ(text.StdString(), "bypass");
}

TEST(AAXDelegates, ClonesAreIndependentCopies)
{
  std::unique_ptr<AAX_IDisplayDelegate<double>> copy(kDecibels.Clone());
  AAX_CString text;
  copy->ValueToString(2.5, 5, &text);
  EXPECT_EQ(text.StdString(), "2.50");
  std::unique_ptr<AAX_ITaperDelegate<int>> taper(AAX_CLinearTaperDelegate<int, 1>(0, 10).Clone());
  EXPECT_EQ(taper->NormalizedToReal(0.26), 3);
}

// The control base: value handling, dirtiness and the action callable,
// disabling, hit testing, positions to values, binding and geometry.
#include "GraphicsFixture.h"

#include <stdexcept>

using namespace iplug_test;

namespace
{

struct MarkDirtyCase
{
  const char* what;
  double stored;
  bool trigger;
  double expected;
  int sends;
};

TEST(IControl, MarkDirtyClampsAndAlwaysRunsTheAction)
{
  const MarkDirtyCase cases[] = {
      {"below range", -0.2, false, 0.0, 0},        {"above range", 1.3, false, 1.0, 0},
      {"inside range", 0.4, false, 0.4, 0},        {"trigger informs the host", -0.2, true, 0.0, 1},
      {"trigger inside range", 0.4, true, 0.4, 1},
  };
  for (const MarkDirtyCase& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor e;
    TestControl* t = e.Add(IRect(10, 10, 50, 50), 3);
    int actions = 0;
    t->SetActionFunction([&](IControl*) { ++actions; });
    e.p.mCalls.clear();
    t->SetValue(c.stored);
    t->ClearDirty();
    t->MarkDirty(c.trigger);
    EXPECT_EQ(t->GetValue(), c.expected);
    EXPECT_TRUE(t->IsDirty());
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(e.p.Count("send"), c.sends);
    if (c.sends)
    {
      EXPECT_DOUBLE_EQ(e.p.GetParam(3)->GetNormal(), c.expected);
    }
  }
}

TEST_F(GraphicsFixture, UserValuesInformHostAndOtherBoundControls)
{
  TestControl* t = Add(IRect(10, 10, 50, 50), 3);
  TestControl* twin = Add(IRect(60, 10, 100, 50), 3);
  int actions = 0;
  t->SetActionFunction([&](IControl*) { ++actions; });
  p.mCalls.clear();
  t->SetValueFromUser(0.0);
  EXPECT_EQ(actions, 0) << "an unchanged value does nothing";
  EXPECT_TRUE(p.mCalls.empty());
  t->SetValueFromUser(0.25);
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(p.Count("send"), 1);
  EXPECT_EQ(twin->GetValue(), 0.25) << "synchronised through the context";
  EXPECT_EQ(p.Count("send"), 1) << "the twin does not inform the host again";
}

TEST(IControl, DisablingForcesTheBlendWeight)
{
  for (float before : {1.f, 0.5f, 0.f})
    for (bool disable : {true, false})
    {
      TestControl t(IRect(0, 0, 10, 10));
      t.SetBlend(IBlendMode(0, before));
      t.ClearDirty();
      t.SetDisabled(disable);
      EXPECT_EQ(t.GetBlend().mWeight, disable ? 0.25f : 1.f) << before;
      EXPECT_EQ(t.IsDisabled(), disable);
      EXPECT_TRUE(t.IsDirty());
    }
}

struct HitTestCase
{
  IRect hit;
  float x, y;
  bool expected;
};

TEST(IControl, HitTestEdges)
{
  const HitTestCase cases[] = {
      {IRect(10, 10, 20, 20), 10, 10, true},     {IRect(10, 10, 20, 20), 19.99f, 19.99f, true},
      {IRect(10, 10, 20, 20), 20, 15, false},    {IRect(10, 10, 20, 20), 15, 20, false},
      {IRect(10, 10, 20, 20), 9.99f, 15, false}, {IRect(0, 0, 0, 0), 0, 0, false},
      {IRect(-5, -5, 5, 5), 0, 0, true},
  };
  for (const HitTestCase& c : cases)
  {
    TestControl t(c.hit);
    EXPECT_EQ(t.HitTest(c.x, c.y), c.expected) << c.x << "," << c.y;
  }
}

struct PositionCase
{
  const char* what;
  float x, y;
  int direction;
  IRect r;
  double lo, hi;
  double expected;
};

TEST(IControl, SetValueFromPosition)
{
  const IRect wide(0, 0, 10000, 100);
  const IRect tall(0, 0, 100, 10000);
  const PositionCase cases[] = {
      {"a half thousandth rounds up", 5, 0, 1, wide, 0, 1, 0.001},
      {"halves go away from zero", 25, 0, 1, wide, 0, 1, 0.003},
      {"below a half rounds down", 4, 0, 1, wide, 0, 1, 0.0},
      {"vertical: up is more", 0, 2500, 0, tall, 0, 1, 0.75},
      {"clamped into the rectangle", -50, 0, 1, wide, 0, 1, 0.0},
      {"clamped beyond the far edge", 20000, 0, 1, wide, 0, 1, 1.0},
      {"low clip", 1000, 0, 1, wide, 0.2, 1, 0.2},
      {"high clip", 9000, 0, 1, wide, 0, 0.8, 0.8},
  };
  for (const PositionCase& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor e;
    TestControl* t = e.Add(IRect(0, 0, 10, 10), 3);
    e.p.mCalls.clear();
    t->SetValueFromPosition(c.x, c.y, c.direction, c.r, 0, c.lo, c.hi);
    EXPECT_DOUBLE_EQ(t->GetValue(), c.expected);
    EXPECT_EQ(e.p.Count("send"), 1);
  }
}

TEST(IControl, BindParamOutOfRange)
{
  TestControl t(IRect(0, 0, 10, 10));
  t.BindParam(2, 0);
  EXPECT_EQ(t.GetParamIdx(0), 2);
  for (int bad : {1, -1, 7})
  {
    try
    {
      t.BindParam(3, bad);
      ADD_FAILURE() << "no error for value index " << bad;
    }
    catch (const std::out_of_range& e)
    {
      EXPECT_STREQ(e.what(), "invalid vector subscript");
    }
  }
  EXPECT_EQ(t.GetParamIdx(0), 2);
}

TEST_F(GraphicsFixture, ResetToDefault)
{
  p.GetParam(0)->DefineDouble("Drive", 5., 0., 10., 0.5, "dB");
  TestControl* t = Add(IRect(0, 0, 10, 10), 0);
  t->AddValue(3, 0.9);
  t->SetValue(0.1, 0);
  t->ResetToDefault(kNoValIdx);
  EXPECT_DOUBLE_EQ(t->GetValue(0), 0.5);
  EXPECT_DOUBLE_EQ(t->GetValue(1), 0.0);
  t->SetValue(0.7, 1);
  t->ResetToDefault(0);
  EXPECT_DOUBLE_EQ(t->GetValue(1), 0.7);
}

TEST_F(GraphicsFixture, TwoValuesPromptNothing)
{
  TestControl* t = Add(IRect(10, 10, 50, 50), 0);
  t->AddValue(1);
  t->DisablePrompt(false);
  EXPECT_EQ(t->ValueIndexAt(20, 20), -1);
  t->OnMouseDoubleClick(20, 20, IMouseMods(true));
  t->OnMouseDown(20, 20, IMouseMods(false, true));
  EXPECT_TRUE(g.mTextEntries.empty());
  EXPECT_TRUE(g.mMenus.empty());
}

TEST(IControl, Geometry)
{
  TestControl t(IRect(10, 10, 30, 40));
  t.SetHitRect(IRect(12, 12, 28, 38));
  t.MoveTo(-5, 100);
  EXPECT_EQ(t.GetRect(), IRect(0, 100, 20, 130));
  EXPECT_EQ(t.GetHitRect(), IRect(2, 102, 18, 128));
  t.SetSize(-4, 8);
  EXPECT_EQ(t.GetRect(), IRect(0, 100, 0, 108));
  EXPECT_EQ(t.GetHitRect(), t.GetRect());
  EXPECT_EQ(t.mSetup, "bb");
}

TEST(IControl, InitialState)
{
  TestControl t(IRect(1, 2, 3, 4), 5);
  EXPECT_TRUE(t.IsDirty());
  EXPECT_TRUE(t.GetPromptDisabled());
  EXPECT_EQ(t.GetTextEntryLength(), 7);
  EXPECT_STREQ(t.GetTextStyle().mFont, "Poppins-Medium");
  EXPECT_EQ(t.GetTextStyle().mSize, 17.f);
  EXPECT_EQ(t.GetHighlightColour(), IColour(255, 255, 0, 0));
  EXPECT_EQ(t.GetBlend().mWeight, 1.f);
  EXPECT_EQ(t.NVals(), 1);
  EXPECT_EQ(t.GetParamIdx(), 5);
  EXPECT_EQ(t.GetParam(), nullptr) << "not attached";
}

} // namespace

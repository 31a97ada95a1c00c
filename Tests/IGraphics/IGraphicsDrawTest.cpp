// Dirty regions and the draw pass: growth, pixel alignment, region merging,
// which controls draw into which region, and the automation highlight.
#include "GraphicsFixture.h"

#include <cmath>

using namespace iplug_test;

namespace
{

bool Whole(float v)
{
  return std::fabs(v - std::round(v)) < 1e-3f;
}

TEST_F(GraphicsFixture, DirtyControlsGiveTheirBoundsGrown)
{
  TestControl* t = Add(IRect(10, 20, 30, 40));
  IRectList rects;
  EXPECT_TRUE(g.CollectDirtyRegions(rects)) << "new controls start dirty";
  g.ClearAllDirty();
  rects.Clear();
  EXPECT_FALSE(g.CollectDirtyRegions(rects));
  EXPECT_EQ(rects.Size(), 0);
  t->SetValueFromUser(0.5);
  EXPECT_TRUE(g.CollectDirtyRegions(rects));
  ASSERT_EQ(rects.Size(), 1);
  EXPECT_EQ(rects.Get(0), IRect(9.25f, 19.25f, 30.75f, 40.75f));
}

TEST_F(GraphicsFixture, DisplayTickAndAnimationsRunBeforeTheCheck)
{
  TestControl* t = Add(IRect(10, 20, 30, 40));
  g.ClearAllDirty();
  std::vector<std::string> order;
  g.SetDisplayTickFunc([&] { order.push_back("tick"); });
  t->SetAnimation(
      [&](IControl* c)
      {
        order.push_back("animation");
        c->OnAnimationEnd();
      },
      10.0);
  IRectList rects;
  EXPECT_TRUE(g.CollectDirtyRegions(rects)) << "the animation's end marks the control dirty";
  EXPECT_EQ(order, (std::vector<std::string>{"tick", "animation"}));
  EXPECT_EQ(t->GetAnimationFunction(), nullptr);
}

TEST(IGraphicsDraw, RegionsArePixelAligned)
{
  const IRect regions[] = {IRect(9.25f, 19.25f, 30.75f, 40.75f), IRect(0.1f, 0.2f, 13.3f, 7.7f),
                           IRect(100.5f, 33.3f, 101.f, 34.f)};
  for (float scale : {1.f, 1.5f, 0.67f})
    for (const IRect& region : regions)
    {
      SCOPED_TRACE(testing::Message() << "scale " << scale << " region " << region.L << "," << region.T);
      GraphicsPlugin p;
      TestGraphics g(p, 580, 250, scale);
      g.SetMinScale(0.5f);
      g.AddControl(new TestControl(IRect(0, 0, 580, 250)));
      IRectList list;
      list.Add(region);
      g.DrawRegions(list);
      auto clips = g.Calls("SetClipRegion");
      ASSERT_EQ(clips.size(), 1u);
      const std::vector<float>& c = clips[0].args;
      for (float edge : c) EXPECT_TRUE(Whole(edge * scale)) << edge * scale;
      EXPECT_LE(c[0], region.L);
      EXPECT_LE(c[1], region.T);
      EXPECT_GE(c[2], region.R);
      EXPECT_GE(c[3], region.B);
      EXPECT_LT((region.L - c[0]) * scale, 1.f);
      EXPECT_LT((c[3] - region.B) * scale, 1.f);
    }
}

TEST_F(GraphicsFixture, OnlyControlsMeetingARegionDraw)
{
  TestControl* inside = Add(IRect(10, 10, 50, 50));
  TestControl* outside = Add(IRect(300, 100, 350, 150));
  TestControl* hidden = Add(IRect(10, 10, 50, 50));
  hidden->SetHidden(true);
  IRectList list;
  list.Add(IRect(0, 0, 60, 60));
  g.DrawRegions(list);
  EXPECT_EQ(inside->mDraws, 1);
  EXPECT_EQ(outside->mDraws, 0) << "dirty, but outside every region";
  EXPECT_EQ(hidden->mDraws, 0);
  EXPECT_EQ(bg->mDraws, 1);
  EXPECT_EQ(g.mCalls.front().op, "BeginFrame");
  EXPECT_EQ(g.mCalls.back().op, "EndFrame");

  bg->SetHidden(true);
  g.DrawRegions(list);
  EXPECT_EQ(bg->mDraws, 2) << "the background draws even when hidden";

  g.mCalls.clear();
  g.DrawRegions(IRectList());
  EXPECT_TRUE(g.mCalls.empty()) << "an empty list begins no frame";
}

TEST_F(GraphicsFixture, RegionsMergeOnlyWhenAsked)
{
  IRectList list;
  list.Add(IRect(0, 0, 10, 10));
  list.Add(IRect(5, 5, 20, 20)); // overlaps the first: combined
  list.Add(IRect(100, 100, 110, 110));
  g.DrawRegions(list);
  EXPECT_EQ(bg->mDraws, 2) << "two regions after overlapping ones combine";
  g.SetMergeAllRegions(true);
  g.mCalls.clear();
  g.DrawRegions(list);
  EXPECT_EQ(bg->mDraws, 3) << "one merged region";
  auto clips = g.Calls("SetClipRegion");
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].args, (std::vector<float>{0, 0, 110, 110}));
}

TEST(IGraphicsDraw, OptimizeCoversTheSameArea)
{
  IRectList list;
  list.Add(IRect(0, 0, 10, 10));
  list.Add(IRect(20, 0, 30, 10));
  list.Add(IRect(8, 0, 22, 5)); // bridges the two
  list.Add(IRect(50, 50, 60, 60));
  list.Optimize();
  ASSERT_EQ(list.Size(), 2);
  EXPECT_EQ(list.Get(0), IRect(0, 0, 30, 10));
  EXPECT_EQ(list.Get(1), IRect(50, 50, 60, 60));
}

TEST_F(GraphicsFixture, EachControlDrawsClippedAndFramed)
{
  TestControl* t = Add(IRect(10, 10, 50, 50), 0);
  IRectList list;
  list.Add(IRect(0, 0, 30, 30));
  g.mCalls.clear();
  g.DrawRegions(list);
  (void)t;
  // Per control: clear the path, clip, draw.
  std::vector<std::string> ops;
  for (const DrawCall& c : g.mCalls)
    if (c.op == "SetClipRegion" || c.op == "BeginFrame" || c.op == "EndFrame") ops.push_back(c.op);
  EXPECT_EQ(ops, (std::vector<std::string>{"BeginFrame", "SetClipRegion", "SetClipRegion", "EndFrame"}));
  EXPECT_EQ(g.GetLastClip(), IRect(9, 9, 30, 30)) << "the control's grown, aligned bounds within the region";
}

struct HighlightCase
{
  int code;
  IColour expected;
};

TEST(IGraphicsDraw, AutomationHighlight)
{
  const HighlightCase cases[] = {
      {0, kColourRed}, {1, kColourBlue}, {2, kColourGreen}, {3, kColourYellow}, {7, kColourRed}};
  for (const HighlightCase& c : cases)
  {
    SCOPED_TRACE(c.code);
    Editor e;
    TestControl* bound = e.Add(IRect(10, 10, 50, 50), 1);
    TestControl* other = e.Add(IRect(100, 10, 150, 50), 2);
    e.g.ClearAllDirty();
    e.g.SetAutomationHighlight(1, true, c.code);
    EXPECT_TRUE(bound->GetHighlighted());
    EXPECT_TRUE(bound->IsDirty());
    EXPECT_FALSE(other->GetHighlighted());
    EXPECT_FALSE(other->IsDirty());
    IRectList list;
    list.Add(IRect(0, 0, 60, 60));
    e.g.mCalls.clear();
    e.g.DrawRegions(list);
    auto arcs = e.g.Calls("PathArc");
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(std::vector<float>(arcs[0].args.begin(), arcs[0].args.begin() + 3),
              (std::vector<float>{45, 15, 2}));
    auto fills = e.g.Calls("PathFill");
    EXPECT_EQ(fills.back().colour, c.expected);
    e.g.SetAutomationHighlight(1, false, c.code);
    EXPECT_FALSE(bound->GetHighlighted());
  }
}

TEST_F(GraphicsFixture, PerformanceDisplay)
{
  EXPECT_EQ(g.GetPerformanceDisplay(), nullptr);
  g.ShowPerformanceDisplay(true);
  ASSERT_NE(g.GetPerformanceDisplay(), nullptr);
  EXPECT_EQ(g.GetPerformanceDisplay()->GetRect(), IRect(10, 10, 210, 60));
  IRectList list;
  list.Add(IRect(0, 0, 300, 100));
  g.DrawRegions(list);
  auto texts = g.Calls("DrawText");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text.rfind("Frame Time", 0), 0u);
  g.ShowPerformanceDisplay(false);
  EXPECT_EQ(g.GetPerformanceDisplay(), nullptr);
}

} // namespace

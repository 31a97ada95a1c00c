// Value prompts (menus for enumerated values, text entry otherwise) and
// resizing (limits, repeated sizes, what the host is asked for, dragging).
#include "Controls/ICornerResizerControl.h"
#include "GraphicsFixture.h"

using namespace iplug_test;

namespace
{

struct MenuPromptCase
{
  const char* what;
  int paramIdx;
  double current; // plain value before the prompt
  int answer;     // item the menu answers with, -1 cancels
  std::vector<std::string> items;
  std::vector<bool> checked;
  double after; // plain value after the answer
};

TEST(IGraphicsPrompts, EnumeratedValuesGetAMenu)
{
  const MenuPromptCase cases[] = {
      {"enum, pick the other", 1, 0, 1, {"Saturator", "Exciter"}, {true, false}, 1},
      {"enum, cancelled", 1, 1, -1, {"Saturator", "Exciter"}, {false, true}, 1},
      {"bool with texts", 2, 0, 1, {"off", "on"}, {true, false}, 1},
  };
  for (const MenuPromptCase& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor e;
    e.p.GetParam(c.paramIdx)->SetValue(c.current);
    TestControl* t = e.Add(IRect(10, 10, 50, 30), c.paramIdx);
    t->SetValue(e.p.GetParam(c.paramIdx)->GetNormal());
    t->DisablePrompt(false);
    e.g.mMenuAnswer = c.answer;
    e.g.Down(20, 20); // a gesture begins
    e.p.mCalls.clear();
    t->PromptForValue(0);
    ASSERT_EQ(e.g.mMenus.size(), 1u);
    EXPECT_EQ(e.g.mMenus[0].items, c.items);
    EXPECT_EQ(e.g.mMenus[0].checked, c.checked);
    EXPECT_EQ(e.g.mMenus[0].bounds, t->GetRect()) << "a menu covers the control";
    EXPECT_EQ(e.p.GetParam(c.paramIdx)->Value(), c.after);
    EXPECT_EQ(e.p.Count("send"), c.answer >= 0 && c.after != c.current ? 1 : 0);
    EXPECT_EQ(e.p.Count("end"), 1) << "the menu ends the gesture";
    EXPECT_FALSE(e.g.ControlIsCaptured());
    EXPECT_EQ(e.g.GetControlInPopupMenu(), nullptr);
  }
}

TEST_F(GraphicsFixture, MenusAnsweringLater)
{
  TestControl* t = Add(IRect(10, 10, 50, 30), 1);
  t->DisablePrompt(false);
  g.mMenuAsync = true;
  t->PromptForValue(0);
  EXPECT_EQ(g.GetControlInPopupMenu(), t);
  EXPECT_EQ(p.Count("end"), 0);
  IMenu& menu = g.GetPromptMenu();
  menu.SetChosenItemIdx(1);
  g.ApplyMenuResult(&menu);
  EXPECT_EQ(p.GetParam(1)->Value(), 1.0);
  EXPECT_EQ(p.Count("end"), 1);
  EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);
  g.ApplyMenuResult(&menu); // nothing open: nothing happens
  EXPECT_EQ(p.Count("end"), 1);
}

struct TextPromptCase
{
  const char* what;
  bool showLabel;
  std::string text;
};

TEST(IGraphicsPrompts, ContinuousValuesGetATextEntry)
{
  const TextPromptCase cases[] = {{"display text", false, "2.5"}, {"with unit label", true, "2.5 dB"}};
  for (const TextPromptCase& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor e;
    e.p.GetParam(0)->SetValue(2.5);
    TestControl* t = e.Add(IRect(100, 100, 140, 140), 0);
    t->DisablePrompt(false);
    t->SetPromptShowsParamLabel(c.showLabel);
    t->SetTextEntryLength(5);
    t->PromptForValue(0);
    ASSERT_EQ(e.g.mTextEntries.size(), 1u);
    const TextEntryRequest& r = e.g.mTextEntries[0];
    EXPECT_EQ(r.text, c.text);
    EXPECT_EQ(r.length, 5);
    EXPECT_EQ(r.valIdx, 0);
    EXPECT_NEAR(r.bounds.W(), 53.333f, 1e-3f);
    EXPECT_NEAR(r.bounds.H(), 21.333f, 1e-3f);
    EXPECT_NEAR(r.bounds.MW(), 120.f, 1e-4f);
    EXPECT_NEAR(r.bounds.MH(), 120.f, 1e-4f);
    EXPECT_EQ(e.g.GetControlInTextEntry(), t);

    e.p.mCalls.clear();
    e.g.ApplyTextEntryResult("7.5");
    EXPECT_DOUBLE_EQ(t->GetValue(), 0.75);
    EXPECT_EQ(e.p.GetParam(0)->Value(), 7.5);
    EXPECT_EQ(e.p.Count("send"), 1);
    EXPECT_EQ(e.g.GetControlInTextEntry(), nullptr);
  }
}

TEST_F(GraphicsFixture, NoPromptWhenDisabledOrUnbound)
{
  TestControl* disabled = Add(IRect(10, 10, 50, 30), 0);
  TestControl* unbound = Add(IRect(60, 10, 100, 30));
  unbound->DisablePrompt(false);
  disabled->PromptForValue(0);
  unbound->PromptForValue(0);
  disabled->OnMouseDoubleClick(20, 20, IMouseMods(true));
  EXPECT_TRUE(g.mTextEntries.empty());
  EXPECT_TRUE(g.mMenus.empty());
  g.ApplyTextEntryResult("3"); // nothing open: nothing happens
  EXPECT_EQ(disabled->GetValue(), 0.0);
}

struct ResizeCase
{
  const char* what;
  float screenScale;
  int w, h;
  float scale;
  int expectW, expectH;
  float expectScale;
  HostResize host;
};

TEST(IGraphicsResize, ClampsAndAsksTheHost)
{
  // Limits: 290..1160 x 125..500, scale 0.5..2 (from a context made at 1).
  const ResizeCase cases[] = {
      {"inside the limits", 1.f, 700, 400, 1.f, 700, 400, 1.f, {700, 400, true}},
      {"too large", 1.f, 2000, 900, 3.f, 1160, 500, 2.f, {2320, 1000, true}},
      {"too small", 1.f, 10, 10, 0.1f, 290, 125, 0.5f, {145, 62, true}},
      {"screen scale", 1.5f, 580, 250, 1.25f, 580, 250, 1.25f, {1087, 468, true}},
      {"odd scale", 1.f, 581, 251, 0.67f, 581, 251, 0.67f, {389, 168, true}},
  };
  for (const ResizeCase& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor e;
    if (c.screenScale != 1.f) e.g.SetScreenScale(c.screenScale);
    e.p.mHostResizes.clear();
    e.g.mPlatformResizes.clear();
    e.g.mCalls.clear();
    e.g.ClearAllDirty();
    e.g.Resize(c.w, c.h, c.scale);
    EXPECT_EQ(e.g.Width(), c.expectW);
    EXPECT_EQ(e.g.Height(), c.expectH);
    EXPECT_EQ(e.g.GetDrawScale(), c.expectScale);
    EXPECT_EQ(e.p.mHostResizes, std::vector<HostResize>{c.host});
    EXPECT_EQ(e.g.mPlatformResizes, std::vector<bool>{true}) << "the host's answer goes to the platform";
    EXPECT_TRUE(e.bg->IsDirty());
    EXPECT_EQ(e.g.Count("DrawResize"), 1);

    e.g.Resize(c.w, c.h, c.scale);
    EXPECT_EQ(e.p.mHostResizes.size(), 1u) << "the same size and scale again asks nothing";
  }
}

TEST_F(GraphicsFixture, ResizeDropsCapturesAndRelaysOut)
{
  int layouts = 0;
  p.SetLayoutFunc([&](IGraphics*) { ++layouts; });
  TestControl* t = Add(IRect(10, 10, 50, 50));
  g.Down(20, 20);
  g.HideMouseCursor(true, true);
  g.Resize(600, 300, 1.f);
  EXPECT_FALSE(g.ControlIsCaptured(t));
  EXPECT_FALSE(g.IsCursorHidden());
  EXPECT_EQ(layouts, 0);
  g.AddCornerResizer(kResizeModeSize, true, kColourWhite, kColourWhite, kColourWhite, 15);
  g.Resize(700, 300, 1.f);
  EXPECT_EQ(layouts, 1) << "layout on resize";
  EXPECT_EQ(g.GetCornerResizer()->GetRect(), IRect(685, 285, 700, 300));
}

TEST_F(GraphicsFixture, CornerResizerDragsTheScale)
{
  g.AddCornerResizer(kResizeModeScale, false, kColourWhite, kColourWhite, kColourWhite, 15);
  g.SetMinScale(0.67f);
  g.SetMaxScale(1.5f);
  TestControl* t = Add(IRect(0, 0, 10, 10));
  g.Down(575, 245);
  EXPECT_TRUE(g.IsResizing());
  t->mSetup.clear();
  g.Drag(690, 294, 115, 49);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), std::min(294.f / 245.f, 690.f / 575.f));
  EXPECT_EQ(g.Width(), 580) << "scale mode keeps the logical size";
  g.Drag(2000, 2000, 1, 1);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 1.5f);
  g.Drag(10, 10, 1, 1);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 0.67f);
  EXPECT_EQ(t->mDrags, 0);
  g.ClearAllDirty();
  g.Up(10, 10);
  EXPECT_FALSE(g.IsResizing());
  EXPECT_TRUE(t->IsDirty());
  EXPECT_NE(t->mSetup.find('s'), std::string::npos) << "controls rescale when the drag ends";
}

TEST_F(GraphicsFixture, CornerResizerDragsTheSize)
{
  g.AddCornerResizer(kResizeModeSize, false, kColourWhite, kColourWhite, kColourWhite, 15);
  g.Down(575, 245);
  g.Drag(700.6f, 300.2f, 125, 55);
  EXPECT_EQ(g.Width(), 700);
  EXPECT_EQ(g.Height(), 300);
  EXPECT_EQ(g.GetDrawScale(), 1.f);
  g.Up(700, 300);
  g.OnMouseDoubleClick(695, 295, IMouseMods(true));
  EXPECT_EQ(g.Width(), 580) << "double-click returns to the size at creation";
  EXPECT_EQ(g.Height(), 250);
}

TEST_F(GraphicsFixture, OnlyTheFirstCornerResizerStays)
{
  g.AddCornerResizer(kResizeModeScale, false, kColourWhite, kColourWhite, kColourWhite, 15);
  ICornerResizerControl* first = g.GetCornerResizer();
  g.AddCornerResizer(kResizeModeSize, true, kColourBlack, kColourBlack, kColourBlack, 30);
  EXPECT_EQ(g.GetCornerResizer(), first);
  EXPECT_EQ(g.GetResizeMode(), kResizeModeScale);
  EXPECT_FALSE(g.GetLayoutOnResize());
}

} // namespace

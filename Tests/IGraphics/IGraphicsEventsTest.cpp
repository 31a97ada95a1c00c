// Event dispatch: the hit search, captures, right-click menus, the host's
// click offer, parameter gestures around drags, tags and a control list
// changed while it is walked.
#include "Controls/ICornerResizerControl.h"
#include "Controls/IPopupMenuControl.h"
#include "Controls/ITextEntryControl.h"
#include "GraphicsFixture.h"

using namespace iplug_test;

namespace
{

// Background, then a (10, 10, 110, 110) and b (60, 60, 160, 160) above it.
struct TwoControls : Editor
{
  TwoControls()
  {
    a = Add(IRect(10, 10, 110, 110), kNoParameter, -1, "a");
    b = Add(IRect(60, 60, 160, 160), kNoParameter, -1, "b");
  }
  TestControl* a;
  TestControl* b;
};

struct HitCase
{
  const char* what;
  std::function<void(TestControl&)> setupB;
  bool hover;
  bool hoverEnabled;
  float x, y;
  const char* expected;
};

TEST(IGraphicsEvents, HitSearch)
{
  auto none = [](TestControl&) {};
  auto disabled = [](TestControl& c) { c.SetDisabled(true); };
  auto disabledClicks = [](TestControl& c)
  {
    c.SetDisabled(true);
    c.SetMouseEventsWhenDisabled(true);
  };
  auto disabledHover = [](TestControl& c)
  {
    c.SetDisabled(true);
    c.SetMouseOverWhenDisabled(true);
  };
  const HitCase cases[] = {
      {"top of the z-order wins", none, false, false, 80, 80, "b"},
      {"hidden is skipped", [](TestControl& c) { c.SetHidden(true); }, false, false, 80, 80, "a"},
      {"ignore-mouse is skipped", [](TestControl& c) { c.SetIgnoreMouse(true); }, false, false, 80, 80, "a"},
      {"disabled is skipped", disabled, false, false, 80, 80, "a"},
      {"disabled taking clicks", disabledClicks, false, false, 80, 80, "b"},
      {"hover flag does not admit clicks", disabledHover, false, false, 80, 80, "a"},
      {"disabled hover is skipped", disabled, true, true, 80, 80, "a"},
      {"disabled taking hover", disabledHover, true, true, 80, 80, "b"},
      {"click flag does not admit hover", disabledClicks, true, true, 80, 80, "a"},
      {"background takes clicks", none, false, false, 300, 200, "bg"},
      {"background is never hovered", none, true, true, 300, 200, "none"},
      {"hover off finds nothing", none, true, false, 80, 80, "none"},
      {"right edge is outside", none, false, false, 160, 100, "bg"},
      {"bottom edge is outside", none, false, false, 100, 160, "bg"},
      {"left edge is inside", none, false, false, 60, 130, "b"},
  };
  for (const HitCase& c : cases)
  {
    SCOPED_TRACE(c.what);
    TwoControls e;
    c.setupB(*e.b);
    e.g.SetHoverEnabled(c.hoverEnabled);
    EXPECT_STREQ(Editor::NameOf(e.g.FindControlAt(c.x, c.y, false, c.hover)), c.expected);
  }
}

class TestPopup : public IPopupMenuControl
{
public:
  TestPopup() : IPopupMenuControl(IRect(0, 0, 10, 10)) {}
  void Draw(IGraphics&) override {}
  void ShowMenu(IMenu&, const IRect&) override { mExpanded = true; }
  bool IsExpanded() const override { return mExpanded; }
  bool mExpanded = false;
};

class TestTextEntry : public ITextEntryControl
{
public:
  TestTextEntry() : ITextEntryControl(IRect(0, 0, 10, 10)) {}
  void Draw(IGraphics&) override {}
  bool IsEditing() const override { return mEditing; }
  bool mEditing = false;
};

TEST(IGraphicsEvents, SpecialControlsComeFirst)
{
  TwoControls e;
  e.Add(IRect(500, 200, 580, 250), kNoParameter, -1, "corner");
  EXPECT_STREQ(Editor::NameOf(e.g.FindControlAt(575, 245, false)), "corner");
  e.g.AddCornerResizer(kResizeModeScale, false, kColourWhite, kColourWhite, kColourWhite, 15);
  EXPECT_EQ(e.g.GetCornerResizer()->GetRect(), IRect(565, 235, 580, 250));
  EXPECT_EQ(e.g.FindControlAt(575, 245, false), e.g.GetCornerResizer());
  EXPECT_EQ(e.g.FindControlAt(575, 245, false, true), e.g.GetCornerResizer()) << "even with hover off";
  EXPECT_STREQ(Editor::NameOf(e.g.FindControlAt(80, 80, false)), "b");

  auto* entry = new TestTextEntry;
  e.g.AttachTextEntryControl(entry);
  EXPECT_STREQ(Editor::NameOf(e.g.FindControlAt(80, 80, false)), "b") << "not editing";
  entry->mEditing = true;
  EXPECT_EQ(e.g.FindControlAt(80, 80, false), entry);
  EXPECT_EQ(e.g.FindControlAt(575, 245, false), entry) << "before the resizer";

  auto* popup = new TestPopup;
  e.g.AttachPopupMenuControl(popup);
  popup->mExpanded = true;
  EXPECT_EQ(e.g.FindControlAt(80, 80, false), popup) << "before the text entry";
}

TEST(IGraphicsEvents, CaptureHoldsTheControlUntilRelease)
{
  TwoControls e;
  e.g.Down(20, 20);
  EXPECT_TRUE(e.g.ControlIsCaptured(e.a));
  EXPECT_EQ(e.g.FindControlAt(150, 150, false), e.a) << "the captured control answers for its touch";
  e.a->SetValueFromPlugin(0.7);
  EXPECT_EQ(e.a->GetValue(), 0.0) << "values from the plug-in wait for release";
  e.g.Up(150, 150);
  EXPECT_FALSE(e.g.ControlIsCaptured());
  EXPECT_EQ(e.a->mUps, 1);
  e.a->SetValueFromPlugin(0.7);
  EXPECT_EQ(e.a->GetValue(), 0.7);
}

struct RightClickCase
{
  const char* what;
  int paramIdx;
  std::vector<std::string> items;
  int downs;
  int menus;
};

TEST(IGraphicsEvents, RightClick)
{
  const RightClickCase cases[] = {
      {"bound, empty menu: nothing opens", 0, {}, 0, 0},
      {"bound, filled menu: a context menu", 0, {"Copy", "Paste"}, 0, 1},
      {"unbound: the control's own mouse-down", kNoParameter, {"Copy"}, 1, 0},
  };
  for (const RightClickCase& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor e;
    TestControl* t = e.Add(IRect(10, 10, 110, 110), c.paramIdx);
    t->mContextItems = c.items;
    e.g.mMenuAnswer = 1;
    e.g.Down(20, 20, IMouseMods(false, true));
    EXPECT_EQ(t->mDowns, c.downs);
    EXPECT_EQ(static_cast<int>(e.g.mMenus.size()), c.menus);
    EXPECT_EQ(e.g.ControlIsCaptured(t), c.downs > 0);
    EXPECT_EQ(e.p.Count("begin") + e.p.Count("end"), 0) << "a right-click makes no gesture";
    if (c.menus)
    {
      EXPECT_EQ(e.g.mMenus[0].items, c.items);
      EXPECT_EQ(t->mContextChoices, std::vector<int>{1});
    }
  }
}

class HostContainer : public IHostViewContainer
{
public:
  int GetModifiers(uint32_t* modifiers) override
  {
    *modifiers = mHostBits;
    return 0;
  }
  int HandleParameterMouseDown(const char* paramID, uint32_t modifiers) override
  {
    mOffers.push_back({paramID, modifiers});
    return mAnswer;
  }
  uint32_t mHostBits = 0;
  int mAnswer = 0;
  std::vector<std::pair<std::string, uint32_t>> mOffers;
};

struct OfferCase
{
  const char* what;
  int paramIdx;
  IMouseMods mods;
  int answer;
  std::vector<std::pair<std::string, uint32_t>> offers;
  int downs;
};

TEST(IGraphicsEvents, HostClickOffer)
{
  const uint32_t host = 0x100;
  const OfferCase cases[] = {
      {"host takes it", 0, IMouseMods(true), 0, {{"1", host}}, 0},
      {"host declines", 0, IMouseMods(true), 1, {{"1", host}}, 1},
      {"shift", 2, IMouseMods(true, false, true), 1, {{"3", host | 1}}, 1},
      {"alt", 2, IMouseMods(true, false, false, false, true), 1, {{"3", host | 4}}, 1},
      {"control", 2, IMouseMods(true, false, false, true), 1, {{"3", host | 8}}, 1},
      {"all with right button",
       3,
       IMouseMods(false, true, true, true, true),
       0,
       {{"4", host | 1 | 4 | 8 | 16}},
       0},
      {"unbound controls are not offered", kNoParameter, IMouseMods(true), 0, {}, 1},
  };
  for (const OfferCase& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor e;
    HostContainer container;
    container.mHostBits = host;
    container.mAnswer = c.answer;
    e.g.SetViewContainer(&container);
    TestControl* t = e.Add(IRect(10, 10, 110, 110), c.paramIdx);
    e.g.HideMouseCursor(true, true);
    e.g.Down(20, 20, c.mods);
    EXPECT_EQ(container.mOffers, c.offers);
    EXPECT_EQ(t->mDowns, c.downs);
    bool swallowed = !c.offers.empty() && c.answer == 0;
    EXPECT_EQ(e.g.ControlIsCaptured(), !swallowed);
    EXPECT_EQ(e.g.IsCursorHidden(), !swallowed) << "a swallowed click shows the cursor";
  }
}

TEST_F(GraphicsFixture, GesturesFrameADrag)
{
  TestControl* t = Add(IRect(10, 10, 110, 110), 0);
  t->AddValue(3);
  p.mCalls.clear();
  g.Down(20, 20);
  EXPECT_EQ(t->mDowns, 1);
  g.Drag(20, 20, 0, 0);
  EXPECT_EQ(t->mDrags, 0) << "a drag without motion reaches no control";
  g.Drag(20, 25, 0, 5);
  EXPECT_EQ(t->mDrags, 1);
  g.Up(20, 25);
  std::vector<Call> expected = {
      {"begin", 0, -1, 0}, {"begin", 3, -1, 0}, {"end", 0, -1, 0}, {"end", 3, -1, 0}};
  EXPECT_EQ(p.mCalls, expected);
  g.Drag(20, 30, 0, 5);
  EXPECT_EQ(t->mDrags, 1) << "nothing captured after release";
}

TEST_F(GraphicsFixture, HoverMovesBetweenControlsAndOut)
{
  g.SetHoverEnabled(true);
  TestControl* t = Add(IRect(10, 10, 110, 110));
  TestControl* u = Add(IRect(200, 10, 300, 110));
  EXPECT_TRUE(g.OnMouseOver(20, 20, IMouseMods()));
  EXPECT_TRUE(g.OnMouseOver(30, 20, IMouseMods()));
  EXPECT_EQ(t->mOvers, 2);
  EXPECT_TRUE(t->GetMouseIsOver());
  EXPECT_EQ(g.GetMouseOverIdx(), 1);
  EXPECT_TRUE(g.OnMouseOver(210, 20, IMouseMods()));
  EXPECT_EQ(t->mOuts, 1);
  EXPECT_EQ(u->mOvers, 1);
  EXPECT_FALSE(g.OnMouseOver(400, 200, IMouseMods())) << "the background answers no hover";
  EXPECT_EQ(u->mOuts, 1);
  EXPECT_EQ(bg->mOvers, 0);
  g.SetMouseCursor(kCursorHand);
  g.OnMouseOut();
  EXPECT_EQ(g.mCursor, kCursorArrow);
  EXPECT_EQ(g.GetMouseOver(), nullptr);
}

TEST_F(GraphicsFixture, KeysGoToTheControlThenTheHandler)
{
  std::vector<std::pair<int, bool>> handled;
  g.SetKeyHandlerFunc(
      [&](const IKeyPress& key, bool isUp)
      {
        handled.push_back({key.VK, isUp});
        return true;
      });
  EXPECT_TRUE(g.OnKeyDown(300, 200, IKeyPress("a", 65))) << "the background does not take keys";
  EXPECT_TRUE(g.OnKeyUp(300, 200, IKeyPress("a", 65)));
  EXPECT_EQ(handled, (std::vector<std::pair<int, bool>>{{65, false}, {65, true}}));
  g.SetKeyHandlerFunc(nullptr);
  EXPECT_FALSE(g.OnKeyDown(300, 200, IKeyPress("a", 65)));
}

TEST_F(GraphicsFixture, WheelAndDropReachTheControlUnderThePoint)
{
  TestControl* t = Add(IRect(10, 10, 110, 110));
  g.OnMouseWheel(20, 20, IMouseMods(), 1.f);
  g.OnMouseWheel(300, 20, IMouseMods(), 1.f);
  EXPECT_EQ(t->mWheels, 1);
  EXPECT_EQ(bg->mWheels, 1);
}

TEST_F(GraphicsFixture, UsedTagLeavesTheControlUnattached)
{
  TestControl* first = Add(IRect(10, 10, 20, 20), kNoParameter, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->mSetup, "ibsa") << "init, bounds, scale, attached";
  auto* second = new TestControl(IRect(30, 30, 40, 40));
  EXPECT_EQ(g.AddControl(second, 1), nullptr);
  EXPECT_EQ(second->GetUI(), nullptr);
  EXPECT_EQ(second->mSetup, "");
  EXPECT_EQ(g.ControlWithTag(1), first);
  EXPECT_EQ(g.NControls(), 2);
  delete second; // still the caller's
  g.RemoveControlWithTag(1);
  EXPECT_EQ(g.ControlWithTag(1), nullptr);
  EXPECT_NE(g.AddControl(new TestControl(IRect(30, 30, 40, 40)), 1), nullptr) << "the tag is free again";
}

TEST_F(GraphicsFixture, ListChangedWhileWalked)
{
  TestControl* c1 = Add(IRect(0, 0, 10, 10), kNoParameter, -1, "c1");
  TestControl* c2 = Add(IRect(0, 0, 10, 10), kNoParameter, -1, "c2");
  Add(IRect(0, 0, 10, 10), kNoParameter, -1, "c3");
  std::vector<std::string> seen;
  g.ForEachListedControl(
      [&](IControl* c)
      {
        seen.push_back(NameOf(c));
        if (c == c1)
        {
          g.RemoveControl(c1); // itself
          g.RemoveControl(c2); // one not yet visited
          g.AddControl(new TestControl(IRect(0, 0, 10, 10), kNoParameter, "new"));
        }
      });
  EXPECT_EQ(seen, (std::vector<std::string>{"bg", "c1", "c3", "new"}));
  std::vector<std::string> after;
  g.ForEachListedControl([&](IControl* c) { after.push_back(NameOf(c)); });
  EXPECT_EQ(after, (std::vector<std::string>{"bg", "c3", "new"}));
}

TEST_F(GraphicsFixture, ControlRemovingItselfOnClick)
{
  TestControl* t = Add(IRect(10, 10, 110, 110), 0);
  t->mOnDown = [this](TestControl* self) { g.RemoveControl(self); };
  g.Down(20, 20);
  EXPECT_EQ(g.NControls(), 1);
  EXPECT_FALSE(g.ControlIsCaptured());
  g.Up(20, 20); // nothing left to release; no use after free
  g.ForEachControl([](IControl* c) { c->MarkDirty(false); });
}

TEST_F(GraphicsFixture, RemovingEverythingFromAHandler)
{
  TestControl* t = Add(IRect(10, 10, 110, 110));
  t->mOnDown = [this](TestControl*) { g.RemoveAllControls(); };
  g.Down(20, 20);
  EXPECT_EQ(g.NControls(), 0);
  g.Up(20, 20);
}

TEST_F(GraphicsFixture, GestureHandlers)
{
  TestControl* t = Add(IRect(10, 10, 110, 110));
  int pinches = 0;
  t->AttachGestureHandler(EGestureType::Pinch, [&](IControl*, const IGestureInfo&) { ++pinches; });
  IGestureInfo info;
  info.x = 20;
  info.y = 20;
  info.type = EGestureType::Pinch;
  g.OnGesture(info);
  EXPECT_EQ(pinches, 1);
  EXPECT_EQ(t->GetLastGesture(), EGestureType::Pinch);
  info.type = EGestureType::Rotate;
  EXPECT_FALSE(t->OnGesture(info));
  EXPECT_EQ(t->GetLastGesture(), EGestureType::Pinch);
}

TEST_F(GraphicsFixture, MultiTouchCaptures)
{
  g.EnableMultiTouch(true);
  TestControl* t = Add(IRect(10, 10, 110, 110));
  IMouseInfo first, second;
  first.x = second.x = 20;
  first.y = second.y = 20;
  first.ms.touchID = 1;
  second.ms.touchID = 2;
  g.OnMouseDown({first, second});
  EXPECT_EQ(t->mDowns, 1) << "a second touch is refused by a control that does not want it";
  g.OnMouseUp({first, second});
  t->SetWantsMultiTouch(true);
  g.OnMouseDown({first, second});
  EXPECT_EQ(t->mDowns, 3);
}

} // namespace

#if !defined(NDEBUG) && GTEST_HAS_DEATH_TEST && !defined(_WIN32)
#include <thread>

namespace
{
TEST(IGraphicsEventsDeathTest, UseFromAnotherThreadAsserts)
{
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_DEATH(
      {
        Editor e;
        std::thread other([&] { e.g.Down(20, 20); });
        other.join();
      },
      "user-interface thread");
}
} // namespace
#endif

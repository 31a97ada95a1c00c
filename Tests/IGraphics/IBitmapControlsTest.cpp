// Film-strip controls: frame arithmetic, knob drag and wheel, switches and
// the picture fetched again when the screen scale changes.
#include "GraphicsFixture.h"
#include "IBitmapControl.h"

namespace iplug_test
{
namespace
{

TEST(IBitmapBase, FrameForValue)
{
  struct Case
  {
    int frames;
    double value;
    int frame;
  };
  const Case cases[] = {
      {60, 0.0, 1},  {60, 1.0, 60}, {60, 0.5, 31}, {101, 0.5, 51},  {60, 1.2, 60},
      {60, -0.3, 1}, {1, 0.0, 1},   {1, 0.7, 1},   {1, 1.0, 1},     {2, 0.0, 1},
      {2, 1.0, 2},   {2, 0.49, 1},  {0, 0.5, 1},   {60, 1e300, 60}, {60, -1e300, 1},
  };
  for (const Case& c : cases)
  {
    APIBitmap bitmap(1, 40, 40 * std::max(c.frames, 1), 1.f);
    IBitmapRef ref(&bitmap, c.frames, false, "strip.png");
    IBitmapBase base(ref);
    EXPECT_EQ(base.FrameForValue(c.value), c.frame) << c.frames << " frames, value " << c.value;
  }
}

TEST(IBitmapRef, LogicalAndFrameSizes)
{
  struct Case
  {
    int pixelW, pixelH;
    float scale;
    int frames;
    bool horizontal;
    int w, h, fw, fh;
  };
  const Case cases[] = {
      {240, 14400, 2.f, 60, false, 120, 7200, 120, 120}, // the big knob
      {241, 14460, 2.f, 60, false, 120, 7230, 120, 120},
      {41, 20, 2.f, 1, false, 20, 10, 20, 10},
      {300, 50, 1.f, 3, true, 300, 50, 100, 50},
      {0, 0, 1.f, 5, false, 0, 0, 0, 0}, // a zero-size picture
  };
  for (const Case& c : cases)
  {
    APIBitmap bitmap(1, c.pixelW, c.pixelH, c.scale);
    IBitmapRef ref(&bitmap, c.frames, c.horizontal, "p.png");
    EXPECT_EQ(ref.W(), c.w) << c.pixelW << "x" << c.pixelH;
    EXPECT_EQ(ref.H(), c.h) << c.pixelW << "x" << c.pixelH;
    EXPECT_EQ(ref.FW(), c.fw) << c.pixelW << "x" << c.pixelH;
    EXPECT_EQ(ref.FH(), c.fh) << c.pixelW << "x" << c.pixelH;
  }
  IBitmapRef broken;
  broken.mN = 0; // a hand-made handle must not divide by zero
  EXPECT_EQ(broken.FW(), 0);
  EXPECT_EQ(broken.FH(), 0);
}

struct BitmapFixture : GraphicsFixture
{
  // 60 frames of 120 x 120 logical units, stacked, drawn from @2x pixels.
  APIBitmap knobPixels{1, 240, 14400, 2.f};
  IBitmapRef knob{&knobPixels, 60, false, "Knob.png"};
  APIBitmap buttonPixels{2, 30, 60, 1.f};
  IBitmapRef button{&buttonPixels, 2, false, "Button.png"};

  DrawCall DrawOnce(IControl* c)
  {
    g.mCalls.clear();
    c->Draw(g);
    auto calls = g.Calls("DrawBitmap");
    EXPECT_EQ(calls.size(), 1u);
    return calls.empty() ? DrawCall() : calls[0];
  }
};

TEST_F(BitmapFixture, SourceOffsetOfAFrame)
{
  struct Case
  {
    bool horizontal;
    double value;
    std::vector<float> args; // destination L, T, R, B, source x, y
  };
  // Frame 3 of a 5-frame strip of 50 x 250 logical units (100 x 500 pixels at scale 2).
  const Case cases[] = {
      {false, 0.5, {10, 20, 60, 70, 0, 100}},
      {true, 0.5, {10, 20, 20, 270, 20, 0}},
  };
  for (const Case& c : cases)
  {
    APIBitmap pixels(1, c.horizontal ? 100 : 100, 500, 2.f);
    IBitmapRef ref(&pixels, 5, c.horizontal, "strip.png");
    auto* control = new IBitmapControl(10, 20, ref, 3);
    g.AddControl(control);
    control->SetValue(c.value);
    EXPECT_EQ(DrawOnce(control).args, c.args) << c.horizontal;
  }
}

TEST_F(BitmapFixture, ConstructorsPlaceFrameSizedBounds)
{
  auto* knobControl = new IBKnobControl(IRect(100, 50, 300, 250), knob, 0);
  EXPECT_EQ(knobControl->GetRect(), IRect(140, 90, 260, 210)) << "centred in the given bounds";
  EXPECT_EQ(knobControl->GetHitRect(), knobControl->GetRect());
  auto* sw = new IBSwitchControl(5, 6, button, 2);
  EXPECT_EQ(sw->GetRect(), IRect(5, 6, 35, 36));
  EXPECT_EQ(sw->GetNStates(), 2);
  auto* picture = new IBitmapControl(1, 2, knob, kNoParameter, 3);
  EXPECT_EQ(picture->GetRect(), IRect(1, 2, 121, 122));
  EXPECT_EQ(picture->GetBlend().mMethod, 3);
  for (IControl* c : std::initializer_list<IControl*>{knobControl, sw, picture}) g.AddControl(c);
}

TEST_F(BitmapFixture, KnobDragGearing)
{
  struct Case
  {
    IMouseMods mods;
    float dy;
    double value;
  };
  const Case cases[] = {
      {IMouseMods(true), -284.f, 1.0},
      {IMouseMods(true), -142.f, 0.5},
      {IMouseMods(true, false, false, true), -2840.f, 1.0}, // Control
      {IMouseMods(true, false, true, false), -1420.f, 0.5}, // Shift
      {IMouseMods(true), 100.f, 0.0},                       // down from 0 stays at 0
      {IMouseMods(true), -1000.f, 1.0},                     // clamped
  };
  APIBitmap pixels(1, 71, 71 * 10, 1.f);
  IBitmapRef ref(&pixels, 10, false, "k.png");
  for (const Case& c : cases)
  {
    Editor e;
    auto* k = static_cast<IBKnobControl*>(e.g.AddControl(new IBKnobControl(0, 0, ref, 3)));
    ASSERT_EQ(k->GetRect().H(), 71.f);
    e.g.Down(30, 30, c.mods);
    EXPECT_TRUE(e.g.IsCursorHidden()) << "hidden while dragging";
    // In steps of one unit, as a mouse reports it.
    float step = c.dy < 0.f ? -1.f : 1.f;
    for (float moved = 0.f; moved != c.dy; moved += step) e.g.Drag(30, 30, 0, step, c.mods);
    EXPECT_NEAR(k->GetValue(), c.value, 1e-9) << c.dy;
    e.g.Up(30, 30, c.mods);
    EXPECT_FALSE(e.g.IsCursorHidden());
    EXPECT_FALSE(k->GetMouseIsDown());
  }
}

TEST_F(BitmapFixture, SteppedKnobSnapsWhileSlowDragsCrossSteps)
{
  // Mode: two steps. One unit of 120 at gearing 4 is 1/480 of the range.
  auto* k = static_cast<IBKnobControl*>(g.AddControl(new IBKnobControl(IRect(0, 0, 120, 120), knob, 1)));
  g.Down(60, 60);
  std::vector<double> seen;
  for (int i = 0; i < 300; ++i)
  {
    g.Drag(60, 60, 0, -1);
    seen.push_back(k->GetValue());
  }
  // The step boundary is half way, 240 moves up; well either side of it:
  for (size_t i = 0; i < seen.size(); ++i)
  {
    if (i + 1 > 235 && i + 1 < 245) continue;
    ASSERT_EQ(seen[i], i + 1 <= 235 ? 0.0 : 1.0) << "after " << i + 1 << " moves";
  }
  EXPECT_NEAR(k->GetDragValue(), 300.0 / 480.0, 1e-12) << "the drag keeps the unsnapped position";
  g.Up(60, 60);
  EXPECT_EQ(p.GetParam(1)->Value(), 1.0);
}

TEST_F(BitmapFixture, Wheel)
{
  struct Case
  {
    int param;
    double start;
    IMouseMods mods;
    float d;
    double value;
  };
  const Case cases[] = {
      {kNoParameter, 0.5, IMouseMods(), 1.f, 0.51},
      {kNoParameter, 0.5, IMouseMods(), -1.f, 0.49},
      {kNoParameter, 0.5, IMouseMods(false, false, true), 1.f, 0.501},
      {kNoParameter, 0.5, IMouseMods(false, false, false, true), -1.f, 0.499},
      {kNoParameter, 0.995, IMouseMods(), 1.f, 1.0}, // the sum is clamped at exactly 1
      {kNoParameter, 0.5, IMouseMods(), 0.f, 0.5},
      {0, 0.5, IMouseMods(), 1.f, 0.51}, // Drive has a step but is not a stepped parameter
      {1, 0.0, IMouseMods(), 1.f, 1.0},  // Mode: one whole step per wheel unit
      {1, 1.0, IMouseMods(), -1.f, 0.0},
      {1, 0.0, IMouseMods(false, false, true), 0.5f, 1.0}, // whatever the modifier and amount
      {1, 1.0, IMouseMods(), 0.f, 1.0},
      {1, 1.0, IMouseMods(), 1.f, 1.0},
  };
  for (const Case& c : cases)
  {
    Editor e;
    auto* k = static_cast<IBKnobControl*>(e.g.AddControl(new IBKnobControl(0, 0, knob, c.param)));
    k->SetValue(c.start);
    e.g.OnMouseWheel(60, 60, c.mods, c.d);
    if (c.value == 1.0)
      EXPECT_EQ(k->GetValue(), 1.0) << c.param << " " << c.start << " " << c.d;
    else
      EXPECT_NEAR(k->GetValue(), c.value, 1e-12) << c.param << " " << c.start << " " << c.d;
  }
}

TEST_F(BitmapFixture, RightClickOnUnboundKnobOpensNothingButDoesNotMoveIt)
{
  auto* k = static_cast<IBKnobControl*>(g.AddControl(new IBKnobControl(0, 0, knob, kNoParameter)));
  k->SetValue(0.3);
  g.Down(60, 60, IMouseMods(false, true));
  EXPECT_TRUE(g.mTextEntries.empty()) << "value entry needs a bound parameter";
  EXPECT_EQ(k->GetValue(), 0.3);
  g.Up(60, 60, IMouseMods(false, true));
}

TEST_F(BitmapFixture, TwoFrameSwitchTogglesOnEveryClick)
{
  auto* sw = static_cast<IBSwitchControl*>(g.AddControl(new IBSwitchControl(0, 0, button, 2)));
  std::vector<int> frames;
  auto frame = [&] { return static_cast<int>(DrawOnce(sw).args[5] / 30.f) + 1; };
  frames.push_back(frame());
  g.Down(5, 5);
  g.Up(5, 5);
  frames.push_back(frame());
  g.Down(5, 5);
  g.Up(5, 5);
  frames.push_back(frame());
  // A double click arrives as a second click.
  g.Down(5, 5);
  g.Up(5, 5);
  g.OnMouseDoubleClick(5, 5, IMouseMods(true));
  frames.push_back(frame());
  EXPECT_EQ(frames, (std::vector<int>{1, 2, 1, 1}));
  EXPECT_EQ(p.GetParam(2)->Value(), 0.0) << "the host heard every click";
}

// The switch behaviour with nothing drawn.
struct PlainSwitch : ISwitchControlBase
{
  using ISwitchControlBase::ISwitchControlBase;
  void Draw(IGraphics&) override {}
};

TEST_F(BitmapFixture, SwitchBaseCyclesThroughStates)
{
  struct Case
  {
    int states;
    std::vector<double> values;
  };
  const Case cases[] = {
      {2, {1.0, 0.0, 1.0}},
      {3, {0.5, 1.0, 0.0}},
      {5, {0.25, 0.5, 0.75, 1.0, 0.0}},
  };
  for (const Case& c : cases)
  {
    PlainSwitch sw(IRect(0, 0, 10, 10), kNoParameter, nullptr, c.states);
    EXPECT_TRUE(sw.GetMouseDblAsSingleClick());
    std::vector<double> values;
    for (size_t i = 0; i < c.values.size(); ++i)
    {
      sw.OnMouseDown(1, 1, IMouseMods(true));
      values.push_back(sw.GetValue());
    }
    for (size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], c.values[i], 1e-12) << c.states;
  }
}

TEST_F(BitmapFixture, SwitchTakesStateCountFromItsParameter)
{
  struct Case
  {
    int param;
    int states;
  };
  // Drive 0..10, Mode with two texts, Solo bool, unbound keeps its count.
  const Case cases[] = {{0, 11}, {1, 2}, {2, 2}, {kNoParameter, 4}};
  for (const Case& c : cases)
  {
    auto* sw = new PlainSwitch(IRect(0, 0, 10, 10), c.param, nullptr, 4);
    g.AddControl(sw);
    EXPECT_EQ(sw->GetNStates(), c.states) << c.param;
    EXPECT_FALSE(sw->GetStateDisabled(c.states)) << "outside the list counts as enabled";
  }
}

TEST_F(BitmapFixture, DisabledPictureDrawsAtAQuarter)
{
  auto* picture = static_cast<IBitmapControl*>(g.AddControl(new IBitmapControl(0, 0, knob, 3)));
  picture->SetDisabled(true);
  EXPECT_EQ(DrawOnce(picture).weight, 0.25f);
}

// A backend whose loads succeed for any name, with the pixel size scaled
// to the scale asked for, so a refetch at another scale is visible.
struct ScalingGraphics : TestGraphics
{
  using TestGraphics::TestGraphics;
  std::vector<std::unique_ptr<APIBitmap>> made;
  EResourceLocation LocateResource(const char* name, const char*, std::string& result) override
  {
    result = name;
    return kAbsolutePath;
  }
  APIBitmap* LoadAPIBitmap(const char* name, int scale, EResourceLocation, const char*) override
  {
    Record("LoadAPIBitmap", {static_cast<float>(scale)}, IColour(), 1.f, name);
    return new APIBitmap(scale, 120 * scale, 7200 * scale, static_cast<float>(scale));
  }
};

TEST(IBitmapControls, PictureFetchedAgainWhenTheScreenScaleChanges)
{
  GraphicsPlugin p;
  ScalingGraphics g(p);
  IBitmapRef ref = g.LoadBitmapResource("Knob.png", 60, false, 0);
  ASSERT_TRUE(ref.IsValid());
  auto* k = new IBKnobControl(0, 0, ref, 0);
  auto* sw = new IBSwitchControl(0, 0, ref, 2);
  auto* picture = new IBitmapControl(0, 0, ref);
  g.AddControl(k);
  g.AddControl(sw);
  g.AddControl(picture);
  g.SetScreenScale(1.5f);
  for (IBitmapBase* b : std::initializer_list<IBitmapBase*>{k, sw, picture})
  {
    EXPECT_EQ(b->GetBitmap().GetAPIBitmap()->GetScale(), 2.f) << "ceil of 1.5";
    EXPECT_EQ(b->GetBitmap().W(), 120) << "logical size unchanged";
    EXPECT_EQ(b->GetBitmap().N(), 60);
    EXPECT_EQ(std::string(b->GetBitmap().GetResourceName()), "Knob.png");
  }
  EXPECT_EQ(k->GetRect(), IRect(0, 0, 120, 120)) << "layout unchanged";
}

} // namespace
} // namespace iplug_test

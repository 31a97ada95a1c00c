// The radio-button row and the corner resize handle, checked through what
// they ask the recording backend to draw.
#include "GraphicsFixture.h"
#include "ICornerResizerControl.h"
#include "IVectorControls.h"

namespace iplug_test
{
namespace
{

// One filled or stroked path: its paint and the box around its points.
struct Painted
{
  std::string op; // "PathFill" or "PathStroke"
  IColour colour;
  float weight;
  IRect box;
};

std::vector<Painted> Paths(const RecordingBackend& g)
{
  std::vector<Painted> out;
  IRect box;
  bool any = false;
  auto add = [&](float x, float y)
  {
    box = any ? IRect(std::min(box.L, x), std::min(box.T, y), std::max(box.R, x), std::max(box.B, y))
              : IRect(x, y, x, y);
    any = true;
  };
  for (const DrawCall& c : g.mCalls)
  {
    if (c.op == "PathClear") any = false;
    if (c.op == "PathMoveTo" || c.op == "PathLineTo") add(c.args[0], c.args[1]);
    if (c.op == "PathFill" || c.op == "PathStroke") out.push_back({c.op, c.colour, c.weight, box});
  }
  return out;
}

const IColour kFace(255, 200, 200, 200), kOn(255, 255, 255, 255), kHover(255, 30, 40, 50),
    kShadow(255, 1, 2, 3), kGrey(255, 130, 130, 130), kBack(255, 9, 9, 9), kFrame(255, 70, 70, 70);

IVectorStyle SelectorStyle(bool frame, bool shadows)
{
  IVectorStyle style;
  style.showLabel = false;
  style.showValue = false;
  style.drawFrame = frame;
  style.drawShadows = shadows;
  style.frameThickness = 1.f;
  style.shadowOffset = 3.f;
  style.colours.SetColour(kBG, kBack);
  style.colours.SetColour(kFG, kFace);
  style.colours.SetColour(kPR, kOn);
  style.colours.SetColour(kFR, kFrame);
  style.colours.SetColour(kHL, kHover);
  style.colours.SetColour(kSH, kShadow);
  style.colours.SetColour(kX1, kGrey);
  return style;
}

struct RadioFixture : GraphicsFixture
{
  IVRadioButtonControl* AddRadio(bool frame = false, bool shadows = false)
  {
    return static_cast<IVRadioButtonControl*>(
        g.AddControl(new IVRadioButtonControl(IRect(275, 221, 438, 233), 1, {"Saturator", "Exciter"}, "",
                                              SelectorStyle(frame, shadows), kVShapeRectangle, 1, 10.f)));
  }
};

TEST_F(RadioFixture, CellsAndClicks)
{
  IVRadioButtonControl* radio = AddRadio();
  ASSERT_EQ(radio->GetCells().size(), 2u);
  EXPECT_EQ(radio->GetCells()[0], IRect(275, 221, 356.5f, 233));
  EXPECT_EQ(radio->GetCells()[1], IRect(356.5f, 221, 438, 233));
  EXPECT_EQ(radio->GetHitRect(), IRect(275, 221, 438, 233)) << "no label or value: the widget is all";
  struct Case
  {
    float x, y;
    int option; // -1: outside
    double value;
  };
  const Case cases[] = {
      {400, 227, 1, 1.0},    {300, 227, 0, 0.0},  {356.5f, 227, 1, 1.0}, {356.4f, 227, 0, 0.0},
      {437.9f, 232, 1, 1.0}, {438, 227, -1, 0.0}, {300, 234, -1, 0.0},
  };
  for (const Case& c : cases)
  {
    EXPECT_EQ(radio->GetIndexForPt(c.x, c.y), c.option) << c.x << "," << c.y;
    EXPECT_EQ(radio->HitTest(c.x, c.y), c.option >= 0) << c.x << "," << c.y;
    p.mCalls.clear();
    g.Down(c.x, c.y);
    g.Up(c.x, c.y);
    if (c.option < 0) continue;
    EXPECT_EQ(radio->GetValue(), c.value) << c.x;
    EXPECT_EQ(p.GetParam(1)->Value(), c.value) << "the host hears the choice";
    EXPECT_GE(p.Count("send"), 1);
  }
}

TEST_F(RadioFixture, ShownValueWithoutValueTextLeavesTheCellsClickable)
{
  // The editor's mode selector shows its value in a 17-unit font inside a
  // 12-unit rectangle: the switch has no value text, so nothing is taken.
  IVectorStyle style = SelectorStyle(true, true);
  style.showValue = true;
  style.valueText.mSize = 17.f;
  auto* radio = static_cast<IVRadioButtonControl*>(g.AddControl(new IVRadioButtonControl(
      IRect(275, 221, 438, 233), 1, {"Saturator", "Exciter"}, "", style, kVShapeRectangle, 1, 14.f)));
  EXPECT_EQ(radio->GetHitRect(), IRect(275, 221, 438, 233));
  EXPECT_EQ(radio->GetIndexForPt(400, 227), 1);
}

TEST_F(RadioFixture, OptionsAndLabelFromTheParameter)
{
  auto* radio = static_cast<IVRadioButtonControl*>(
      g.AddControl(new IVRadioButtonControl(IRect(0, 0, 100, 40), 1, {}, "", SelectorStyle(false, false))));
  EXPECT_EQ(radio->NOptions(), 2);
  EXPECT_EQ(radio->GetNStates(), 2);
  EXPECT_EQ(radio->GetLabelStr(), "Mode");
  EXPECT_EQ(radio->GetCells()[1], IRect(0, 20, 100, 40)) << "stacked by default";
}

TEST_F(RadioFixture, TextColoursFollowTheSelection)
{
  IVRadioButtonControl* radio = AddRadio();
  for (double value : {0.0, 1.0})
  {
    radio->SetValue(value);
    g.mCalls.clear();
    radio->Draw(g);
    auto texts = g.Calls("DrawText");
    ASSERT_EQ(texts.size(), 2u);
    int selected = static_cast<int>(value);
    for (int i = 0; i < 2; ++i)
    {
      EXPECT_EQ(texts[i].text, i == 0 ? "Saturator" : "Exciter");
      EXPECT_EQ(texts[i].colour, i == selected ? kOn : kGrey) << value << " option " << i;
      // Left-aligned beside the button column (1.5 x the button size).
      EXPECT_EQ(texts[i].args[0], radio->GetCells()[i].L + 15.f);
    }
  }
}

TEST_F(RadioFixture, PressableButtons)
{
  struct Case
  {
    bool frame, shadows, hovered, disabled;
    double value; // option 0 is selected at 0
    // Fill colours of option 0's button, in order, then whether it is framed.
    std::vector<IColour> fills0;
    IRect face0;
  };
  const IColour faceOff(255, 137, 137, 137), faceOn(255, 192, 192, 192), shadow(255, 1, 2, 3);
  // Option 0's button: side 10 centred at (275 + 7.5, 227).
  const Case cases[] = {
      {false, false, false, false, 0.0, {kOn}, IRect(277.5f, 222, 287.5f, 232)},
      {false, false, false, false, 1.0, {kFace}, IRect(277.5f, 222, 287.5f, 232)},
      {false, false, true, false, 1.0, {kFace, kHover}, IRect(277.5f, 222, 287.5f, 232)},
      {false, false, true, false, 0.0, {kOn, kHover}, IRect(277.5f, 222, 287.5f, 232)},
      {false, true, false, false, 1.0, {kShadow, kFace}, IRect(280.5f, 222, 284.5f, 229)},
      {false, true, false, false, 0.0, {kOn}, IRect(280.5f, 222, 284.5f, 229)},
      {true, false, false, false, 1.0, {kFace}, IRect(278, 222.5f, 287, 231.5f)},
      {true, true, false, true, 1.0, {shadow, faceOff}, IRect(281, 222.5f, 284, 228.5f)},
      {false, false, false, true, 0.0, {faceOn}, IRect(277.5f, 222, 287.5f, 232)},
  };
  for (const Case& c : cases)
  {
    Editor e;
    auto* radio = static_cast<IVRadioButtonControl*>(e.g.AddControl(
        new IVRadioButtonControl(IRect(275, 221, 438, 233), 1, {"Saturator", "Exciter"}, "",
                                 SelectorStyle(c.frame, c.shadows), kVShapeRectangle, 1, 10.f)));
    e.g.SetHoverEnabled(true);
    radio->SetValue(c.value);
    radio->SetDisabled(c.disabled);
    if (c.hovered) e.g.OnMouseOver(280, 227, IMouseMods());
    EXPECT_EQ(radio->GetHoveredOption(), c.hovered ? 0 : -1);
    e.g.mCalls.clear();
    radio->Draw(e.g);
    std::vector<Painted> paths = Paths(e.g);
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(paths[0].colour, kBack) << "background first";
    EXPECT_EQ(paths[0].box, IRect(275, 221, 438, 233));
    // Option 0's paths come next, up to the first at option 1's column.
    std::vector<IColour> fills;
    bool framed = false;
    for (size_t i = 1; i < paths.size() && paths[i].box.L < 356.5f; ++i)
    {
      const IRect expected =
          paths[i].colour == shadow || paths[i].colour == kShadow ? c.face0.GetTranslated(3.f, 3.f) : c.face0;
      EXPECT_EQ(paths[i].box, expected) << i;
      EXPECT_EQ(paths[i].weight, c.disabled ? 0.25f : 1.f);
      if (paths[i].op == "PathFill")
        fills.push_back(paths[i].colour);
      else
        framed = paths[i].colour == kFrame;
    }
    EXPECT_EQ(fills, c.fills0) << c.frame << c.shadows << c.hovered << c.disabled << c.value;
    EXPECT_EQ(framed, c.frame);
  }
}

TEST(IVectorBase, DisabledDarkensBy63)
{
  struct Case
  {
    IColour in, out;
  };
  const Case cases[] = {
      {IColour(255, 200, 100, 63), IColour(255, 137, 37, 0)},
      {IColour(128, 30, 255, 64), IColour(128, 0, 192, 1)},
  };
  for (const Case& c : cases) EXPECT_EQ(IVectorBase::Darkened(c.in), c.out);
}

struct ResizerFixture : GraphicsFixture
{
  const IColour normal{255, 1, 0, 0}, over{255, 2, 0, 0}, drag{255, 3, 0, 0};
  ResizerFixture() { g.AddCornerResizer(kResizeModeScale, false, normal, over, drag, 20.f); }
  IColour TriangleColour()
  {
    g.mCalls.clear();
    g.GetCornerResizer()->Draw(g);
    auto fills = g.Calls("PathFill");
    return fills.empty() ? IColour() : fills[0].colour;
  }
};

TEST_F(ResizerFixture, BoundsFollowTheDrawScale)
{
  struct Case
  {
    float scale;
    IRect bounds;
  };
  const Case cases[] = {{1.f, IRect(560, 230, 580, 250)},
                        {1.5f, IRect(580 - 20 / 1.5f, 250 - 20 / 1.5f, 580, 250)}};
  for (const Case& c : cases)
  {
    g.Resize(580, 250, c.scale);
    EXPECT_EQ(g.GetCornerResizer()->GetRect(), c.bounds) << c.scale;
    EXPECT_EQ(g.GetCornerResizer()->GetHitRect(), c.bounds) << c.scale;
  }
}

TEST_F(ResizerFixture, ColourAndCursorByState)
{
  g.SetHoverEnabled(true);
  g.mCursor = kCursorHand;
  EXPECT_EQ(TriangleColour(), normal);
  g.OnMouseOver(575, 245, IMouseMods());
  EXPECT_EQ(g.mCursor, kCursorSizeNWSE);
  EXPECT_EQ(static_cast<int>(kCursorSizeNWSE), 5);
  EXPECT_EQ(TriangleColour(), over);
  g.OnMouseOver(576, 246, IMouseMods());
  g.OnMouseOver(10, 10, IMouseMods());
  EXPECT_EQ(g.mCursor, kCursorHand) << "the shape from before the hover";
  EXPECT_EQ(TriangleColour(), normal);
  g.Down(576, 246);
  EXPECT_EQ(TriangleColour(), drag);
}

TEST_F(ResizerFixture, DoubleClickReturnsToTheCreationSizeAtScale1)
{
  g.Resize(700, 300, 1.5f);
  p.mHostResizes.clear();
  IRect r = g.GetCornerResizer()->GetRect();
  g.OnMouseDoubleClick(r.MW(), r.MH(), IMouseMods(true));
  EXPECT_EQ(g.Width(), 580);
  EXPECT_EQ(g.Height(), 250);
  EXPECT_EQ(g.GetDrawScale(), 1.f);
  EXPECT_EQ(p.mHostResizes, (std::vector<HostResize>{{580, 250, true}}));
}

} // namespace
} // namespace iplug_test

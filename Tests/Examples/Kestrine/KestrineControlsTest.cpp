// The editor's three knob classes on the test graphics context: their
// rectangles, value text, Alt-click reset, value entry and what they leave
// alone (cursor, right-click, hover).
#include "GraphicsFixture.h"
#include "IPlugParameter.h"
#include "KestrineControls.h"

#include <memory>

namespace iplug_test
{
namespace
{

const ITextStyle kKnobText(17.f, kColourWhite, kDefaultFontID, kAlignCentre, kVAlignBottom);

enum EKnobKind
{
  kSmall,
  kSmall2,
  kBig
};

IKestrineKnobBase* MakeKnob(EKnobKind kind, const IRect& bounds, const IBitmapRef& bitmap, int paramIdx)
{
  switch (kind)
  {
  case kSmall:
    return new IKnobControl(bounds, bitmap, paramIdx, kKnobText);
  case kSmall2:
    return new IKnobControl2(bounds, bitmap, paramIdx, kKnobText);
  default:
    return new IBigKnobControl(bounds, bitmap, paramIdx, kKnobText);
  }
}

struct KnobFixture : GraphicsFixture
{
  // 60 frames of 70 x 71 logical units, from @2x pixels.
  APIBitmap pixels{1, 140, 142 * 60, 2.f};
  IBitmapRef strip{&pixels, 60, false, "TrimKnob.png"};

  IKestrineKnobBase* Add(EKnobKind kind, int paramIdx = 0)
  {
    return static_cast<IKestrineKnobBase*>(
        g.AddControl(MakeKnob(kind, IRect(100, 40, 170, 111), strip, paramIdx)));
  }
};

TEST_F(KnobFixture, Rectangles)
{
  struct Case
  {
    EKnobKind kind;
    IRect text;
  };
  const Case cases[] = {
      {kSmall, IRect(100, 93, 170, 115)},
      {kSmall2, IRect(100, 93, 170, 115)},
      {kBig, IRect(100, 40, 170, 109)},
  };
  for (const Case& c : cases)
  {
    Editor e;
    IKestrineKnobBase* k = MakeKnob(c.kind, IRect(100, 40, 170, 111), strip, 0);
    e.g.AddControl(k);
    EXPECT_EQ(k->GetRect(), IRect(100, 40, 170, 111)) << c.kind;
    EXPECT_EQ(k->GetTextRect(), c.text) << c.kind;
    EXPECT_EQ(k->GetKnobRect(), IRect(100, 40, 170, 111)) << c.kind;
    EXPECT_FALSE(k->GetPromptDisabled());
    EXPECT_EQ(k->GetGearing(), 4.0);
    EXPECT_EQ(k->GetDirection(), kVertical);
  }
  // Bounds larger than a frame: the picture sits at the top left.
  Editor e;
  auto* big = MakeKnob(kBig, IRect(0, 0, 100, 100), strip, 0);
  e.g.AddControl(big);
  EXPECT_EQ(big->GetKnobRect(), IRect(0, 0, 70, 71));
  EXPECT_EQ(big->GetTextRect(), IRect(0, 0, 100, 98));
}

TEST_F(KnobFixture, DrawsFrameAndValueText)
{
  struct Case
  {
    EKnobKind kind;
    double drive; // dB
    bool disabled;
    int frame;
    std::string text;
  };
  const Case cases[] = {
      {kSmall, 3.0, false, 19, "3.0 dB"}, // 0.3 of 59 frames: int(17.7 + 0.5) + 1
      {kBig, 10.0, false, 60, "10.0 dB"},
      {kSmall2, 0.0, true, 1, "0.0 dB"},
      {kBig, 5.0, true, 31, "5.0 dB"},
  };
  for (const Case& c : cases)
  {
    Editor e;
    IKestrineKnobBase* k = MakeKnob(c.kind, IRect(100, 40, 170, 111), strip, 0);
    e.g.AddControl(k);
    e.p.GetParam(0)->SetValue(c.drive);
    k->SetValueFromPlugin(e.p.GetParam(0)->GetNormal());
    k->SetDisabled(c.disabled);
    e.g.mCalls.clear();
    k->Draw(e.g);
    auto bitmaps = e.g.Calls("DrawBitmap");
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(bitmaps[0].args,
              (std::vector<float>{100, 40, 170, 111, 0, 71.f * static_cast<float>(c.frame - 1)}));
    EXPECT_EQ(bitmaps[0].weight, c.disabled ? 0.25f : 1.f);
    auto texts = e.g.Calls("DrawText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, c.text);
    EXPECT_EQ(texts[0].weight, 1.f) << "the text stays opaque";
    EXPECT_EQ(texts[0].colour, kColourWhite);
    const IRect& r = k->GetTextRect();
    EXPECT_EQ(texts[0].args, (std::vector<float>{r.L, r.T, r.R, r.B}));
  }
}

TEST_F(KnobFixture, EmptyTextDrawsNothing)
{
  // A parameter whose display text and unit label are empty, and no parameter.
  p.GetParam(3)->DefineDouble("Blank", 0., 0., 1., 0.01, "", 0, "", ShapeLinear(), kUnitGeneric,
                              [](double, char* out) { out[0] = '\0'; });
  for (int paramIdx : {3, kNoParameter})
  {
    IKestrineKnobBase* k = Add(kSmall, paramIdx);
    g.mCalls.clear();
    k->Draw(g);
    EXPECT_EQ(g.Count("DrawBitmap"), 1);
    EXPECT_EQ(g.Count("DrawText"), 0) << paramIdx;
  }
}

TEST_F(KnobFixture, AltClickResetsAndTheDragStartsFromBefore)
{
  IKestrineKnobBase* k = Add(kBig);
  p.GetParam(0)->SetValue(6.0);
  k->SetValueFromPlugin(0.6);
  p.mCalls.clear();
  g.Down(130, 70, IMouseMods(true, false, false, false, true));
  EXPECT_EQ(k->GetValue(), 0.0) << "Drive's default";
  EXPECT_EQ(p.GetParam(0)->Value(), 0.0);
  EXPECT_GE(p.Count("send"), 1) << "the host is informed";
  EXPECT_EQ(k->GetDragValue(), 0.6);
  g.Drag(130, 69, 0, -1, IMouseMods(true));
  EXPECT_NEAR(k->GetValue(), 0.6 + 1.0 / (71.0 * 4.0), 1e-12) << "continues from before the reset";
  g.Up(130, 69);
}

TEST_F(KnobFixture, DoubleClickPromptsWithLargerText)
{
  IKestrineKnobBase* k = Add(kSmall);
  g.OnMouseDoubleClick(130, 70, IMouseMods(true));
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mTextEntries[0].style.mSize, 21.25f);
  EXPECT_EQ(k->GetTextStyle().mSize, 17.f) << "restored after";
  const IRect& r = g.mTextEntries[0].bounds;
  EXPECT_NEAR(r.W(), 53.333, 1e-3);
  EXPECT_NEAR(r.H(), 21.333, 1e-3);
  EXPECT_FLOAT_EQ(r.MW(), k->GetRect().MW());
  EXPECT_FLOAT_EQ(r.MH(), k->GetRect().MH());
}

TEST_F(KnobFixture, NoCursorHidingRightClickOrHover)
{
  IKestrineKnobBase* k = Add(kSmall);
  k->SetValueFromPlugin(0.5);
  g.Down(130, 70);
  EXPECT_FALSE(g.IsCursorHidden());
  g.Drag(130, 60, 0, -10);
  EXPECT_FALSE(g.IsCursorHidden());
  g.Up(130, 60);
  double value = k->GetValue();
  g.Down(130, 70, IMouseMods(false, true));
  g.Up(130, 70, IMouseMods(false, true));
  EXPECT_TRUE(g.mTextEntries.empty()) << "right-click opens no value entry";
  EXPECT_EQ(k->GetValue(), value);
  g.SetHoverEnabled(true);
  g.ClearAllDirty();
  g.OnMouseOver(130, 70, IMouseMods());
  EXPECT_FALSE(k->GetMouseIsOver());
  EXPECT_FALSE(k->IsDirty());
}

TEST_F(KnobFixture, WheelSteps)
{
  IKestrineKnobBase* k = Add(kSmall, 3);
  k->SetValueFromPlugin(0.5);
  g.OnMouseWheel(130, 70, IMouseMods(), 1.f);
  EXPECT_NEAR(k->GetValue(), 0.51, 1e-12);
  g.OnMouseWheel(130, 70, IMouseMods(false, false, true), -1.f);
  EXPECT_NEAR(k->GetValue(), 0.509, 1e-12);
}

} // namespace
} // namespace iplug_test

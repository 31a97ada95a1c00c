// The effect's editor opened the way the host binding opens it (the
// delegate's OpenEditor inside a window of the test's own, on this
// platform's real window and drawing backend): the layout, the dimming of
// the exciter controls and the meter refresh.
#include "AAX_Exports.h"
#include "EditorDrawn.h"
#include "EditorHostWindow.h"
#include "KestrineEffectHarness.h"

#include "IBitmapControl.h"
#include "ICornerResizerControl.h"
#include "IGraphics.h"
#include "IVectorControls.h"
#include "IGraphicsNanoVG.h"
#include "KestrineControls.h"
#include "VectorTestSupport.h"

#include <cmath>
#include <typeinfo>

#include <gtest/gtest.h>

using namespace iplug;
using namespace iplug::igraphics;

namespace
{

class KestrineEditorTest : public testing::Test
{
protected:
  void SetUp() override
  {
    // The editor finds its pictures through the module handle, here the
    // test program's own (its resources are embedded from the same list).
    AAX::SetModuleHandle(kestrine_test::TestModuleHandle());
    mHost = kestrine_test::EditorHostWindow::Create(900, 400);
    ASSERT_NE(mHost, nullptr) << "no display to open the editor on (./kestrine starts Xvfb)";
  }
  void TearDown() override
  {
    if (mEffect) mEffect->CloseEditor();
  }
  // Opens the editor of a new effect (Mode set first when mode >= 0).
  IGraphics& Open(double mode = -1.)
  {
    mHarness = std::make_unique<KestrineHarness>(48000., mChannels);
    mEffect = mHarness->effect.get();
    if (mode >= 0.) mHarness->Set(kMode, mode);
    EXPECT_NE(mEffect->OpenEditor(mHost->Handle()), nullptr);
    IGraphics* g = mEffect->GetUI();
    EXPECT_NE(g, nullptr);
    return *g;
  }
  // Runs the window and the framework timers until the editor has drawn
  // everything it shows; false at the deadline.
  bool DrawFirstFrame(const IGraphics& g)
  {
    return mHost->PumpUntil([&g] { return kestrine_test::NothingLeftToDraw(g); },
                            [] { iplug::Timer::PumpAll(); });
  }
  // A parameter change from the host side reaching the editor on the next
  // framework timer tick.
  void HostSets(int paramIdx, double value)
  {
    mHarness->Set(paramIdx, value);
    mEffect->QueueParamForEditor(paramIdx, value, false);
    mEffect->TimerTick();
  }

  int mChannels = 2;
  std::unique_ptr<kestrine_test::EditorHostWindow> mHost;
  std::unique_ptr<KestrineHarness> mHarness;
  Kestrine* mEffect = nullptr;
};

bool SameRect(const IRect& a, const IRect& b)
{
  return a.L == b.L && a.T == b.T && a.R == b.R && a.B == b.B;
}

std::string Describe(const IRect& r)
{
  return "(" + std::to_string(r.L) + ", " + std::to_string(r.T) + ", " + std::to_string(r.R) + ", " +
         std::to_string(r.B) + ")";
}

TEST_F(KestrineEditorTest, LayoutPlacesEveryControlWithItsParameterAndTag)
{
  IGraphics& g = Open();
  struct Row
  {
    const char* what;
    const std::type_info& type;
    IRect rect;
    int param;
    int tag;
  };
  const Row rows[] = {
      {"background", typeid(IBitmapControl), IRect(0, 0, 580, 250), kNoParameter, -1},
      {"bypass", typeid(IBSwitchControl), IRect(512, 212, 541, 241), kBypass, -1},
      {"left meter", typeid(IBitmapControl), IRect(320, 49, 340, 169), kNoParameter, 1},
      {"right meter", typeid(IBitmapControl), IRect(362, 49, 382, 169), kNoParameter, 2},
      {"drive", typeid(IBigKnobControl), IRect(20, 51, 140, 171), kDrive, -1},
      {"io trim", typeid(IKnobControl), IRect(491, 116, 562, 187), kIOTrim, -1},
      {"low trim", typeid(IKnobControl2), IRect(147, 64, 218, 135), kLowTrim, -1},
      {"high trim", typeid(IKnobControl2), IRect(227, 64, 298, 135), kHighTrim, -1},
      {"low eq", typeid(IKnobControl), IRect(160, 141, 206, 179), kLowEQ, -1},
      {"high eq", typeid(IKnobControl), IRect(240, 141, 286, 179), kHighEQ, -1},
      {"mix", typeid(IKnobControl), IRect(408, 123, 469, 184), kMix, -1},
      {"hpf", typeid(IKnobControl), IRect(408, 41, 469, 102), kHPF, -1},
      {"solo", typeid(IBSwitchControl), IRect(519, 58, 533, 72), kSolo, -1},
      {"mode", typeid(IVRadioButtonControl), IRect(275, 221, 438, 233), kMode, -1},
  };
  ASSERT_EQ(g.NControls(), static_cast<int>(std::size(rows)));
  for (int i = 0; i < g.NControls(); ++i)
  {
    const Row& row = rows[i];
    SCOPED_TRACE(row.what);
    IControl* c = g.GetControl(i);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(typeid(*c), row.type);
    EXPECT_TRUE(SameRect(c->GetRect(), row.rect)) << Describe(c->GetRect());
    EXPECT_EQ(c->GetParamIdx(), row.param);
    if (row.tag >= 0)
    {
      EXPECT_EQ(g.ControlWithTag(row.tag), c);
    }
  }
  // Every picture was found among the module's resources at its size.
  EXPECT_EQ(static_cast<IBitmapControl*>(g.GetControl(0))->GetBitmap().FH(), 250);
  auto* mode = dynamic_cast<IVRadioButtonControl*>(g.GetControl(13));
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->NOptions(), 2);
  EXPECT_EQ(mode->GetButtonSize(), 14.f);

  ICornerResizerControl* corner = g.GetCornerResizer();
  ASSERT_NE(corner, nullptr);
  EXPECT_TRUE(SameRect(corner->GetRect(), IRect(565, 235, 580, 250))) << Describe(corner->GetRect());
  EXPECT_EQ(g.GetMinScale(), 0.67f);
  EXPECT_EQ(g.GetMaxScale(), 1.5f);
  EXPECT_TRUE(g.HoverEnabled());
  EXPECT_TRUE(mEffect->EditorBuilt());
  EXPECT_EQ(g.Width(), 580);
  EXPECT_EQ(g.Height(), 250);
}

// Disabled state of the Mix, HPF and Solo controls, in that order, and of
// every other control.
struct Dimming
{
  bool mix, hpf, solo, others;
};

Dimming DimmingOf(IGraphics& g)
{
  Dimming d{false, false, false, false};
  for (int i = 0; i < g.NControls(); ++i)
  {
    IControl* c = g.GetControl(i);
    const bool off = c->IsDisabled();
    switch (c->GetParamIdx())
    {
    case kMix:
      d.mix = off;
      break;
    case kHPF:
      d.hpf = off;
      break;
    case kSolo:
      d.solo = off;
      break;
    default:
      d.others = d.others || off;
    }
  }
  return d;
}

TEST_F(KestrineEditorTest, SaturatorModeDimsExactlyTheExciterControls)
{
  struct Step
  {
    const char* what;
    int param;
    double value;
    bool dimmed;
  };
  const Step steps[] = {
      {"exciter", kMode, 1., false},  {"bypass on", kBypass, 1., false},
      {"saturator", kMode, 0., true}, {"bypass off", kBypass, 0., true},
      {"drive", kDrive, 12., true},   {"exciter again", kMode, 1., false},
  };
  IGraphics& g = Open();
  // Saturator is the default: dimmed from the first frame.
  Dimming d = DimmingOf(g);
  EXPECT_TRUE(d.mix && d.hpf && d.solo);
  EXPECT_FALSE(d.others);
  for (const Step& s : steps)
  {
    SCOPED_TRACE(s.what);
    HostSets(s.param, s.value);
    d = DimmingOf(g);
    EXPECT_EQ(d.mix, s.dimmed);
    EXPECT_EQ(d.hpf, s.dimmed);
    EXPECT_EQ(d.solo, s.dimmed);
    EXPECT_FALSE(d.others);
    for (int i = 0; i < g.NControls(); ++i)
    {
      IControl* c = g.GetControl(i);
      const int p = c->GetParamIdx();
      if (p == kMix || p == kHPF || p == kSolo)
      {
        EXPECT_EQ(c->GetBlend().mWeight, s.dimmed ? 0.25f : 1.f);
      }
    }
  }
}

TEST_F(KestrineEditorTest, OpeningInExciterModeShowsTheExciterControlsFromTheFirstFrame)
{
  IGraphics& g = Open(1.);
  const Dimming d = DimmingOf(g);
  EXPECT_FALSE(d.mix || d.hpf || d.solo || d.others);
}

// The meter's frame as it draws: clamp(int(value * 59 + 0.5) + 1, 1, 60).
int MeterFrame(IGraphics& g, int tag)
{
  const double v = g.ControlWithTag(tag)->GetValue();
  return std::min(60, std::max(1, static_cast<int>(v * 59. + 0.5) + 1));
}

std::vector<std::vector<float>> Sine(int channels, float amplitude, int frames)
{
  std::vector<std::vector<float>> in(static_cast<size_t>(channels), std::vector<float>(frames));
  for (auto& ch : in)
    for (int i = 0; i < frames; ++i) ch[i] = amplitude * sinf(6.28318f * 220.f * i / 48000.f);
  return in;
}

TEST_F(KestrineEditorTest, MetersFollowTheGainReductionOnTheIdleTickAfterNewData)
{
  struct Case
  {
    const char* what;
    int channels;
    float amplitude;
    double drive;
    bool bypass;
    int leftFrame, rightFrame; // 0: the frame of log10(level) x 3.3333f, checked exactly
  };
  const Case cases[] = {
      {"silence", 2, 0.f, 0., false, 1, 1},
      {"moderate", 2, 0.5f, 6., false, 0, 0},
      {"hot: 6 dB or more of reduction", 2, 1.f, 30., false, 60, 60},
      {"mono: the right level is 0", 1, 1.f, 30., false, 60, 1},
      {"bypass", 2, 1.f, 30., true, 1, 1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    mChannels = c.channels;
    IGraphics& g = Open();
    mHarness->Set(kDrive, c.drive);
    mHarness->Set(kBypass, c.bypass ? 1. : 0.);
    mHarness->Process(Sine(c.channels, c.amplitude, 48000 / 4));
    mEffect->TimerTick();
    const float levels[2] = {mEffect->GetMeter(0), mEffect->GetMeter(1)};
    for (int ch = 0; ch < 2; ++ch)
    {
      const int tag = ch + 1;
      const int want = ch == 0 ? c.leftFrame : c.rightFrame;
      const double value = g.ControlWithTag(tag)->GetValue();
      if (c.bypass)
        EXPECT_EQ(value, 0.);
      else if (levels[ch] > 0.f)
        EXPECT_EQ(value, std::min(1., static_cast<double>(log10f(levels[ch]) * 3.3333f)));
      else
        EXPECT_EQ(value, 0.); // minus infinity, clamped
      if (want)
      {
        EXPECT_EQ(MeterFrame(g, tag), want) << "level " << levels[ch];
      }
    }
    // No new block: the next tick leaves the meters alone.
    g.ControlWithTag(1)->SetValueFromPlugin(0.5);
    mEffect->TimerTick();
    EXPECT_EQ(g.ControlWithTag(1)->GetValue(), 0.5);
    mEffect->CloseEditor();
  }
}

TEST_F(KestrineEditorTest, ReopensAfterClosingAndRemembersTheScale)
{
  for (int round = 0; round < 3; ++round)
  {
    IGraphics& g = Open();
    ASSERT_TRUE(DrawFirstFrame(g));
    EXPECT_EQ(g.NControls(), 14);
    mEffect->CloseEditor();
    EXPECT_EQ(mEffect->GetUI(), nullptr);
    EXPECT_NE(mEffect->OpenEditor(mHost->Handle()), nullptr);
    mEffect->GetUI()->Resize(580, 250, 1.5f);
    mEffect->CloseEditor();
    EXPECT_EQ(mEffect->GetLastScale(), 1.5f);
    EXPECT_NE(mEffect->OpenEditor(mHost->Handle()), nullptr);
    EXPECT_EQ(mEffect->GetUI()->GetDrawScale(), 1.5f);
    ASSERT_TRUE(DrawFirstFrame(*mEffect->GetUI()));
    mEffect->CloseEditor();
  }
}

// The editor as it draws at each of its scale limits and at 1, after the
// first frames, compared with the stored pictures (within the few levels an
// antialiased edge moves between OpenGL implementations).
TEST_F(KestrineEditorTest, DrawsAsTheStoredPicturesAtEachScale)
{
  struct Case
  {
    float scale;
    const char* golden;
    int w, h;
  } const cases[] = {
      {1.f, "kestrine_editor_1x", 580, 250},
      {1.5f, "kestrine_editor_1.5x", 870, 375},
      {0.67f, "kestrine_editor_0.67x", 388, 167},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.golden);
    IGraphics& g = Open();
    if (c.scale != 1.f) g.Resize(580, 250, c.scale);
    ASSERT_TRUE(DrawFirstFrame(g));
    auto& backend = static_cast<IGraphicsNanoVG&>(g);
    kvg_test::Picture picture;
    picture.w = backend.FramebufferWidth();
    picture.h = backend.FramebufferHeight();
    EXPECT_EQ(picture.w, c.w);
    EXPECT_EQ(picture.h, c.h);
    backend.ActivateGLContext();
    backend.ReadFramebuffer(picture.rgba);
    backend.DeactivateGLContext();
    ASSERT_EQ(picture.rgba.size(), static_cast<size_t>(c.w) * c.h * 4);
    EXPECT_TRUE(kvg_test::MatchesGolden(c.golden, picture));
    mEffect->CloseEditor();
  }
}

} // namespace

// Kestrine's editor: the window the graphics context opens, the controls
// laid over the background picture, the mode-dependent dimming of the
// exciter controls and the gain-reduction meters' refresh.
//
// Threads: everything here runs on the user-interface thread (the editor's
// window, the framework timer's OnIdle); the meters and their dirty flag are
// written by the audio thread and only read (or cleared) here.
#include "Kestrine.h"

#include "IBitmapControl.h"
#include "IGraphics.h"
#include "IGraphicsPlatform.h"
#include "IVectorControls.h"
#include "KestrineControls.h"

#include "AAX_Exports.h"

#include <cmath>

using namespace iplug;
using namespace iplug::igraphics;

namespace
{
constexpr int kEditorWidth = 580;
constexpr int kEditorHeight = 250;
constexpr int kEditorFPS = 60;
constexpr float kEditorMinScale = 0.67f;
constexpr float kEditorMaxScale = 1.5f;
// One meter frame step is about 1.8 dB: the factor maps 6 dB (log10 = 0.3)
// of gain reduction to the top frame.
constexpr float kMeterScale = 3.3333f;

// The two meters are found by tag.
constexpr int kCtrlTagMeterL = 1;
constexpr int kCtrlTagMeterR = 2;

const ITextStyle& KnobTextStyle()
{
  static const ITextStyle style(17.f, kColourWhite, "Poppins-Medium", kAlignCentre, kVAlignBottom);
  return style;
}

IVectorStyle ModeSelectorStyle()
{
  IVectorStyle style;
  style.hideCursor = true;
  style.showLabel = false;
  style.showValue = true;
  style.drawFrame = true;
  style.drawShadows = true;
  style.emboss = false;
  style.roundness = 0.f;
  style.frameThickness = 1.f;
  style.shadowOffset = 3.f;
  style.widgetFrac = 1.f;
  style.angle = 0.f;
  const IColour colours[kNumVColours] = {
      IColour(0, 0, 0, 0),         IColour(255, 130, 130, 130), IColour(255, 255, 255, 255),
      IColour(255, 127, 127, 127), IColour(255, 255, 255, 255), IColour(0, 0, 0, 0),
      IColour(255, 130, 130, 130), IColour(255, 0, 255, 0),     IColour(255, 0, 0, 255)};
  for (int i = 0; i < kNumVColours; ++i) style.colours.SetColour(static_cast<EVColour>(i), colours[i]);
  style.labelText = ITextStyle(32.f, kColourBlack, "Poppins-Medium", kAlignNear, kVAlignMiddle);
  style.valueText = ITextStyle(17.f, kColourBlack, "Poppins-Medium", kAlignNear, kVAlignMiddle);
  return style;
}
} // namespace

void Kestrine::InstallEditor()
{
  SetMakeGraphicsFunc([this]() { return MakeEditorGraphics(); });
  SetLayoutFunc([this](IGraphics* g) { LayoutEditor(g); });
}

IGraphics* Kestrine::MakeEditorGraphics()
{
  IGraphics* g = MakePlatformGraphics(*this, kEditorWidth, kEditorHeight, kEditorFPS, 1.f);
  // Pictures, the font and the window class belong to the module.
  if (g) g->SetWinModuleHandle(AAX::ModuleHandle());
  return g;
}

void Kestrine::LayoutEditor(IGraphics* g)
{
  if (!g) return;
  g->SetBackground("Background.png");
  g->LoadFontResource("Poppins-Medium", "Poppins-Medium.ttf");
  g->AddCornerResizer(kResizeModeScale, false, kColourWhite, kColourWhite, kColourWhite, 15.f);

  const ITextStyle& text = KnobTextStyle();
  const IBitmapRef bypass = g->LoadBitmapResource("BypassBtn.png", 2);
  const IBitmapRef meter = g->LoadBitmapResource("meterbar.png", 60);
  const IBitmapRef knob = g->LoadBitmapResource("Knob.png", 60);
  const IBitmapRef trimKnob = g->LoadBitmapResource("TrimKnob.png", 101);
  const IBitmapRef eqTrimKnob = g->LoadBitmapResource("EQTrimKnob.png", 101);
  const IBitmapRef eqFreqKnob = g->LoadBitmapResource("EQFreqKnob.png", 60);
  const IBitmapRef hpfKnob = g->LoadBitmapResource("HPFKnob.png", 100);
  const IBitmapRef smallBtn = g->LoadBitmapResource("SmallBtn.png", 2);
  // A knob's rectangle is its position extended by one frame of its picture.
  auto frameAt = [](float x, float y, const IBitmapRef& b)
  { return IRect(x, y, x + static_cast<float>(b.FW()), y + static_cast<float>(b.FH())); };

  g->AddControl(new IBSwitchControl(512.f, 212.f, bypass, kBypass));
  g->AddControl(new IBitmapControl(320.f, 49.f, meter), kCtrlTagMeterL);
  g->AddControl(new IBitmapControl(362.f, 49.f, meter), kCtrlTagMeterR);
  g->AddControl(new IBigKnobControl(frameAt(20.f, 51.f, knob), knob, kDrive, text));
  g->AddControl(new IKnobControl(frameAt(491.f, 116.f, trimKnob), trimKnob, kIOTrim, text));
  g->AddControl(new IKnobControl2(frameAt(147.f, 64.f, eqTrimKnob), eqTrimKnob, kLowTrim, text));
  g->AddControl(new IKnobControl2(frameAt(227.f, 64.f, eqTrimKnob), eqTrimKnob, kHighTrim, text));
  g->AddControl(new IKnobControl(frameAt(160.f, 141.f, eqFreqKnob), eqFreqKnob, kLowEQ, text));
  g->AddControl(new IKnobControl(frameAt(240.f, 141.f, eqFreqKnob), eqFreqKnob, kHighEQ, text));
  g->AddControl(new IKnobControl(frameAt(408.f, 123.f, hpfKnob), hpfKnob, kMix, text));
  g->AddControl(new IKnobControl(frameAt(408.f, 41.f, hpfKnob), hpfKnob, kHPF, text));
  g->AddControl(new IBSwitchControl(519.f, 58.f, smallBtn, kSolo));
  g->AddControl(new IVRadioButtonControl(IRect(275.f, 221.f, 438.f, 233.f), kMode, {"Saturator", "Exciter"},
                                         "", ModeSelectorStyle(), kVShapeRectangle,
                                         IVTabSwitchControl::kTabHorizontal, 14.f));

  g->SetMinScale(kEditorMinScale);
  g->SetMaxScale(kEditorMaxScale);
  g->SetHoverEnabled(true);
  mEditorBuilt = true;
}

void Kestrine::OnParamChangeUI(int paramIdx, int source)
{
  (void)source;
  IGraphics* g = GetUI();
  if (!g || !mEditorBuilt || paramIdx != kMode) return;
  // The exciter's own controls mean nothing in saturator mode: dim them.
  const bool disable = GetParam(kMode)->Value() == 0.;
  for (int idx : {kMix, kHPF, kSolo})
    g->ForControlsWithParam(idx, [disable](IControl* c) { c->SetDisabled(disable); });
}

void Kestrine::OnIdle()
{
  IGraphics* g = GetUI();
  if (!g || !TakeMeterDirty()) return;
  double values[2] = {0., 0.};
  if (GetParam(kBypass)->Value() == 0.)
  {
    // In float, as the meter's frame choice expects; a level of 0 (the right
    // meter in mono) gives minus infinity, clamped to the first frame.
    for (int ch = 0; ch < 2; ++ch) values[ch] = static_cast<double>(log10f(GetMeter(ch)) * kMeterScale);
  }
  if (IControl* c = g->ControlWithTag(kCtrlTagMeterL)) c->SetValueFromPlugin(values[0]);
  if (IControl* c = g->ControlWithTag(kCtrlTagMeterR)) c->SetValueFromPlugin(values[1]);
}

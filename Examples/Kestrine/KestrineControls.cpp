#include "KestrineControls.h"

#include "IGraphics.h"
#include "IPlugParameter.h"

namespace iplug
{
namespace igraphics
{
namespace
{
IRect StripUnder(const IRect& b)
{
  return IRect(b.L, b.B - 18.f, b.R, b.B + 4.f);
}
} // namespace

IKestrineKnobBase::IKestrineKnobBase(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx,
                                     const ITextStyle& style, const IRect& textRect)
    : IBKnobControl(bounds, bitmap, paramIdx, kVertical, 4.0), mTextRect(textRect),
      mKnobRect(bounds.L, bounds.T, bounds.L + static_cast<float>(bitmap.FW()),
                bounds.T + static_cast<float>(bitmap.FH()))
{
  mTextStyle = style;
  mRect = mHitRect = bounds;
  mPromptDisabled = false;
}

void IKestrineKnobBase::OnMouseDown(float x, float y, const IMouseMods& mod)
{
  mMouseDown = true;
  mDragValue = GetValue();
  if (mod.A) ResetToDefault(ValueIndexAt(x, y));
}

void IKestrineKnobBase::OnMouseDoubleClick(float x, float y, const IMouseMods&)
{
  float size = mTextStyle.mSize;
  mTextStyle.mSize = static_cast<float>(static_cast<double>(size) * 1.25);
  PromptForValue(ValueIndexAt(x, y));
  mTextStyle.mSize = size;
}

std::string IKestrineKnobBase::ValueText() const
{
  const IParam* param = GetParam();
  if (!param) return {};
  std::string text;
  param->FormatValue(param->Value(), false, text);
  const char* label = param->GetLabel();
  if (label && *label) text += std::string(" ") + label;
  return text;
}

void IKestrineKnobBase::Draw(IGraphics& g)
{
  g.DrawBitmapFrame(mBitmap, mKnobRect, FrameForValue(GetValue()), &mBlend);
  std::string text = ValueText();
  if (text.empty()) return;
  // A text wider than the knob (a small knob showing "3000 Hz") would be
  // cut at the control's edges. Full opacity even when the knob is
  // disabled and its picture faded.
  g.DrawText(g.StyleFittingWidth(mTextStyle, text.c_str(), mTextRect.W()), text.c_str(), mTextRect, nullptr);
}

IKnobControl::IKnobControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx,
                           const ITextStyle& style)
    : IKestrineKnobBase(bounds, bitmap, paramIdx, style, StripUnder(bounds))
{
}

IKnobControl2::IKnobControl2(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx,
                             const ITextStyle& style)
    : IKestrineKnobBase(bounds, bitmap, paramIdx, style, StripUnder(bounds))
{
}

IBigKnobControl::IBigKnobControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx,
                                 const ITextStyle& style)
    : IKestrineKnobBase(bounds, bitmap, paramIdx, style, IRect(bounds.L, bounds.T, bounds.R, bounds.B - 2.f))
{
}

} // namespace igraphics
} // namespace iplug

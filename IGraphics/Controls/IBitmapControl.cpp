#include "IBitmapControl.h"

#include "IGraphics.h"

#include <cmath>

namespace iplug
{
namespace igraphics
{

namespace
{
IRect FrameRectAt(float x, float y, const IBitmapRef& bitmap)
{
  return IRect(x, y, x + static_cast<float>(bitmap.FW()), y + static_cast<float>(bitmap.FH()));
}

// A frame-sized rectangle centred in bounds (whole-unit frame size).
IRect CentredFrameRect(const IRect& bounds, const IBitmapRef& bitmap)
{
  float fw = static_cast<float>(bitmap.FW());
  float fh = static_cast<float>(bitmap.FH());
  float l = (bounds.L + bounds.R) / 2.f - fw / 2.f;
  float t = (bounds.T + bounds.B) / 2.f - fh / 2.f;
  return IRect(l, t, l + fw, t + fh);
}
} // namespace

int IBitmapBase::FrameForValue(double v) const
{
  int n = mBitmap.N();
  if (n < 2) return 1;
  double f = v * (n - 1) + 0.5;
  // Far outside 0..1 (or NaN) the int conversion would overflow.
  if (!(f >= 0.0)) return 1;
  if (f >= n) return n;
  return std::clamp(static_cast<int>(f) + 1, 1, n);
}

void IBitmapBase::DrawBitmapFrame(IGraphics& g) const
{
  if (!mControl) return;
  g.DrawBitmapFrame(mBitmap, mControl->GetRect(), FrameForValue(mControl->GetValue()), &mControl->GetBlend());
}

void IBitmapBase::RefetchBitmap()
{
  IGraphics* g = mControl ? mControl->GetUI() : nullptr;
  if (!g || mBitmap.mResourceName.empty()) return;
  int target = static_cast<int>(std::ceil(g->GetScreenScale()));
  IBitmapRef fetched =
      g->LoadBitmapResource(mBitmap.GetResourceName(), mBitmap.N(), mBitmap.GetFramesAreHorizontal(), target);
  if (fetched.IsValid()) mBitmap = fetched;
}

IBitmapControl::IBitmapControl(float x, float y, const IBitmapRef& bitmap, int paramIdx, int blendMethod)
    : IControl(FrameRectAt(x, y, bitmap), paramIdx), IBitmapBase(bitmap, this)
{
  mBlend = IBlendMode(blendMethod, 1.f);
}

IBitmapControl::IBitmapControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx)
    : IControl(bounds, paramIdx), IBitmapBase(bitmap, this)
{
}

void IBitmapControl::Draw(IGraphics& g)
{
  DrawBitmapFrame(g);
}

IBKnobControl::IBKnobControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx,
                             EDirection direction, double gearing)
    : IKnobControlBase(CentredFrameRect(bounds, bitmap), paramIdx, direction, gearing),
      IBitmapBase(bitmap, this)
{
}

IBKnobControl::IBKnobControl(float x, float y, const IBitmapRef& bitmap, int paramIdx, EDirection direction,
                             double gearing)
    : IKnobControlBase(FrameRectAt(x, y, bitmap), paramIdx, direction, gearing), IBitmapBase(bitmap, this)
{
}

void IBKnobControl::Draw(IGraphics& g)
{
  DrawBitmapFrame(g);
}

IBSwitchControl::IBSwitchControl(float x, float y, const IBitmapRef& bitmap, int paramIdx)
    : ISwitchControlBase(FrameRectAt(x, y, bitmap), paramIdx, nullptr, 2), IBitmapBase(bitmap, this)
{
}

void IBSwitchControl::OnMouseDown(float, float, const IMouseMods&)
{
  int n = mBitmap.N();
  double value = GetValue() + (n < 2 ? 1.0 : 1.0 / static_cast<double>(n - 1));
  if (value > 1.001) value = 0.0;
  SetValue(value, 0);
  MarkDirty(true, kNoValIdx);
}

void IBSwitchControl::Draw(IGraphics& g)
{
  DrawBitmapFrame(g);
}

} // namespace igraphics
} // namespace iplug

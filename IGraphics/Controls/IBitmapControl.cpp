#include "IBitmapControl.h"

#include "IGraphics.h"

#include <cmath>

namespace iplug
{
namespace igraphics
{

int IBitmapBase::FrameForValue(double v) const
{
  int n = mBitmap.N();
  if (n < 2) return 1;
  double f = v * (n - 1) + 0.5;
  if (!(f > 0.0)) return 1;
  if (f >= n) return n;
  return std::clamp(static_cast<int>(f) + 1, 1, n);
}

IBitmapControl::IBitmapControl(float x, float y, const IBitmapRef& bitmap, int paramIdx, int blendMethod)
    : IControl(IRect(x, y, x + static_cast<float>(bitmap.FW()), y + static_cast<float>(bitmap.FH())),
               paramIdx),
      IBitmapBase(bitmap)
{
  mBlend = IBlendMode(blendMethod, 1.f);
}

IBitmapControl::IBitmapControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx)
    : IControl(bounds, paramIdx), IBitmapBase(bitmap)
{
}

void IBitmapControl::Draw(IGraphics& g)
{
  g.DrawBitmapFrame(mBitmap, mRect, FrameForValue(GetValue()), &mBlend);
}

void IBitmapControl::OnScaleChanged()
{
  if (!mGraphics || mBitmap.mResourceName.empty()) return;
  int target = static_cast<int>(std::ceil(mGraphics->GetScreenScale()));
  IBitmapRef fetched = mGraphics->LoadBitmapResource(mBitmap.GetResourceName(), mBitmap.N(),
                                                     mBitmap.GetFramesAreHorizontal(), target);
  if (fetched.IsValid()) mBitmap = fetched;
}

} // namespace igraphics
} // namespace iplug

// A passive film-strip picture: draws the frame that matches its value (the
// editor's background and meters). User-interface thread only.
#pragma once

#include "IControl.h"

namespace iplug
{
namespace igraphics
{

// The picture a bitmap control draws, and the frame chosen for a value.
class IBitmapBase
{
public:
  explicit IBitmapBase(const IBitmapRef& bitmap) : mBitmap(bitmap) {}
  virtual ~IBitmapBase() = default;
  const IBitmapRef& GetBitmap() const { return mBitmap; }
  void SetBitmap(const IBitmapRef& bitmap) { mBitmap = bitmap; }
  // 1-based frame for value v (0..1; values outside land on the end frames).
  int FrameForValue(double v) const;

protected:
  IBitmapRef mBitmap;
};

class IBitmapControl : public IControl, public IBitmapBase
{
public:
  // Bounds (x, y, x + frame width, y + frame height), blend (method, 1.0).
  IBitmapControl(float x, float y, const IBitmapRef& bitmap, int paramIdx = kNoParameter,
                 int blendMethod = 0);
  // Bounds as given, default blend.
  IBitmapControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx = kNoParameter);

  void Draw(IGraphics& g) override;
  // Fetches the picture again for the context's current screen scale.
  void OnScaleChanged() override;
};

} // namespace igraphics
} // namespace iplug

// Film-strip picture controls: one picture holds every state of the control
// as equally sized frames, and the control shows the frame that matches its
// value. The passive picture (background, meters), the knob and the cycling
// switch. User-interface thread only.
#pragma once

#include "IControl.h"
#include "IControlBases.h"

namespace iplug
{
namespace igraphics
{

// The picture a bitmap control draws, and the frame chosen for a value. The
// backend bitmap belongs to the context's picture cache, not to the control.
class IBitmapBase
{
public:
  IBitmapBase(const IBitmapRef& bitmap, IControl* control = nullptr) : mBitmap(bitmap), mControl(control) {}
  virtual ~IBitmapBase() = default;
  const IBitmapRef& GetBitmap() const { return mBitmap; }
  void SetBitmap(const IBitmapRef& bitmap) { mBitmap = bitmap; }
  // 1-based frame for value v: 1 when the picture has fewer than two frames,
  // else int(v * (N - 1) + 0.5) + 1 kept within 1..N.
  int FrameForValue(double v) const;
  // Draws the frame for the owning control's value centred in its bounds,
  // with its blend.
  void DrawBitmapFrame(IGraphics& g) const;
  // Loads the same picture again for the context's current screen scale
  // (logical sizes do not change) and keeps it when found.
  void RefetchBitmap();

protected:
  IBitmapRef mBitmap;
  IControl* mControl;
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
  void OnScaleChanged() override { RefetchBitmap(); }
};

// A knob drawn from a film strip; its bounds are one frame, centred in the
// rectangle it is given.
class IBKnobControl : public IKnobControlBase, public IBitmapBase
{
public:
  IBKnobControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx, EDirection direction = kVertical,
                double gearing = 4.0);
  // Frame-sized bounds at (x, y).
  IBKnobControl(float x, float y, const IBitmapRef& bitmap, int paramIdx, EDirection direction = kVertical,
                double gearing = 4.0);

  void Draw(IGraphics& g) override;
  void OnScaleChanged() override { RefetchBitmap(); }
};

// A button cycling through the frames of its picture, one per click.
class IBSwitchControl : public ISwitchControlBase, public IBitmapBase
{
public:
  IBSwitchControl(float x, float y, const IBitmapRef& bitmap, int paramIdx = kNoParameter);

  // Next frame's value, back to 0 past the last; a double click counts as
  // two clicks.
  void OnMouseDown(float x, float y, const IMouseMods& mod) override;
  void Draw(IGraphics& g) override;
  void OnScaleChanged() override { RefetchBitmap(); }
};

} // namespace igraphics
} // namespace iplug

// The handle in the editor's bottom-right corner: dragging it resizes or
// rescales the editor (the context turns drags into resizing while its
// resizing flag is set), double-clicking returns to the size the editor had
// when the handle was made, at scale 1. Created only by the context's
// AddCornerResizer. User-interface thread only.
#pragma once

#include "IControl.h"

namespace iplug
{
namespace igraphics
{

class ICornerResizerControl : public IControl
{
public:
  // graphicsBounds: the context's (0, 0, width, height) at creation.
  ICornerResizerControl(const IRect& graphicsBounds, float size, const IColour& colour,
                        const IColour& mouseOverColour, const IColour& dragColour);

  void Draw(IGraphics& g) override;
  void OnScaleChanged() override;
  void OnMouseDown(float x, float y, const IMouseMods& mod) override;
  void OnMouseDoubleClick(float x, float y, const IMouseMods& mod) override;
  void OnMouseOver(float x, float y, const IMouseMods& mod) override;
  void OnMouseOut() override;

  float GetSize() const { return mSize; }

private:
  float mSize;
  int mPrevCursor = kCursorArrow;
  IRect mInitialGraphicsBounds;
  IColour mColour;
  IColour mMouseOverColour;
  IColour mDragColour;
};

} // namespace igraphics
} // namespace iplug

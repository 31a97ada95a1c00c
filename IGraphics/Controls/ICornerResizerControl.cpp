#include "ICornerResizerControl.h"

#include "IGraphics.h"

namespace iplug
{
namespace igraphics
{

ICornerResizerControl::ICornerResizerControl(const IRect& graphicsBounds, float size, const IColour& colour,
                                             const IColour& mouseOverColour, const IColour& dragColour)
    : IControl(IRect(graphicsBounds.R - size + 1.f, graphicsBounds.B - size + 1.f, graphicsBounds.R - 1.f,
                     graphicsBounds.B - 1.f)),
      mSize(size), mInitialGraphicsBounds(graphicsBounds), mColour(colour), mMouseOverColour(mouseOverColour),
      mDragColour(dragColour)
{
}

void ICornerResizerControl::Draw(IGraphics& g)
{
  const IColour& c = g.IsResizing() ? mDragColour : (GetMouseIsOver() ? mMouseOverColour : mColour);
  g.FillTriangle(c, mRect.L, mRect.B, mRect.R, mRect.T, mRect.R, mRect.B);
}

void ICornerResizerControl::OnScaleChanged()
{
  if (!mGraphics) return;
  float w = static_cast<float>(mGraphics->Width());
  float h = static_cast<float>(mGraphics->Height());
  float s = mGraphics->GetDrawScale();
  float side = s > 0.f ? mSize / s : mSize;
  SetTargetAndDrawRects(IRect(w - side, h - side, w, h));
}

void ICornerResizerControl::OnMouseDown(float, float, const IMouseMods&)
{
  if (mGraphics) mGraphics->StartResizing();
}

void ICornerResizerControl::OnMouseDoubleClick(float, float, const IMouseMods&)
{
  if (mGraphics)
    mGraphics->Resize(static_cast<int>(mInitialGraphicsBounds.W()),
                      static_cast<int>(mInitialGraphicsBounds.H()), 1.f, true);
}

void ICornerResizerControl::OnMouseOver(float x, float y, const IMouseMods& mod)
{
  if (!GetMouseIsOver() && mGraphics) mPrevCursor = mGraphics->SetMouseCursor(kCursorSizeNWSE);
  IControl::OnMouseOver(x, y, mod);
}

void ICornerResizerControl::OnMouseOut()
{
  if (GetMouseIsOver() && mGraphics) mGraphics->SetMouseCursor(static_cast<ECursor>(mPrevCursor));
  IControl::OnMouseOut();
}

} // namespace igraphics
} // namespace iplug

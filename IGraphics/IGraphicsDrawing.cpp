// IGraphics: the pictures, primitives and texts built from the backend's path
// operations, and the path transform stack. User-interface thread, inside a
// draw pass.

#include "IGraphics.h"

#include <cmath>
#include <cstring>

namespace iplug
{
namespace igraphics
{

// ===== Pictures and primitives built from the path operations =====

void IGraphics::DrawSVG(const ISVG&, const IRect&, const IBlendMode*) {}

void IGraphics::DrawRotatedSVG(const ISVG& svg, float destCentreX, float destCentreY, float width,
                               float height, double angle, const IBlendMode* blend)
{
  PathTransformSave();
  PathTransformTranslate(destCentreX, destCentreY);
  PathTransformRotate(static_cast<float>(angle));
  DrawSVG(svg, IRect(-width / 2.f, -height / 2.f, width / 2.f, height / 2.f), blend);
  PathTransformRestore();
}

void IGraphics::DrawFittedBitmap(const IBitmapRef& bitmap, const IRect& bounds, const IBlendMode* blend)
{
  if (bitmap.W() <= 0 || bitmap.H() <= 0) return;
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(bounds.W() / static_cast<float>(bitmap.W()),
                     bounds.H() / static_cast<float>(bitmap.H()));
  DrawBitmap(bitmap, IRect(0.f, 0.f, static_cast<float>(bitmap.W()), static_cast<float>(bitmap.H())), 0, 0,
             blend);
  PathTransformRestore();
}

void IGraphics::DrawRotatedBitmap(const IBitmapRef& bitmap, float destCentreX, float destCentreY,
                                  double angle, const IBlendMode* blend)
{
  float w = static_cast<float>(bitmap.W());
  float h = static_cast<float>(bitmap.H());
  PathTransformSave();
  PathTransformTranslate(destCentreX, destCentreY);
  PathTransformRotate(static_cast<float>(angle));
  DrawBitmap(bitmap, IRect(-w / 2.f, -h / 2.f, w / 2.f, h / 2.f), 0, 0, blend);
  PathTransformRestore();
}

void IGraphics::DrawBitmapFrame(const IBitmapRef& bitmap, const IRect& bounds, int frame,
                                const IBlendMode* blend)
{
  if (!bitmap.IsValid()) return;
  int n = std::max(bitmap.N(), 1);
  frame = std::clamp(frame, 1, n);
  int srcX = bitmap.GetFramesAreHorizontal() ? (frame - 1) * bitmap.W() / n : 0;
  int srcY = bitmap.GetFramesAreHorizontal() ? 0 : (frame - 1) * bitmap.H() / n;
  IRect dest = bounds.GetCentredInside(static_cast<float>(bitmap.FW()), static_cast<float>(bitmap.FH()));
  DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

namespace
{
IStrokeOptions Dashed(float dashLen)
{
  IStrokeOptions options;
  options.mDash = {dashLen, dashLen};
  return options;
}
} // namespace

void IGraphics::DrawPoint(const IColour& colour, float x, float y, const IBlendMode* blend)
{
  FillRect(colour, IRect(x, y, x + 1.f, y + 1.f), blend);
}

void IGraphics::DrawLine(const IColour& colour, float x1, float y1, float x2, float y2,
                         const IBlendMode* blend, float thickness)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawDottedLine(const IColour& colour, float x1, float y1, float x2, float y2,
                               const IBlendMode* blend, float thickness, float dashLen)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(colour, thickness, Dashed(dashLen), blend);
}

void IGraphics::DrawTriangle(const IColour& colour, float x1, float y1, float x2, float y2, float x3,
                             float y3, const IBlendMode* blend, float thickness)
{
  float x[] = {x1, x2, x3};
  float y[] = {y1, y2, y3};
  DrawConvexPolygon(colour, x, y, 3, blend, thickness);
}

void IGraphics::DrawRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend, float thickness)
{
  PathClear();
  PathRect(bounds);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRoundRect(const IColour& colour, const IRect& bounds, float cRTL, float cRTR, float cRBR,
                              float cRBL, const IBlendMode* blend, float thickness)
{
  PathClear();
  PathRoundRect(bounds, cRTL, cRTR, cRBR, cRBL);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRoundRect(const IColour& colour, const IRect& bounds, float cornerRadius,
                              const IBlendMode* blend, float thickness)
{
  DrawRoundRect(colour, bounds, cornerRadius, cornerRadius, cornerRadius, cornerRadius, blend, thickness);
}

void IGraphics::DrawArc(const IColour& colour, float cx, float cy, float r, float a1, float a2,
                        const IBlendMode* blend, float thickness)
{
  PathClear();
  PathArc(cx, cy, r, a1, a2);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawCircle(const IColour& colour, float cx, float cy, float r, const IBlendMode* blend,
                           float thickness)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawEllipse(const IColour& colour, float x, float y, float r1, float r2, float angle,
                            const IBlendMode* blend, float thickness)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawEllipse(const IColour& colour, const IRect& bounds, const IBlendMode* blend,
                            float thickness)
{
  DrawEllipse(colour, bounds.MW(), bounds.MH(), bounds.W() / 2.f, bounds.H() / 2.f, 0.f, blend, thickness);
}

void IGraphics::DrawConvexPolygon(const IColour& colour, const float* x, const float* y, int nPoints,
                                  const IBlendMode* blend, float thickness)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawDottedRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend,
                               float thickness, float dashLen)
{
  PathClear();
  PathRect(bounds);
  PathStroke(colour, thickness, Dashed(dashLen), blend);
}

void IGraphics::FillTriangle(const IColour& colour, float x1, float y1, float x2, float y2, float x3,
                             float y3, const IBlendMode* blend)
{
  float x[] = {x1, x2, x3};
  float y[] = {y1, y2, y3};
  FillConvexPolygon(colour, x, y, 3, blend);
}

void IGraphics::FillRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend)
{
  PathClear();
  PathRect(bounds);
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillRoundRect(const IColour& colour, const IRect& bounds, float cRTL, float cRTR, float cRBR,
                              float cRBL, const IBlendMode* blend)
{
  PathClear();
  PathRoundRect(bounds, cRTL, cRTR, cRBR, cRBL);
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillRoundRect(const IColour& colour, const IRect& bounds, float cornerRadius,
                              const IBlendMode* blend)
{
  FillRoundRect(colour, bounds, cornerRadius, cornerRadius, cornerRadius, cornerRadius, blend);
}

void IGraphics::FillCircle(const IColour& colour, float cx, float cy, float r, const IBlendMode* blend)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillEllipse(const IColour& colour, float x, float y, float r1, float r2, float angle,
                            const IBlendMode* blend)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillEllipse(const IColour& colour, const IRect& bounds, const IBlendMode* blend)
{
  FillEllipse(colour, bounds.MW(), bounds.MH(), bounds.W() / 2.f, bounds.H() / 2.f, 0.f, blend);
}

void IGraphics::FillArc(const IColour& colour, float cx, float cy, float r, float a1, float a2,
                        const IBlendMode* blend)
{
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, a1, a2);
  PathClose();
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillConvexPolygon(const IColour& colour, const float* x, const float* y, int nPoints,
                                  const IBlendMode* blend)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  PathFill(colour, IFillOptions(), blend);
}

float IGraphics::MeasureText(const ITextStyle& style, const char* str, IRect& bounds) const
{
  if (!str || !*str) return 0.f;
  return DoMeasureText(style, str, bounds);
}

ITextStyle IGraphics::StyleFittingWidth(const ITextStyle& style, const char* str, float width) const
{
  ITextStyle fitted = style;
  IRect measured;
  const float textWidth = MeasureText(style, str, measured);
  if (textWidth > width && width > 0.f) fitted.mSize *= width / textWidth;
  return fitted;
}

void IGraphics::DrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                         const IBlendMode* blend)
{
  if (!str || !*str) return;
  DoDrawText(style, str, bounds, blend);
}

void IGraphics::DrawFastDropShadow(const IRect& innerBounds, const IRect& outerBounds, float xyDrop,
                                   float roundness, float blur, const IBlendMode* blend)
{
  (void)outerBounds;
  (void)blur;
  FillRoundRect(IColour(64, 0, 0, 0), innerBounds.GetTranslated(xyDrop, xyDrop), roundness, blend);
}

void IGraphics::DrawGrid(const IColour& colour, const IRect& bounds, float gridSizeH, float gridSizeV,
                         const IBlendMode* blend, float thickness)
{
  PathClear();
  if (gridSizeH > 0.f)
    for (float x = bounds.L + gridSizeH; x < bounds.R; x += gridSizeH)
    {
      PathMoveTo(x, bounds.T);
      PathLineTo(x, bounds.B);
    }
  if (gridSizeV > 0.f)
    for (float y = bounds.T + gridSizeV; y < bounds.B; y += gridSizeV)
    {
      PathMoveTo(bounds.L, y);
      PathLineTo(bounds.R, y);
    }
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawData(const IColour& colour, const IRect& bounds, const float* normYPoints, int nPoints,
                         const float* normXPoints, const IBlendMode* blend, float thickness)
{
  if (!normYPoints || nPoints < 2) return;
  PathClear();
  for (int i = 0; i < nPoints; ++i)
  {
    float nx = normXPoints ? normXPoints[i] : static_cast<float>(i) / static_cast<float>(nPoints - 1);
    float x = bounds.L + nx * bounds.W();
    float y = bounds.B - normYPoints[i] * bounds.H();
    if (i == 0)
      PathMoveTo(x, y);
    else
      PathLineTo(x, y);
  }
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

// ----- Paths and the transform stack

void IGraphics::PathTransformSave()
{
  mTransformStates.push_back(mTransform);
}

void IGraphics::PathTransformRestore()
{
  if (mTransformStates.empty()) return;
  mTransform = mTransformStates.back();
  mTransformStates.pop_back();
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformReset()
{
  mTransformStates.clear();
  mTransform = IMatrix();
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformTranslate(float x, float y)
{
  mTransform.Translate(x, y);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformScale(float x, float y)
{
  mTransform.Scale(x, y);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformRotate(float angle)
{
  mTransform.Rotate(angle);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathRect(const IRect& r)
{
  PathMoveTo(r.L, r.T);
  PathLineTo(r.R, r.T);
  PathLineTo(r.R, r.B);
  PathLineTo(r.L, r.B);
  PathClose();
}

void IGraphics::PathRoundRect(const IRect& r, float ctl, float ctr, float cbr, float cbl)
{
  if (ctl <= 0.f && ctr <= 0.f && cbr <= 0.f && cbl <= 0.f)
  {
    PathRect(r);
    return;
  }
  PathMoveTo(r.L, r.T + ctl);
  PathArc(r.L + ctl, r.T + ctl, ctl, 270.f, 360.f);
  PathArc(r.R - ctr, r.T + ctr, ctr, 0.f, 90.f);
  PathArc(r.R - cbr, r.B - cbr, cbr, 90.f, 180.f);
  PathArc(r.L + cbl, r.B - cbl, cbl, 180.f, 270.f);
  PathClose();
}

void IGraphics::PathCircle(float cx, float cy, float r)
{
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0.f, 360.f);
  PathClose();
}

void IGraphics::PathEllipse(float x, float y, float r1, float r2, float angle)
{
  PathTransformSave();
  PathTransformTranslate(x, y);
  PathTransformRotate(angle);
  PathTransformScale(r1, r2);
  PathCircle(0.f, 0.f, 1.f);
  PathTransformRestore();
}

void IGraphics::PathConvexPolygon(const float* x, const float* y, int nPoints)
{
  if (!x || !y || nPoints < 1) return;
  PathMoveTo(x[0], y[0]);
  for (int i = 1; i < nPoints; ++i) PathLineTo(x[i], y[i]);
  PathClose();
}

void IGraphics::PathClipRegion(const IRect& r)
{
  mClipRect = r;
  SetClipRegion(r);
}

} // namespace igraphics
} // namespace iplug

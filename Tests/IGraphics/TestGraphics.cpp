#include "TestGraphics.h"

namespace iplug_test
{

std::vector<DrawCall> RecordingBackend::Calls(const std::string& op) const
{
  std::vector<DrawCall> out;
  for (const DrawCall& c : mCalls)
    if (c.op == op) out.push_back(c);
  return out;
}

void RecordingBackend::DrawBitmap(const IBitmapRef& bitmap, const IRect& r, int srcX, int srcY,
                                  const IBlendMode* blend)
{
  Record("DrawBitmap", {r.L, r.T, r.R, r.B, static_cast<float>(srcX), static_cast<float>(srcY)}, IColour(),
         BlendWeight(blend), bitmap.mResourceName);
}

void RecordingBackend::PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions&,
                                  const IBlendMode* blend)
{
  Record("PathStroke", {thickness}, pattern.GetStopColour(0), BlendWeight(blend));
}

void RecordingBackend::PathFill(const IPattern& pattern, const IFillOptions&, const IBlendMode* blend)
{
  Record("PathFill", {}, pattern.GetStopColour(0), BlendWeight(blend));
}

void RecordingBackend::PathTransformSetMatrix(const IMatrix& m)
{
  Record("PathTransformSetMatrix",
         {static_cast<float>(m.mXX), static_cast<float>(m.mYX), static_cast<float>(m.mXY),
          static_cast<float>(m.mYY), static_cast<float>(m.mTX), static_cast<float>(m.mTY)});
}

float RecordingBackend::DoMeasureText(const ITextStyle& style, const char* str, IRect& bounds) const
{
  // Half the font size per character: enough for layout arithmetic in tests.
  float w = 0.5f * style.mSize * static_cast<float>(std::string(str).size());
  bounds = IRect(0.f, 0.f, w, style.mSize);
  return w;
}

void RecordingBackend::DoDrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                                  const IBlendMode* blend)
{
  Record("DrawText", {bounds.L, bounds.T, bounds.R, bounds.B}, style.mColour, BlendWeight(blend), str);
}

void* TestGraphics::OpenWindow(void*)
{
  mWindowOpen = true;
  GetDelegate()->RunLayout(this);
  MarkAllDirty();
  GetDelegate()->EditorOpened();
  return this;
}

IMenu* TestGraphics::CreatePlatformPopupMenu(IMenu& menu, const IRect& bounds, bool& isAsync)
{
  MenuRequest request;
  request.bounds = bounds;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    request.items.push_back(menu.GetItemText(i));
    request.checked.push_back(menu.GetItem(i)->GetChecked());
  }
  mMenus.push_back(request);
  isAsync = mMenuAsync;
  if (mMenuAsync || mMenuAnswer < 0 || mMenuAnswer >= menu.NItems()) return nullptr;
  menu.SetChosenItemIdx(mMenuAnswer);
  menu.ExecFunction();
  return &menu;
}

namespace
{
IMouseInfo Info(float x, float y, float dx, float dy, const IMouseMods& mods)
{
  IMouseInfo info;
  info.x = x;
  info.y = y;
  info.dX = dx;
  info.dY = dy;
  info.ms = mods;
  return info;
}
} // namespace

void TestGraphics::Down(float x, float y, const IMouseMods& mods)
{
  OnMouseDown({Info(x, y, 0.f, 0.f, mods)});
}

void TestGraphics::Up(float x, float y, const IMouseMods& mods)
{
  OnMouseUp({Info(x, y, 0.f, 0.f, mods)});
}

void TestGraphics::Drag(float x, float y, float dx, float dy, const IMouseMods& mods)
{
  OnMouseDrag({Info(x, y, dx, dy, mods)});
}

} // namespace iplug_test

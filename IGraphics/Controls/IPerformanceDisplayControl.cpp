#include "IPerformanceDisplayControl.h"

#include "IGraphics.h"

#include <cstdio>

namespace iplug
{
namespace igraphics
{

IPerformanceDisplayControl::IPerformanceDisplayControl(const IRect& bounds, const char* label)
    : IControl(bounds), mLabel(label ? label : "")
{
  SetIgnoreMouse(true);
}

void IPerformanceDisplayControl::Draw(IGraphics& g)
{
  auto now = std::chrono::steady_clock::now();
  if (mLastFrame.time_since_epoch().count() != 0)
    mFrameMs = std::chrono::duration<double, std::milli>(now - mLastFrame).count();
  mLastFrame = now;
  g.FillRect(IColour(180, 0, 0, 0), mRect);
  char text[64];
  std::snprintf(text, sizeof(text), "%s: %.1f ms", mLabel.c_str(), mFrameMs);
  ITextStyle style(14.f, kColourWhite);
  g.DrawText(style, text, mRect);
}

} // namespace igraphics
} // namespace iplug

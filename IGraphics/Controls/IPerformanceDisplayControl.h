// A debugging aid: the time between the last frames, shown over the editor
// when the context's performance display is switched on. User-interface
// thread only.
#pragma once

#include "IControl.h"

#include <chrono>

namespace iplug
{
namespace igraphics
{

class IPerformanceDisplayControl : public IControl
{
public:
  explicit IPerformanceDisplayControl(const IRect& bounds, const char* label = "Frame Time");
  void Draw(IGraphics& g) override;
  // Always dirty: it shows every frame.
  bool IsDirty() const override { return true; }
  const char* GetLabel() const { return mLabel.c_str(); }

private:
  std::string mLabel;
  std::chrono::steady_clock::time_point mLastFrame{};
  double mFrameMs = 0.0;
};

} // namespace igraphics
} // namespace iplug

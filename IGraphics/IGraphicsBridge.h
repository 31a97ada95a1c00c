// The graphics library's side of the editor delegate's bridge: how the
// delegate, which knows the graphics context only by name, reaches an open
// IGraphics. Registered with the delegate when the library is linked.
#pragma once

#include "IGraphicsEditorDelegate.h"

namespace iplug
{
namespace igraphics
{

// Each operation forwards to the context; user-interface thread.
class IGraphicsContextBridge final : public IGraphicsBridge
{
public:
  void Destroy(IGraphics* g) const override;
  void* OpenWindow(IGraphics* g, void* parent) const override;
  void CloseWindow(IGraphics* g) const override;
  int Width(const IGraphics* g) const override;
  int Height(const IGraphics* g) const override;
  float DrawScale(const IGraphics* g) const override;
  void Resize(IGraphics* g, int width, int height, float scale) const override;
  bool KeyDown(IGraphics* g, int key) const override;
  bool KeyUp(IGraphics* g, int key) const override;
  void ControlValueByTag(IGraphics* g, int ctrlTag, double normalizedValue) const override;
  void ControlMessageByTag(IGraphics* g, int ctrlTag, int msgTag, int dataSize,
                           const void* pData) const override;
  void MidiToControls(IGraphics* g, const MidiMessage& msg) const override;
  void ParamValueToControls(IGraphics* g, int paramIdx, double normalizedValue) const override;
  void SetScreenScale(IGraphics* g, float scale) const override;

  // The one instance, the one the library registers.
  static const IGraphicsContextBridge& Get();
};

} // namespace igraphics
} // namespace iplug

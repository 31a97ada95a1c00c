#include "IGraphicsBridge.h"

#include "IGraphics.h"

namespace iplug
{
namespace igraphics
{

void IGraphicsContextBridge::Destroy(IGraphics* g) const
{
  delete g;
}

void* IGraphicsContextBridge::OpenWindow(IGraphics* g, void* parent) const
{
  return g->OpenWindow(parent);
}

void IGraphicsContextBridge::CloseWindow(IGraphics* g) const
{
  g->CloseWindow();
}

int IGraphicsContextBridge::Width(const IGraphics* g) const
{
  return g->Width();
}

int IGraphicsContextBridge::Height(const IGraphics* g) const
{
  return g->Height();
}

float IGraphicsContextBridge::DrawScale(const IGraphics* g) const
{
  return g->GetDrawScale();
}

void IGraphicsContextBridge::Resize(IGraphics* g, int width, int height, float scale) const
{
  g->Resize(width, height, scale, true);
}

bool IGraphicsContextBridge::KeyDown(IGraphics* g, int key) const
{
  float x = 0.f, y = 0.f;
  g->GetMouseLocation(x, y);
  return g->OnKeyDown(x, y, IKeyPress("", key));
}

bool IGraphicsContextBridge::KeyUp(IGraphics* g, int key) const
{
  float x = 0.f, y = 0.f;
  g->GetMouseLocation(x, y);
  return g->OnKeyUp(x, y, IKeyPress("", key));
}

void IGraphicsContextBridge::ControlValueByTag(IGraphics* g, int ctrlTag, double normalizedValue) const
{
  if (IControl* c = g->ControlWithTag(ctrlTag)) c->SetValueFromPlugin(normalizedValue, 0);
}

void IGraphicsContextBridge::ControlMessageByTag(IGraphics* g, int ctrlTag, int msgTag, int dataSize,
                                                 const void* pData) const
{
  if (IControl* c = g->ControlWithTag(ctrlTag)) c->OnDelegateMessage(msgTag, dataSize, pData);
}

void IGraphicsContextBridge::MidiToControls(IGraphics* g, const MidiMessage& msg) const
{
  g->ForEachListedControl(
      [&msg](IControl* c)
      {
        if (c->GetWantsMidi()) c->OnMidiMessage(msg);
      });
}

void IGraphicsContextBridge::ParamValueToControls(IGraphics* g, int paramIdx, double normalizedValue) const
{
  g->ForEachListedControl(
      [paramIdx, normalizedValue](IControl* c)
      {
        for (int v = 0; v < c->NVals(); ++v)
          if (c->GetParamIdx(v) == paramIdx) c->SetValueFromPlugin(normalizedValue, v);
      });
}

void IGraphicsContextBridge::SetScreenScale(IGraphics* g, float scale) const
{
  g->SetScreenScale(scale);
}

const IGraphicsContextBridge& IGraphicsContextBridge::Get()
{
  static const IGraphicsContextBridge sBridge;
  return sBridge;
}

namespace
{
// Linking this library registers it with the editor delegate before main.
// IGraphics's constructor names Get(), so this file is always linked in with
// the context, even from a static library.
struct BridgeRegistration
{
  BridgeRegistration() { SetGraphicsBridge(&IGraphicsContextBridge::Get()); }
} sBridgeRegistration;
} // namespace

} // namespace igraphics
} // namespace iplug

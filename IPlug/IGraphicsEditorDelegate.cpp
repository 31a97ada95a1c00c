#include "IGraphicsEditorDelegate.h"

#include <atomic>
#include <cmath>

namespace iplug
{
namespace igraphics
{

namespace
{
std::atomic<const IGraphicsBridge*> sBridge{nullptr};
}

void SetGraphicsBridge(const IGraphicsBridge* bridge)
{
  sBridge.store(bridge);
}

const IGraphicsBridge* GetGraphicsBridge()
{
  return sBridge.load();
}

IGEditorDelegate::IGEditorDelegate(int nParams) : IEditorDelegate(nParams) {}

IGEditorDelegate::~IGEditorDelegate()
{
  DestroyGraphics();
  mLayoutFunc = nullptr;
  mMakeGraphicsFunc = nullptr;
}

void IGEditorDelegate::DestroyGraphics()
{
  if (mGraphics && mBridge) mBridge->Destroy(mGraphics);
  mGraphics = nullptr;
  mBridge = nullptr;
}

IGraphics* IGEditorDelegate::CreateGraphics()
{
  if (!mMakeGraphicsFunc || !GetGraphicsBridge()) return nullptr;
  return mMakeGraphicsFunc();
}

void IGEditorDelegate::RunLayout(IGraphics* graphics)
{
  if (mLayoutFunc) mLayoutFunc(graphics);
}

void* IGEditorDelegate::OpenEditor(void* parent)
{
  if (!mGraphics)
  {
    const IGraphicsBridge* bridge = GetGraphicsBridge();
    if (bridge)
    {
      mGraphics = CreateGraphics();
      mBridge = mGraphics ? bridge : nullptr;
    }
    if (mGraphics && mLastWidth != 0 && mLastHeight != 0 && mLastScale != 0.f)
      mBridge->Resize(mGraphics, mLastWidth, mLastHeight, mLastScale);
  }
  return mGraphics ? mBridge->OpenWindow(mGraphics, parent) : nullptr;
}

void IGEditorDelegate::CloseEditor()
{
  if (mClosing) return;
  mClosing = true;
  EditorClosed();
  if (mGraphics)
  {
    mLastWidth = mBridge->Width(mGraphics);
    mLastHeight = mBridge->Height(mGraphics);
    mLastScale = mBridge->DrawScale(mGraphics);
    mBridge->CloseWindow(mGraphics);
    DestroyGraphics();
  }
  mClosing = false;
}

bool IGEditorDelegate::EditorKeyDown(int key)
{
  return mGraphics ? mBridge->KeyDown(mGraphics, key) : false;
}

bool IGEditorDelegate::EditorKeyUp(int key)
{
  return mGraphics ? mBridge->KeyUp(mGraphics, key) : false;
}

void IGEditorDelegate::ControlValueToEditor(int ctrlTag, double normalizedValue)
{
  if (mGraphics) mBridge->ControlValueByTag(mGraphics, ctrlTag, normalizedValue);
}

void IGEditorDelegate::ControlMessageToEditor(int ctrlTag, int msgTag, int dataSize, const void* pData)
{
  if (mGraphics) mBridge->ControlMessageByTag(mGraphics, ctrlTag, msgTag, dataSize, pData);
}

void IGEditorDelegate::MidiToEditor(const MidiMessage& msg)
{
  if (mGraphics) mBridge->MidiToControls(mGraphics, msg);
  EditorMidiMessage(msg);
}

void IGEditorDelegate::ParamValueToEditor(int paramIdx, double value, bool isNormalised)
{
  if (mGraphics)
  {
    if (const IParam* p = ParamAt(paramIdx))
    {
      if (!isNormalised) value = p->NormalFromValue(value);
      mBridge->ParamValueToControls(mGraphics, paramIdx, value);
    }
  }
  OnParamChangeUI(paramIdx, kDelegate);
}

bool IGEditorDelegate::SaveEditorState(ByteChunk& chunk) const
{
  int32_t width = mGraphics ? mBridge->Width(mGraphics) : mLastWidth;
  int32_t height = mGraphics ? mBridge->Height(mGraphics) : mLastHeight;
  float scale = mGraphics ? mBridge->DrawScale(mGraphics) : mLastScale;
  int start = chunk.Size();
  chunk.PutValue(width);
  chunk.PutValue(height);
  chunk.PutValue(scale);
  return chunk.Size() == start + 12;
}

int IGEditorDelegate::LoadEditorState(const ByteChunk& chunk, int startPos)
{
  int32_t width = 0;
  int32_t height = 0;
  float scale = 0.f;
  int pos = chunk.GetValue(width, startPos);
  pos = chunk.GetValue(height, pos);
  pos = chunk.GetValue(scale, pos);
  if (mGraphics)
  {
    // Corrupt sizes (negative, NaN scale) never reach the window.
    if (width > 0 && height > 0 && std::isfinite(scale) && scale > 0.f)
      mBridge->Resize(mGraphics, width, height, scale);
  }
  else
  {
    mLastWidth = width;
    mLastHeight = height;
    mLastScale = scale;
  }
  return pos;
}

void IGEditorDelegate::SetScreenScale(float scale)
{
  if (mGraphics) mBridge->SetScreenScale(mGraphics, scale);
}

} // namespace igraphics
} // namespace iplug

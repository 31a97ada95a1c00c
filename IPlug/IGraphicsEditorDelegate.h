// The editor delegate specialised for the graphics framework: creates the
// graphics context (IGraphics) through a factory the plug-in installs, builds
// the controls through the plug-in's layout function and remembers the editor
// size and draw scale between openings.
//
// The graphics context is only forward-declared here: the delegate reaches it
// through an IGraphicsBridge, an interface that the graphics library
// registers once per process (SetGraphicsBridge). The library does so when it
// is linked into the program, before main; a program that never links it has
// no bridge, so no context is ever created and every operation behaves as it
// does with no editor open. Threads: as IEditorDelegate; all of it runs on the
// editor's thread except the change hooks.
#pragma once

#include "IPlugEditorDelegate.h"

#include <functional>

namespace iplug
{
namespace igraphics
{

class IGraphics;

// What the delegate needs from an open graphics context. The graphics library
// implements it (IGraphicsContextBridge, IGraphics/IGraphicsBridge.cpp); tests
// implement it with a fake context. Every operation runs on the editor's
// user-interface thread, the one that made the context, and must not be
// called from the audio thread.
class IGraphicsBridge
{
public:
  virtual ~IGraphicsBridge() = default;
  virtual void Destroy(IGraphics* g) const = 0;
  // Opens the context's window inside parent; returns the platform view.
  virtual void* OpenWindow(IGraphics* g, void* parent) const = 0;
  virtual void CloseWindow(IGraphics* g) const = 0;
  virtual int Width(const IGraphics* g) const = 0;
  virtual int Height(const IGraphics* g) const = 0;
  virtual float DrawScale(const IGraphics* g) const = 0;
  virtual void Resize(IGraphics* g, int width, int height, float scale) const = 0;
  // Key handling at the context's current mouse position.
  virtual bool KeyDown(IGraphics* g, int key) const = 0;
  virtual bool KeyUp(IGraphics* g, int key) const = 0;
  // The control with this tag, if any, gets SetValueFromPlugin(value, 0).
  virtual void ControlValueByTag(IGraphics* g, int ctrlTag, double normalizedValue) const = 0;
  // The control with this tag, if any, receives the message.
  virtual void ControlMessageByTag(IGraphics* g, int ctrlTag, int msgTag, int dataSize,
                                   const void* pData) const = 0;
  // Every control that accepts MIDI, in control order, receives the message.
  virtual void MidiToControls(IGraphics* g, const MidiMessage& msg) const = 0;
  // For every control in order, every value slot bound to paramIdx gets
  // SetValueFromPlugin(normalizedValue, slot).
  virtual void ParamValueToControls(IGraphics* g, int paramIdx, double normalizedValue) const = 0;
  virtual void SetScreenScale(IGraphics* g, float scale) const = 0;
};

// Registers the bridge (nullptr unregisters). Any thread, but before any
// editor opens: an open editor keeps the bridge it was made under.
void SetGraphicsBridge(const IGraphicsBridge* bridge);
const IGraphicsBridge* GetGraphicsBridge();

class IGEditorDelegate : public IEditorDelegate
{
public:
  using MakeGraphicsFunc = std::function<IGraphics*()>;
  using LayoutFunc = std::function<void(IGraphics*)>;

  explicit IGEditorDelegate(int nParams);
  ~IGEditorDelegate() override;

  void* OpenEditor(void* parent) override;
  void CloseEditor() override;
  bool EditorKeyDown(int key) override;
  bool EditorKeyUp(int key) override;
  void ControlValueToEditor(int ctrlTag, double normalizedValue) override;
  void ControlMessageToEditor(int ctrlTag, int msgTag, int dataSize, const void* pData) override;
  void MidiToEditor(const MidiMessage& msg) override;
  void ParamValueToEditor(int paramIdx, double value, bool isNormalised) override;
  bool SaveEditorState(ByteChunk& chunk) const override;
  int LoadEditorState(const ByteChunk& chunk, int startPos) override;
  void SetScreenScale(float scale) override;

  // Calls the factory; nothing when none is installed or no bridge is registered.
  virtual IGraphics* CreateGraphics();
  virtual void RunLayout(IGraphics* graphics);

  // The open graphics context, or nothing.
  IGraphics* GetUI() const { return mGraphics; }
  void SetMakeGraphicsFunc(MakeGraphicsFunc func) { mMakeGraphicsFunc = std::move(func); }
  void SetLayoutFunc(LayoutFunc func) { mLayoutFunc = std::move(func); }

  int GetLastWidth() const { return mLastWidth; }
  int GetLastHeight() const { return mLastHeight; }
  float GetLastScale() const { return mLastScale; }

private:
  void DestroyGraphics();

  MakeGraphicsFunc mMakeGraphicsFunc;
  LayoutFunc mLayoutFunc;
  IGraphics* mGraphics = nullptr;
  // The bridge the open context was made under.
  const IGraphicsBridge* mBridge = nullptr;
  int mLastWidth = 0;
  int mLastHeight = 0;
  float mLastScale = 0.f;
  bool mClosing = false;
};

} // namespace igraphics
} // namespace iplug

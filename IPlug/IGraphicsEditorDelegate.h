// The editor delegate specialised for the graphics framework: creates the
// graphics context (IGraphics) through a factory the plug-in installs, builds
// the controls through the plug-in's layout function and remembers the editor
// size and draw scale between openings.
//
// The graphics context is only forward-declared here: the delegate reaches it
// through a GraphicsBridge, a table of functions that the graphics library
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

// What the delegate needs from an open graphics context. Every entry must be
// set by the library that registers the bridge.
struct GraphicsBridge
{
  void (*destroy)(IGraphics* g);
  // Opens the context's window inside parent; returns the platform view.
  void* (*openWindow)(IGraphics* g, void* parent);
  void (*closeWindow)(IGraphics* g);
  int (*width)(const IGraphics* g);
  int (*height)(const IGraphics* g);
  float (*drawScale)(const IGraphics* g);
  void (*resize)(IGraphics* g, int width, int height, float scale);
  // Key handling at the context's current mouse position.
  bool (*keyDown)(IGraphics* g, int key);
  bool (*keyUp)(IGraphics* g, int key);
  // The control with this tag, if any, gets SetValueFromPlugin(value, 0).
  void (*controlValueByTag)(IGraphics* g, int ctrlTag, double normalizedValue);
  // The control with this tag, if any, receives the message.
  void (*controlMessageByTag)(IGraphics* g, int ctrlTag, int msgTag, int dataSize, const void* pData);
  // Every control that accepts MIDI, in control order, receives the message.
  void (*midiToControls)(IGraphics* g, const MidiMessage& msg);
  // For every control in order, every value slot bound to paramIdx gets
  // SetValueFromPlugin(normalizedValue, slot).
  void (*paramValueToControls)(IGraphics* g, int paramIdx, double normalizedValue);
  void (*setScreenScale)(IGraphics* g, float scale);
};

// Registers the bridge (nullptr unregisters). Call before any editor opens.
void SetGraphicsBridge(const GraphicsBridge* bridge);
const GraphicsBridge* GetGraphicsBridge();

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
  const GraphicsBridge* mBridge = nullptr;
  int mLastWidth = 0;
  int mLastHeight = 0;
  float mLastScale = 0.f;
  bool mClosing = false;
};

} // namespace igraphics
} // namespace iplug

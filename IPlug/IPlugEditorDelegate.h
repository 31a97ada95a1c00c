// The plug-in's side of the editor: owns the parameter list, receives every
// user edit from the controls, pushes parameter values and messages into the
// editor, and opens and closes the editor.
//
// Threads: editor-side operations (OpenEditor, CloseEditor,
// ParamValueToEditor, EditorOpened, StateRestored, key handling, the
// ...FromEditor operations) run on the editor's thread, which is also the
// framework timer's thread. OnParamChange runs on whichever thread changed
// the parameter and must not touch the editor. Nothing here locks.
#pragma once

#include "IPlugByteChunk.h"
#include "IPlugMidi.h"
#include "IPlugParameter.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace iplug
{

class IEditorDelegate
{
public:
  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();

  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  // --- Parameter list
  IParam* GetParam(int paramIdx) { return ParamAt(paramIdx); }
  const IParam* GetParam(int paramIdx) const { return ParamAt(paramIdx); }
  IParam* ParamAt(int paramIdx);
  const IParam* ParamAt(int paramIdx) const;
  int NParams() const { return ParamCount(); }
  int ParamCount() const { return static_cast<int>(mParams.size()); }

  // --- Editor window
  // Returns the platform view, or nothing.
  virtual void* OpenEditor(void* parent);
  virtual void CloseEditor();
  virtual void OnUIOpen() {}
  virtual void EditorOpened();
  virtual void EditorClosed() {}

  // --- Change hooks
  // The plug-in's main reaction to a parameter change; any thread.
  virtual void OnParamChange(int paramIdx) { (void)paramIdx; }
  virtual void OnParamChange(int paramIdx, int source, int sampleOffset = -1);
  // The editor-side reaction; editor thread.
  virtual void OnParamChangeUI(int paramIdx, int source = kUnknown)
  {
    (void)paramIdx;
    (void)source;
  }
  // Runs both hooks for every parameter in index order.
  virtual void ParamsReset(int source);
  virtual void EditorMidiMessage(const MidiMessage& msg) { (void)msg; }
  virtual void EditorSysExMessage(const SysExRecord& msg) { (void)msg; }
  virtual bool EditorMessage(int msgTag, int ctrlTag, int dataSize, const void* pData);
  // After a whole-state change: refreshes every control.
  virtual void StateRestored() { EditorOpened(); }

  // --- Processing/host to editor
  virtual bool EditorKeyDown(int key);
  virtual bool EditorKeyUp(int key);
  virtual void ControlValueToEditor(int ctrlTag, double normalizedValue);
  virtual void ControlMessageToEditor(int ctrlTag, int msgTag, int dataSize, const void* pData);
  virtual void MessageToEditor(int msgTag, int dataSize, const void* pData);
  virtual void MidiToEditor(const MidiMessage& msg) { EditorMidiMessage(msg); }
  virtual void SysExToEditor(const SysExRecord& msg) { EditorSysExMessage(msg); }
  virtual void ParamValueToEditor(int paramIdx, double value, bool isNormalised);

  // --- Editor to processing/host
  virtual void InformHostOfAllParams() {}
  virtual void BeginParamGesture(int paramIdx) = 0;
  virtual void ParamValueFromEditor(int paramIdx, double normalizedValue);
  virtual void EndParamGesture(int paramIdx) = 0;
  virtual bool ResizeFromEditor(int width, int height, bool needsPlatformResize);
  virtual void MidiFromEditor(const MidiMessage& msg) { (void)msg; }
  virtual void SysExFromEditor(const SysExRecord& msg) { (void)msg; }
  virtual void MessageFromEditor(int msgTag, int ctrlTag, int dataSize, const void* pData);
  virtual void DeferMidiMessage(const MidiMessage& msg) { (void)msg; }
  virtual void DeferSysExMessage(const SysExRecord& msg) { (void)msg; }

  // --- Editor state
  virtual bool SaveEditorState(ByteChunk& chunk) const
  {
    (void)chunk;
    return true;
  }
  virtual int LoadEditorState(const ByteChunk& chunk, int startPos)
  {
    (void)chunk;
    return startPos;
  }
  virtual void SetScreenScale(float scale) { (void)scale; }

  // --- Editor size and limits
  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }
  void SetEditorSize(int width, int height)
  {
    mEditorWidth = width;
    mEditorHeight = height;
  }
  int GetMinWidth() const { return mMinWidth; }
  int GetMaxWidth() const { return mMaxWidth; }
  int GetMinHeight() const { return mMinHeight; }
  int GetMaxHeight() const { return mMaxHeight; }
  void SetSizeConstraints(int minW, int maxW, int minH, int maxH)
  {
    mMinWidth = std::min(minW, maxW);
    mMaxWidth = std::max(minW, maxW);
    mMinHeight = std::min(minH, maxH);
    mMaxHeight = std::max(minH, maxH);
  }

private:
  std::vector<std::unique_ptr<IParam>> mParams;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  int mMinWidth = 10;
  int mMaxWidth = 100000;
  int mMinHeight = 10;
  int mMaxHeight = 100000;
};

} // namespace iplug

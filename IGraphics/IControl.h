// The base of everything drawn in the editor: a rectangle on the graphics
// context that draws itself, reacts to input and holds one or more
// normalised values (0..1), each optionally bound to a plug-in parameter.
// Setting a value from a user gesture marks the control dirty and hands the
// value to the editor delegate, which informs the host and the other
// controls bound to the same parameter.
//
// The context owns every attached control and deletes it when it is
// removed or when the context goes. Threads: every operation runs on the
// user-interface thread; values from the audio side arrive only through the
// delegate's queues and the framework timer.
#pragma once

#include "IGraphicsPopupMenu.h"
#include "IGraphicsStructs.h"
#include "IPlugMidi.h"

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace iplug
{
class IParam;
namespace igraphics
{

class IGEditorDelegate;

// Value index meaning "every value".
constexpr int kNoValIdx = -1;
// Parameter index meaning "unbound".
constexpr int kNoParameter = -1;
// Maximum characters of a typed value.
constexpr int kDefaultTextEntryLength = 7;

using IActionFunction = std::function<void(IControl*)>;
using IAnimationFunction = std::function<void(IControl*)>;
using TimePoint = std::chrono::steady_clock::time_point;
using Milliseconds = std::chrono::duration<double, std::milli>;

class IControl
{
public:
  IControl(const IRect& bounds, int paramIdx = kNoParameter, IActionFunction action = nullptr);

  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // --- Virtual operations, in slot order
  virtual ~IControl();
  virtual void OnMouseDown(float x, float y, const IMouseMods& mod);
  virtual void OnMouseUp(float x, float y, const IMouseMods& mod) { (void)x, (void)y, (void)mod; }
  virtual void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMods& mod)
  {
    (void)x, (void)y, (void)dX, (void)dY, (void)mod;
  }
  virtual void OnMouseDoubleClick(float x, float y, const IMouseMods& mod);
  virtual void OnMouseWheel(float x, float y, const IMouseMods& mod, float d)
  {
    (void)x, (void)y, (void)mod, (void)d;
  }
  virtual bool OnKeyDown(float x, float y, const IKeyPress& key)
  {
    return (void)x, (void)y, (void)key, false;
  }
  virtual bool OnKeyUp(float x, float y, const IKeyPress& key) { return (void)x, (void)y, (void)key, false; }
  virtual void OnMouseOver(float x, float y, const IMouseMods& mod);
  virtual void OnMouseOut();
  virtual void OnTouchCancel(float x, float y, const IMouseMods& mod) { (void)x, (void)y, (void)mod; }
  virtual void OnFileDrop(const char* path) { (void)path; }
  virtual void OnScaleChanged() {}
  virtual void OnBoundsChanged() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  virtual void OnDelegateMessage(int msgTag, int dataSize, const void* pData)
  {
    (void)msgTag, (void)dataSize, (void)pData;
  }
  virtual void OnMidiMessage(const MidiMessage& msg) { (void)msg; }
  virtual bool OnGesture(const IGestureInfo& info);
  virtual void FillContextMenu(IMenu& menu) { (void)menu; }
  virtual void OnMenuChoice(IMenu* menu, int valIdx);
  virtual void OnTextEntryDone(const char* text, int valIdx) { (void)text, (void)valIdx; }
  virtual void OnContextMenuChoice(int itemIdx) { (void)itemIdx; }
  virtual void Draw(IGraphics& g) = 0;
  virtual void DrawAutomationHighlight(IGraphics& g);
  // Throws std::out_of_range("invalid vector subscript") for a value index
  // outside the list.
  virtual void BindParam(int paramIdx, int valIdx = 0);
  virtual int ValueIndexAt(float x, float y) const;
  virtual void SetValueFromPlugin(double value, int valIdx = 0);
  virtual void SetValueFromUser(double value, int valIdx = 0);
  virtual void ResetToDefault(int valIdx = kNoValIdx);
  virtual void SetValue(double value, int valIdx = 0);
  virtual void SetTextStyle(const ITextStyle& style) { mTextStyle = style; }
  virtual void MoveTo(float x, float y);
  virtual void SetSize(float w, float h);
  virtual void SetHidden(bool hide);
  virtual void SetDisabled(bool disable);
  virtual bool HitTest(float x, float y) const;
  virtual void MarkDirty(bool triggerAction = true, int valIdx = kNoValIdx);
  virtual void ClearDirty() { mDirty = false; }
  virtual bool IsDirty() const;
  virtual void OnIdleTick() {}
  // direction: 1 horizontal, anything else vertical (up raises the value).
  virtual void SetValueFromPosition(float x, float y, int direction, const IRect& r, int valIdx = 0,
                                    double lowClip = 0.0, double highClip = 1.0);
  virtual void OnAnimationEnd();

  // --- Values and parameters
  int NVals() const { return static_cast<int>(mVals.size()); }
  double GetValue(int valIdx = 0) const;
  int GetParamIdx(int valIdx = 0) const;
  bool IsBound(int valIdx = 0) const { return GetParamIdx(valIdx) > kNoParameter; }
  // The bound parameter object, or nothing when unbound, out of range or not
  // attached.
  const IParam* GetParam(int valIdx = 0) const;
  // Adds a value slot (unbound unless paramIdx given); for multi-value controls.
  void AddValue(int paramIdx = kNoParameter, double value = 0.0) { mVals.push_back({paramIdx, value}); }
  void PromptForValue(int valIdx = 0);

  // --- Attachment (done by the context)
  void SetDelegate(IGEditorDelegate* dlg) { mDelegate = dlg; }
  void SetGraphics(IGraphics* g) { mGraphics = g; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  IGraphics* GetUI() const { return mGraphics; }
  const std::string& GetGroup() const { return mGroup; }
  void SetGroup(const char* group) { mGroup = group ? group : ""; }

  // --- Geometry
  const IRect& GetRect() const { return mRect; }
  void SetRect(const IRect& r) { mRect = r; }
  const IRect& GetHitRect() const { return mHitRect; }
  void SetHitRect(const IRect& r) { mHitRect = r; }
  void SetTargetAndDrawRects(const IRect& r)
  {
    mRect = mHitRect = r;
    mMouseIsOver = false;
    OnBoundsChanged();
  }

  // --- Flags and texts
  const ITextStyle& GetTextStyle() const { return mTextStyle; }
  const IBlendMode& GetBlend() const { return mBlend; }
  void SetBlend(const IBlendMode& blend) { mBlend = blend; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  bool IsHidden() const { return mHidden; }
  bool IsDisabled() const { return mDisabled; }
  bool GetPromptDisabled() const { return mPromptDisabled; }
  void DisablePrompt(bool disable) { mPromptDisabled = disable; }
  bool GetMouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool on) { mDblAsSingleClick = on; }
  bool GetMouseOverWhenDisabled() const { return mMouseOverWhenDisabled; }
  void SetMouseOverWhenDisabled(bool on) { mMouseOverWhenDisabled = on; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  void SetMouseEventsWhenDisabled(bool on) { mMouseEventsWhenDisabled = on; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  void SetIgnoreMouse(bool on) { mIgnoreMouse = on; }
  bool GetWantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool on) { mWantsMidi = on; }
  bool GetWantsMultiTouch() const { return mWantsMultiTouch; }
  void SetWantsMultiTouch(bool on) { mWantsMultiTouch = on; }
  bool GetPromptShowsParamLabel() const { return mPromptShowsParamLabel; }
  void SetPromptShowsParamLabel(bool on) { mPromptShowsParamLabel = on; }
  bool GetMouseIsOver() const { return mMouseIsOver; }
  const std::string& GetTooltip() const { return mTooltip; }
  void SetTooltip(const char* text) { mTooltip = text ? text : ""; }
  const IColour& GetHighlightColour() const { return mHighlightColour; }
  bool GetHighlighted() const { return mHighlighted; }
  // Code 0 red, 1 blue, 2 green, 3 yellow; other codes keep the colour.
  void SetHighlight(bool on, int colourCode);

  // --- Callables
  void SetActionFunction(IActionFunction func) { mActionFunc = std::move(func); }
  const IActionFunction& GetActionFunction() const { return mActionFunc; }
  void SetAnimationEndActionFunction(IActionFunction func) { mAnimationEndActionFunc = std::move(func); }
  // Starts an animation now; IsDirty stays true until it is cleared.
  void SetAnimation(IAnimationFunction func, double durationMs);
  void SetAnimation(IAnimationFunction func) { mAnimationFunc = std::move(func); }
  const IAnimationFunction& GetAnimationFunction() const { return mAnimationFunc; }
  // Elapsed part of the animation's duration (may exceed 1).
  double GetAnimationProgress() const;
  // Runs the animation callable when set (once per frame, from the context).
  void RunAnimation()
  {
    if (mAnimationFunc) mAnimationFunc(this);
  }
  // Handler for a gesture kind; replaces an earlier one.
  void AttachGestureHandler(EGestureType type, IGestureFunc func) { mGestureFuncs[type] = std::move(func); }
  EGestureType GetLastGesture() const { return mLastGesture; }

protected:
  IRect mRect;
  IRect mHitRect;
  std::string mGroup;
  ITextStyle mTextStyle;
  IBlendMode mBlend;
  int mTextEntryLength = kDefaultTextEntryLength;
  bool mDirty = true;
  bool mHidden = false;
  bool mDisabled = false;
  bool mPromptDisabled = true;
  bool mDblAsSingleClick = false;
  bool mMouseOverWhenDisabled = false;
  bool mMouseEventsWhenDisabled = false;
  bool mIgnoreMouse = false;
  bool mWantsMidi = false;
  bool mWantsMultiTouch = false;
  bool mPromptShowsParamLabel = false;
  bool mMouseIsOver = false;
  std::string mTooltip;
  IColour mHighlightColour = kColourRed;
  bool mHighlighted = false;
  IGEditorDelegate* mDelegate = nullptr;
  IGraphics* mGraphics = nullptr;
  IActionFunction mActionFunc;
  IActionFunction mAnimationEndActionFunc;
  IAnimationFunction mAnimationFunc;
  TimePoint mAnimationStartTime{};
  Milliseconds mAnimationDuration{0.0};

  struct ParamValue
  {
    int mParamIdx;
    double mValue;
  };
  std::vector<ParamValue> mVals;
  std::map<EGestureType, IGestureFunc> mGestureFuncs;
  EGestureType mLastGesture = EGestureType::Unknown;

private:
  // Index of one value: a single-value control always uses 0.
  int ResolveValIdx(int valIdx) const { return NVals() == 1 ? 0 : valIdx; }
  bool ValidValIdx(int valIdx) const { return valIdx >= 0 && valIdx < NVals(); }
};

} // namespace igraphics
} // namespace iplug

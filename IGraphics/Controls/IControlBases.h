// Behaviour shared by knobs and switches, whatever draws them: the knob's
// drag, wheel and click handling and the cycling switch. User-interface
// thread only.
#pragma once

#include "IControl.h"

namespace iplug
{
namespace igraphics
{

// Drag direction of a knob.
enum EDirection
{
  kVertical = 0,
  kHorizontal = 1
};

class IKnobControlBase : public IControl
{
public:
  IKnobControlBase(const IRect& bounds, int paramIdx = kNoParameter, EDirection direction = kVertical,
                   double gearing = 4.0);

  // Hides and locks the cursor for the drag (when asked to); a right-click
  // opens value entry.
  void OnMouseDown(float x, float y, const IMouseMods& mod) override;
  void OnMouseUp(float x, float y, const IMouseMods& mod) override;
  // The whole height (or width) of DragBounds moves the value by 1 / gearing;
  // Shift or Control make that ten times finer.
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMods& mod) override;
  // 0.01 per wheel unit (0.001 with Shift or Control); one parameter step per
  // unit for stepped parameters.
  void OnMouseWheel(float x, float y, const IMouseMods& mod, float d) override;
  // The rectangle whose size sets the drag span.
  virtual IRect DragBounds() const { return mHitRect; }

  double GetDragValue() const { return mDragValue; }
  bool GetMouseIsDown() const { return mMouseDown; }
  double GetGearing() const { return mGearing; }
  EDirection GetDirection() const { return mDirection; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  double mGearing;
  bool mMouseDown = false;
  // Where the drag is, before any snapping to parameter steps.
  double mDragValue = 0.0;
};

class ISwitchControlBase : public IControl
{
public:
  ISwitchControlBase(const IRect& bounds, int paramIdx = kNoParameter, IActionFunction action = nullptr,
                     int numStates = 2);

  // Steps to the next state, wrapping to the first after the last.
  void OnMouseDown(float x, float y, const IMouseMods& mod) override;
  void OnMouseUp(float x, float y, const IMouseMods& mod) override;
  // A bound switch has one state per whole number of its parameter's range.
  void OnInit() override;

  int GetNStates() const { return mNumStates; }
  bool GetMouseIsDown() const { return mMouseDown; }
  // State indexes outside the list count as enabled.
  bool GetStateDisabled(int stateIdx) const;
  void SetStateDisabled(int stateIdx, bool disabled);

protected:
  int mNumStates;
  std::vector<uint8_t> mStatesDisabled;
  bool mMouseDown = false;
};

} // namespace igraphics
} // namespace iplug

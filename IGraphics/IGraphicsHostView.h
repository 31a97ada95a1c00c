// What the graphics context sees of a host that embeds the editor view.
//
// IHostViewContainer is the host's view container reduced to what the
// editor uses: the host's modifier keys, the offer of a click on a
// parameter's control (the host may take it, e.g. for automation shortcuts)
// and the request to resize the host's view. A host binding adapts its own
// container to it; this library knows no host.
//
// IPlugAAXView_Interface is the view object's host-facing side: it holds the
// container (set by the host binding, null otherwise) and offers one
// operation, the automation highlight, which does nothing here.
// User-interface thread only.
#pragma once

#include <cstdint>

namespace iplug
{
namespace igraphics
{

class IHostViewContainer
{
public:
  virtual ~IHostViewContainer() = default;
  // Host modifier bits into *modifiers; 0 on success.
  virtual int GetModifiers(uint32_t* modifiers) = 0;
  // paramID is the host's parameter identifier text. 0 means the host
  // handled the click and the editor must not.
  virtual int HandleParameterMouseDown(const char* paramID, uint32_t modifiers) = 0;
  // Asks the host to make its view width x height logical units; 0 when
  // the host took the request. A container that cannot resize refuses.
  virtual int SetViewSize(int width, int height)
  {
    (void)width;
    (void)height;
    return -1;
  }
};

// Bits the context adds to the host's modifiers when offering a click.
enum EHostModifierBits : uint32_t
{
  kHostModShift = 1,
  kHostModAlt = 4,
  kHostModControl = 8,
  kHostModRightButton = 16
};

// Highlight colour codes of the automation highlight.
enum EHighlightColour
{
  kHighlightRed = 0,
  kHighlightBlue = 1,
  kHighlightGreen = 2,
  kHighlightYellow = 3
};

class IPlugAAXView_Interface
{
public:
  // Marks the controls bound to paramIdx as highlighted (or not) in the
  // colour with the given code.
  virtual void SetAutomationHighlight(int paramIdx, bool isHighlighted, int colourCode)
  {
    (void)paramIdx;
    (void)isHighlighted;
    (void)colourCode;
  }

  void SetViewContainer(IHostViewContainer* container) { mViewContainer = container; }
  IHostViewContainer* GetViewContainer() const { return mViewContainer; }

protected:
  IPlugAAXView_Interface() = default;
  ~IPlugAAXView_Interface() = default;

  IHostViewContainer* mViewContainer = nullptr;
};

} // namespace igraphics
} // namespace iplug

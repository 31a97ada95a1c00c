// The editor interface the host calls for every editor object it creates
// (through the create-editor factory callback, proc id 1).
//
// THE HOST CALLS BY SLOT; the declaration order below is the slot order:
//   0-2  IACFUnknown: QueryInterface, AddRef, Release
//   3-12 AAX_IACFEffectGUI {964E323D-424C-5E1A-2227-282423222E1E}
// The module-side base (AAX_CEffectGUI) continues the table with its own
// operations at 13-16; no host calls those.
//
// Threads: every operation runs on the host's user-interface thread, the one
// that owns the native window handed in through SetViewContainer. None of
// them may block on the render thread.
#pragma once

#include "ACF/ACFBase.h"
#include "AAX.h"
#include "AAX_IString.h"

// A rectangle in logical units, as the host's Draw passes it.
struct AAX_Rect
{
  float top = 0.f;
  float left = 0.f;
  float width = 0.f;
  float height = 0.f;
};

// Colour codes of the host's control highlight (the automation colours).
using AAX_EHighlightColor = int32_t;
constexpr AAX_EHighlightColor AAX_eHighlightColor_Red = 0;
constexpr AAX_EHighlightColor AAX_eHighlightColor_Blue = 1;
constexpr AAX_EHighlightColor AAX_eHighlightColor_Green = 2;
constexpr AAX_EHighlightColor AAX_eHighlightColor_Yellow = 3;

// Selector of GetCustomLabel.
using AAX_EPlugInStrings = int32_t;

class AAX_IACFEffectGUI : public IACFUnknown
{
public:
  // The instance's controller object; the editor finds the instance's
  // effect-parameters object through it.
  /* 3 */ virtual AAX_Result Initialize(IACFUnknown* controller) = 0;
  /* 4 */ virtual AAX_Result Uninitialize() = 0;
  /* 5 */ virtual AAX_Result NotificationReceived(AAX_CTypeID type, const void* data, uint32_t size) = 0;
  // The host's view container (AAX_IViewContainer), or null when the host
  // takes the window away.
  /* 6 */ virtual AAX_Result SetViewContainer(IACFUnknown* viewContainer) = 0;
  /* 7 */ virtual AAX_Result GetViewSize(AAX_Point* size) const = 0;
  /* 8 */ virtual AAX_Result Draw(AAX_Rect* drawRect) = 0;
  // Called periodically by the host's user-interface loop.
  /* 9 */ virtual AAX_Result TimerWakeup() = 0;
  /* 10 */ virtual AAX_Result ParameterUpdated(AAX_CParamID identifier) = 0;
  /* 11 */ virtual AAX_Result GetCustomLabel(AAX_EPlugInStrings selector, AAX_IString* label) const = 0;
  /* 12 */ virtual AAX_Result SetControlHighlightInfo(AAX_CParamID identifier, AAX_CBoolean isHighlighted,
                                                      AAX_EHighlightColor color) = 0;

protected:
  ~AAX_IACFEffectGUI() = default;
};
// {964E323D-424C-5E1A-2227-282423222E1E}
constexpr acfIID IID_AAX_IACFEffectGUI = {
    0x964E323D, 0x424C, 0x5E1A, {0x22, 0x27, 0x28, 0x24, 0x23, 0x22, 0x2E, 0x1E}};

// The module-side name of the same interface.
class AAX_IEffectGUI : public AAX_IACFEffectGUI
{
protected:
  ~AAX_IEffectGUI() = default;
};

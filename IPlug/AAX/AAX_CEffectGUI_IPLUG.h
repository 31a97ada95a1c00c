// The editor object the host creates for an instance (the description's
// create-editor callback): finds the instance's IPlugAAX object, opens the
// framework editor inside the native window the host hands in, reports the
// editor size and passes the host's control highlights to the editor.
// Parameter values do not travel through it: the editor talks to the
// instance through the framework.
//
// Threads: the host's user-interface thread only, the one that created the
// instance (the framework timer and the editor window live there).
#pragma once

#include "AAX_CEffectGUI.h"

#include <memory>

namespace iplug
{

class IPlugAAX;
class IPlugAAXViewContainer;

class AAX_CEffectGUI_IPLUG : public AAX_CEffectGUI
{
public:
  AAX_CEffectGUI_IPLUG();
  ~AAX_CEffectGUI_IPLUG() override;

  // The factory callback's answer: a new object with no reference yet (the
  // host's query takes the first); null when it cannot be made.
  static IACFUnknown* Create();

  AAX_Result GetViewSize(AAX_Point* size) const override;
  // Also runs the module's framework timers where the operating system
  // delivers no timer messages (the host calls this periodically).
  AAX_Result TimerWakeup() override;
  AAX_Result GetCustomLabel(AAX_EPlugInStrings selector, AAX_IString* label) const override;
  AAX_Result SetControlHighlightInfo(AAX_CParamID identifier, AAX_CBoolean isHighlighted,
                                     AAX_EHighlightColor color) override;

  IPlugAAX* GetPlug() const { return mPlug; }

protected:
  void CreateViewContents() override;
  void CreateViewContainer() override;
  void DeleteViewContainer() override;

private:
  IPlugAAX* mPlug = nullptr;
  // The host's container as the editor's view object sees it; lives while
  // the editor is open.
  std::unique_ptr<IPlugAAXViewContainer> mHostView;
};

// Runs the module's framework timers from the host's user-interface loop
// where no operating-system timer drives them (chosen by the build; does
// nothing where timer messages do). User-interface thread.
void PumpFrameworkTimersFromHost();

} // namespace iplug

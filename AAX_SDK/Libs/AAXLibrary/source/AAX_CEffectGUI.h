// Base implementation of the editor interface: reference-counted identity,
// the wrappers around the host objects handed in at Initialize and through
// SetViewContainer, and the instance's effect-parameters object found
// through the controller. Derived classes open and close their view in
// CreateViewContainer / DeleteViewContainer.
//
// Threads: the host's user-interface thread only (see AAX_IEffectGUI.h).
#pragma once

#include "AAX_IEffectGUI.h"
#include "AAX_IEffectParameters.h"
#include "AAX_VController.h"
#include "CACFUnknown.h"

#include <memory>

class AAX_CEffectGUI : public AAX_IEffectGUI, public CACFUnknown
{
protected:
  // Declared first so that they take the slots right after the interface's
  // (13-16), before those the overrides of the second base add.
  /* 13 */ virtual void CreateViewContents();
  /* 14 */ virtual void CreateViewContainer();
  /* 15 */ virtual void DeleteViewContainer();
  // ParameterUpdated for every parameter identifier the effect answers.
  /* 16 */ virtual AAX_Result UpdateAllParameters();

public:
  AAX_CEffectGUI();
  // A derived class that opens a view must run Uninitialize in its own
  // destructor: the base's cannot reach the derived DeleteViewContainer.
  ~AAX_CEffectGUI() override;

  ACF_DECLARE_STANDARD_UNKNOWN()
  // Answers IID_AAX_IACFEffectGUI with this object (one added reference),
  // IID_IACFUnknown with the inner object, anything else with null and
  // kACFResult_NoInterface.
  ACFRESULT InternalQueryInterface(const acfIID& iid, void** ppv) override;

  AAX_Result Initialize(IACFUnknown* controller) override;
  AAX_Result Uninitialize() override;
  AAX_Result NotificationReceived(AAX_CTypeID type, const void* data, uint32_t size) override;
  AAX_Result SetViewContainer(IACFUnknown* viewContainer) override;
  AAX_Result GetViewSize(AAX_Point* size) const override;
  AAX_Result Draw(AAX_Rect* drawRect) override;
  AAX_Result TimerWakeup() override;
  AAX_Result ParameterUpdated(AAX_CParamID identifier) override;
  AAX_Result GetCustomLabel(AAX_EPlugInStrings selector, AAX_IString* label) const override;
  AAX_Result SetControlHighlightInfo(AAX_CParamID identifier, AAX_CBoolean isHighlighted,
                                     AAX_EHighlightColor color) override;

  // Null before Initialize and after Uninitialize.
  AAX_VController* GetController() const { return mController.get(); }
  AAX_VTransport* Transport() const { return mTransport.get(); }
  AAX_IACFEffectParameters* GetEffectParameters() const { return mEffectParameters; }
  // Null while the host has given no window.
  AAX_VViewContainer* GetViewContainer() const { return mViewContainer.get(); }

private:
  std::unique_ptr<AAX_VController> mController;
  // A counted reference, taken from the host at Initialize.
  AAX_IACFEffectParameters* mEffectParameters = nullptr;
  std::unique_ptr<AAX_VViewContainer> mViewContainer;
  std::unique_ptr<AAX_VTransport> mTransport;
};

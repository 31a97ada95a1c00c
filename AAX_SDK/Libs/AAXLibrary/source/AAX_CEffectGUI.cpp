#include "AAX_CEffectGUI.h"
#include "AAX_CString.h"

AAX_CEffectGUI::AAX_CEffectGUI() = default;

AAX_CEffectGUI::~AAX_CEffectGUI()
{
  // A host that releases the editor without Uninitialize still gets its
  // window closed and its references back.
  Uninitialize();
}

ACFRESULT AAX_CEffectGUI::InternalQueryInterface(const acfIID& iid, void** ppv)
{
  if (!ppv) return kACFResult_NoInterface;
  if (iid == IID_AAX_IACFEffectGUI)
  {
    *ppv = static_cast<AAX_IEffectGUI*>(this);
    AddRef();
    return kACFResult_OK;
  }
  return CACFUnknown::InternalQueryInterface(iid, ppv);
}

AAX_Result AAX_CEffectGUI::Initialize(IACFUnknown* controller)
{
  if (!controller) return AAX_ERROR_NOT_INITIALIZED;
  try
  {
    auto newController = std::make_unique<AAX_VController>(controller);
    if (!newController->IsSupported()) return AAX_ERROR_NOT_INITIALIZED;
    auto newTransport = std::make_unique<AAX_VTransport>(controller);
    // The host answers the controller's query for the effect-parameters
    // interface with the same instance's object.
    AAX_IACFEffectParameters* effect =
        ACFQueryInterface<AAX_IACFEffectParameters>(controller, IID_AAX_IACFEffectParameters);
    ACFSafeRelease(mEffectParameters);
    mEffectParameters = effect;
    mController = std::move(newController);
    mTransport = std::move(newTransport);
    CreateViewContents();
    return AAX_SUCCESS;
  }
  catch (...) // nothing may leave the module (out of memory for the wrappers)
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
}

AAX_Result AAX_CEffectGUI::Uninitialize()
{
  if (mViewContainer) SetViewContainer(nullptr);
  ACFSafeRelease(mEffectParameters);
  mController.reset();
  mTransport.reset();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::NotificationReceived(AAX_CTypeID, const void*, uint32_t)
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::SetViewContainer(IACFUnknown* viewContainer)
{
  try
  {
    if (!viewContainer)
    {
      DeleteViewContainer();
      mViewContainer.reset();
      return AAX_SUCCESS;
    }
    auto wrapper = std::make_unique<AAX_VViewContainer>(viewContainer);
    // The old view goes with its container: the new one is opened below.
    if (mViewContainer) DeleteViewContainer();
    mViewContainer = std::move(wrapper);
    CreateViewContainer();
    UpdateAllParameters();
    return AAX_SUCCESS;
  }
  catch (...) // nothing may leave the module
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
}

AAX_Result AAX_CEffectGUI::GetViewSize(AAX_Point*) const
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::Draw(AAX_Rect*)
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::TimerWakeup()
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::ParameterUpdated(AAX_CParamID)
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::GetCustomLabel(AAX_EPlugInStrings, AAX_IString*) const
{
  return AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_CEffectGUI::SetControlHighlightInfo(AAX_CParamID, AAX_CBoolean, AAX_EHighlightColor)
{
  return AAX_SUCCESS;
}

void AAX_CEffectGUI::CreateViewContents() {}

void AAX_CEffectGUI::CreateViewContainer() {}

void AAX_CEffectGUI::DeleteViewContainer() {}

AAX_Result AAX_CEffectGUI::UpdateAllParameters()
{
  if (!mEffectParameters) return AAX_ERROR_NULL_OBJECT;
  int32_t count = 0;
  if (mEffectParameters->GetNumberOfParameters(&count) != AAX_SUCCESS) return AAX_SUCCESS;
  for (int32_t i = 0; i < count; ++i)
  {
    AAX_CString identifier;
    if (mEffectParameters->GetParameterIDFromIndex(i, &identifier) == AAX_SUCCESS)
      ParameterUpdated(identifier.Get());
  }
  return AAX_SUCCESS;
}

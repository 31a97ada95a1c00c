#include "AAX_CEffectGUI_IPLUG.h"

#include "IGraphics.h"
#include "IPlugAAX.h"

#include <cstdlib>
#include <new>
#include <string>

namespace iplug
{

// The host's view container behind the editor's host-view interface.
class IPlugAAXViewContainer final : public igraphics::IHostViewContainer
{
public:
  explicit IPlugAAXViewContainer(AAX_VViewContainer& container) : mContainer(container) {}

  int GetModifiers(uint32_t* modifiers) override { return mContainer.GetModifiers(modifiers); }
  int HandleParameterMouseDown(const char* paramID, uint32_t modifiers) override
  {
    return mContainer.HandleParameterMouseDown(paramID, modifiers);
  }
  int SetViewSize(int width, int height) override
  {
    AAX_Point size;
    size.vert = static_cast<float>(height);
    size.horz = static_cast<float>(width);
    return mContainer.SetViewSize(size);
  }

private:
  AAX_VViewContainer& mContainer;
};

AAX_CEffectGUI_IPLUG::AAX_CEffectGUI_IPLUG() = default;

AAX_CEffectGUI_IPLUG::~AAX_CEffectGUI_IPLUG()
{
  Uninitialize();
}

IACFUnknown* AAX_CEffectGUI_IPLUG::Create()
{
  AAX_CEffectGUI_IPLUG* gui = new (std::nothrow) AAX_CEffectGUI_IPLUG();
  return gui ? static_cast<AAX_IEffectGUI*>(gui) : nullptr;
}

void AAX_CEffectGUI_IPLUG::CreateViewContents()
{
  mPlug = dynamic_cast<IPlugAAX*>(GetEffectParameters());
}

void AAX_CEffectGUI_IPLUG::CreateViewContainer()
{
  AAX_VViewContainer* container = GetViewContainer();
  void* window = container ? container->GetPtr() : nullptr;
  if (!window || !mPlug || !mPlug->HasUI()) return;
  mPlug->OpenEditor(window);
  if (igraphics::IGraphics* view = mPlug->EditorGraphics())
  {
    mHostView = std::make_unique<IPlugAAXViewContainer>(*container);
    view->SetViewContainer(mHostView.get());
  }
}

void AAX_CEffectGUI_IPLUG::DeleteViewContainer()
{
  if (!mPlug) return;
  if (igraphics::IGraphics* view = mPlug->EditorGraphics()) view->SetViewContainer(nullptr);
  mPlug->CloseEditor();
  mHostView.reset();
}

AAX_Result AAX_CEffectGUI_IPLUG::GetViewSize(AAX_Point* size) const
{
  if (!size) return AAX_ERROR_NULL_OBJECT;
  if (mPlug && mPlug->HasUI())
  {
    size->horz = static_cast<float>(mPlug->GetEditorWidth());
    size->vert = static_cast<float>(mPlug->GetEditorHeight());
  }
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI_IPLUG::TimerWakeup()
{
  PumpFrameworkTimersFromHost();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI_IPLUG::GetCustomLabel(AAX_EPlugInStrings, AAX_IString*) const
{
  return AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_CEffectGUI_IPLUG::SetControlHighlightInfo(AAX_CParamID identifier, AAX_CBoolean isHighlighted,
                                                         AAX_EHighlightColor color)
{
  igraphics::IGraphics* view = mPlug ? mPlug->EditorGraphics() : nullptr;
  if (!view) return AAX_ERROR_INVALID_PARAMETER_ID;
  // Framework parameter i has the identifier i + 1; the master bypass's
  // empty identifier gives -1.
  const int paramIdx = (identifier ? std::atoi(identifier) : 0) - 1;
  view->SetAutomationHighlight(paramIdx, isHighlighted != 0, color);
  return AAX_SUCCESS;
}

} // namespace iplug

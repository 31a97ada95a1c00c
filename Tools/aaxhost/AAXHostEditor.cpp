#include "AAXHostEditor.h"
#include "AAXHostSession.h"
#include "AAXHostWindow.h"

#include <cmath>

namespace aaxhost
{

// ---------------------------------------------------------------------------
// HostViewContainer

void* HostViewContainer::GetPtr()
{
  return mWindow ? mWindow->NativeHandle() : nullptr;
}

AAX_Result HostViewContainer::GetModifiers(uint32_t* modifiers)
{
  if (!modifiers) return AAX_ERROR_NULL_OBJECT;
  // The host holds no modifier keys of its own: the editor reads the
  // keyboard from its own window's events.
  *modifiers = 0;
  return AAX_SUCCESS;
}

AAX_Result HostViewContainer::SetViewSize(AAX_Point& size)
{
  ++mSizeRequests;
  if (!std::isfinite(size.horz) || !std::isfinite(size.vert) || size.horz < 1.f || size.vert < 1.f ||
      size.horz > 16384.f || size.vert > 16384.f)
    return AAX_ERROR_INVALID_PARAMETER_ID;
  if (!mWindow) return AAX_ERROR_NULL_OBJECT;
  const int w = static_cast<int>(std::lround(size.horz));
  const int h = static_cast<int>(std::lround(size.vert));
  mWindow->Resize(w, h);
  if (mOnResize) mOnResize(w, h);
  return AAX_SUCCESS;
}

AAX_Result HostViewContainer::HandleParameterMouseDown(AAX_CParamID id, uint32_t modifiers)
{
  ++mDowns;
  mLastDownID = id ? id : "";
  mLastDownModifiers = modifiers;
  return AAX_ERROR_UNIMPLEMENTED; // not taken: the editor handles the click
}

AAX_Result HostViewContainer::HandleParameterMouseDrag(AAX_CParamID, uint32_t)
{
  ++mDrags;
  return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result HostViewContainer::HandleParameterMouseUp(AAX_CParamID, uint32_t)
{
  ++mUps;
  return AAX_ERROR_UNIMPLEMENTED;
}

void* HostViewContainer::Find(const acfIID& iid)
{
  if (iid == IID_AAX_IViewContainer) return static_cast<AAX_IViewContainer*>(this);
  if (iid == IID_AAX_IViewContainer_V2) return static_cast<AAX_IViewContainer_V2*>(this);
  return HostObject::Find(iid);
}

// ---------------------------------------------------------------------------
// Editor

std::unique_ptr<Editor> Editor::Create(Instance& instance, std::string& error)
{
  AAX_CProcPtr proc = instance.EffectDescription().ProcPtr(1);
  if (!proc)
  {
    error = "the effect registered no editor (no create-editor callback, proc id 1)";
    return nullptr;
  }
  IACFUnknown* made = reinterpret_cast<CreateEditorProc>(proc)();
  if (!made)
  {
    error = "the create-editor callback made no object";
    return nullptr;
  }
  void* p = nullptr;
  if (made->QueryInterface(IID_AAX_IACFEffectGUI, &p) != kACFResult_OK || !p)
  {
    // Nothing holds the object yet: a reference and its release delete it.
    made->AddRef();
    made->Release();
    error = "the editor object does not answer the editor interface";
    return nullptr;
  }
  return Adopt(instance, static_cast<AAX_IACFEffectGUI*>(p), error);
}

std::unique_ptr<Editor> Editor::Adopt(Instance& instance, AAX_IACFEffectGUI* gui, std::string& error)
{
  std::unique_ptr<Editor> e(new Editor(instance));
  if (!e->Initialize(gui, error)) return nullptr;
  return e;
}

bool Editor::Initialize(AAX_IACFEffectGUI* gui, std::string& error)
{
  mGUI = gui;
  const AAX_Result r = mGUI->Initialize(static_cast<AAX_IController*>(&mInstance.Controller()));
  mInstance.GetSession().PumpUserInterface();
  if (r != AAX_SUCCESS)
  {
    error = "the editor's Initialize failed with " + std::to_string(r);
    return false; // the destructor releases the object
  }
  mInitialized = true;
  return true;
}

Editor::~Editor()
{
  if (!mGUI) return;
  Detach();
  if (mInitialized) mGUI->Uninitialize();
  mGUI->Release();
  mGUI = nullptr;
  mInstance.GetSession().PumpUserInterface();
}

bool Editor::ViewSize(int& width, int& height)
{
  AAX_Point size;
  size.horz = size.vert = -1.f;
  const AAX_Result r = mGUI->GetViewSize(&size);
  if (r != AAX_SUCCESS || !(size.horz >= 1.f) || !(size.vert >= 1.f) || size.horz > 16384.f ||
      size.vert > 16384.f)
    return false;
  width = static_cast<int>(std::lround(size.horz));
  height = static_cast<int>(std::lround(size.vert));
  return true;
}

bool Editor::Attach(HostWindow& window, std::string& error)
{
  Detach();
  Ref<HostViewContainer> container = MakeRef<HostViewContainer>(&window);
  mContainer = container;
  const AAX_Result r = mGUI->SetViewContainer(static_cast<AAX_IViewContainer*>(container.get()));
  mInstance.GetSession().PumpUserInterface();
  if (r != AAX_SUCCESS)
  {
    Detach();
    error = "the editor's SetViewContainer failed with " + std::to_string(r);
    return false;
  }
  // The editor's first parameter refresh may already have asked something.
  mInstance.DeliverAutomation();
  return true;
}

void Editor::Detach()
{
  if (!mContainer) return;
  mGUI->SetViewContainer(nullptr);
  // The editor may keep its reference; it must not reach the window any more.
  mContainer->Detach();
  mContainer = Ref<HostViewContainer>();
  mInstance.GetSession().PumpUserInterface();
}

void Editor::Pump()
{
  mGUI->TimerWakeup();
  mInstance.DeliverAutomation();
}

} // namespace aaxhost

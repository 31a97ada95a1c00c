// A plug-in instance's editor as a host opens it: the editor object from the
// description's create-editor callback (proc id 1), initialised with the
// instance's controller and given the host's view container, whose native
// pointer is the host window the editor opens inside.
//
// User-interface thread only: the one that created the instance, which also
// pumps the editor (TimerWakeup) and the host window. The editor object's
// calls do not take the instance's host lock: opening an editor takes a
// while (a window, an OpenGL context, pictures), and the coefficient
// generation ahead of every render call must not wait for it. The editor
// reaches the instance only through the module's own framework.
#pragma once

#include "AAXHostObjects.h"
#include "AAX_IEffectGUI.h"

#include <functional>
#include <memory>
#include <string>

namespace aaxhost
{

class Instance;
class HostWindow;

// The host's view container for one editor window. The native pointer is the
// window's handle while a window is attached; the editor's size requests
// resize that window. The editor offers the host every click on a
// parameter's control first; this host takes none of them (it answers
// AAX_ERROR_UNIMPLEMENTED, non-zero, so the editor handles the click) and
// counts them.
class HostViewContainer final : public HostObject<AAX_IViewContainer_V2>
{
public:
  explicit HostViewContainer(HostWindow* window) : mWindow(window) {}

  // A native window of the operating system (the only kind this host makes).
  int32_t GetType() override { return 1; }
  void* GetPtr() override;
  AAX_Result GetModifiers(uint32_t* modifiers) override;
  // size is in pixels of the editor (vertical, horizontal).
  AAX_Result SetViewSize(AAX_Point& size) override;
  AAX_Result HandleParameterMouseDown(AAX_CParamID id, uint32_t modifiers) override;
  AAX_Result HandleParameterMouseDrag(AAX_CParamID id, uint32_t modifiers) override;
  AAX_Result HandleParameterMouseUp(AAX_CParamID id, uint32_t modifiers) override;

  // The window is going: the native pointer answers null from now on.
  void Detach() { mWindow = nullptr; }
  // Called after the window has taken a size the editor asked for.
  void SetResizeListener(std::function<void(int width, int height)> listener)
  {
    mOnResize = std::move(listener);
  }

  int NumMouseDowns() const { return mDowns; }
  int NumMouseDrags() const { return mDrags; }
  int NumMouseUps() const { return mUps; }
  int NumSizeRequests() const { return mSizeRequests; }
  // The last identifier offered with a mouse-down, and its modifier mask.
  const std::string& LastMouseDownID() const { return mLastDownID; }
  uint32_t LastMouseDownModifiers() const { return mLastDownModifiers; }

protected:
  void* Find(const acfIID& iid) override;

private:
  HostWindow* mWindow;
  std::function<void(int, int)> mOnResize;
  int mDowns = 0;
  int mDrags = 0;
  int mUps = 0;
  int mSizeRequests = 0;
  std::string mLastDownID;
  uint32_t mLastDownModifiers = 0;
};

// The create-editor callback's signature: an editor object without a
// reference (the host's query takes the first one).
using CreateEditorProc = IACFUnknown* (*)();

class Editor
{
public:
  // Makes the instance's editor object and initialises it with the
  // instance's controller. Null with error set when the module has no
  // editor or refuses.
  static std::unique_ptr<Editor> Create(Instance& instance, std::string& error);
  // The same with an editor object already made (its reference is adopted).
  static std::unique_ptr<Editor> Adopt(Instance& instance, AAX_IACFEffectGUI* gui, std::string& error);
  // Closes the window if open, uninitialises and releases the editor object.
  ~Editor();
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  // The editor's size in pixels as it reports it; false when it reports none.
  bool ViewSize(int& width, int& height);
  // Opens the editor inside window (SetViewContainer). The window must
  // outlive the attachment.
  bool Attach(HostWindow& window, std::string& error);
  // Closes the editor window (SetViewContainer(null)); the object stays.
  void Detach();
  bool IsAttached() const { return static_cast<bool>(mContainer); }
  // The host's periodic call on the user-interface thread (TimerWakeup):
  // the editor's clock runs on it where the system has no timer messages.
  void Pump();
  // Null while detached.
  HostViewContainer* Container() const { return mContainer.get(); }
  AAX_IACFEffectGUI* Object() const { return mGUI; }

private:
  explicit Editor(Instance& instance) : mInstance(instance) {}
  bool Initialize(AAX_IACFEffectGUI* gui, std::string& error);

  Instance& mInstance;
  AAX_IACFEffectGUI* mGUI = nullptr;
  bool mInitialized = false;
  Ref<HostViewContainer> mContainer;
};

} // namespace aaxhost

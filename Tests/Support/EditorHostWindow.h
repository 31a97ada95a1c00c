// A window of the test's own to host the editor in, as a host's view
// container does: the stand-in host's own window (an X11 window on a
// connection of its own on Linux, a top-level Win32 window on Windows).
#pragma once

#include <functional>
#include <memory>

namespace aaxhost
{
class HostWindow;
}

namespace kestrine_test
{

// The handle the test program's own embedded resources are found with
// (null where resources are a linked table rather than module resources).
void* TestModuleHandle();

class EditorHostWindow
{
public:
  // Null when the system has no display to open a window on.
  static std::unique_ptr<EditorHostWindow> Create(int width, int height);
  ~EditorHostWindow();
  // The native parent pointer the editor opens in.
  void* Handle() const;
  // Until done holds (or the tests' deadline passes; answers whether it
  // held): handles the window's pending events, and runs tick every couple
  // of milliseconds (what drives the framework timers where no system timer
  // does).
  bool PumpUntil(const std::function<bool()>& done, const std::function<void()>& tick = {});

private:
  explicit EditorHostWindow(std::unique_ptr<aaxhost::HostWindow> window);
  std::unique_ptr<aaxhost::HostWindow> mWindow;
};

} // namespace kestrine_test

// A window of the test's own to host the editor in, as a host's view
// container does: an X11 window on a connection of the test's own on Linux,
// a top-level Win32 window on Windows. The build picks the file.
#pragma once

#include <functional>
#include <memory>

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
  virtual ~EditorHostWindow() = default;
  // The native parent pointer the editor opens in.
  virtual void* Handle() const = 0;
  // For about ms milliseconds: handles this thread's pending window
  // messages (Windows), and runs tick every couple of milliseconds (what
  // drives the framework timers where no system timer does).
  virtual void Pump(int ms, const std::function<void()>& tick = {}) = 0;
};

} // namespace kestrine_test

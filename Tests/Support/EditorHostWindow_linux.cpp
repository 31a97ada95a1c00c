#include "EditorHostWindow.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace kestrine_test
{
namespace
{
class X11HostWindow final : public EditorHostWindow
{
public:
  X11HostWindow(Display* display, int width, int height) : mDisplay(display)
  {
    mWindow = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
  }
  ~X11HostWindow() override
  {
    XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
  }
  void* Handle() const override { return reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)); }
  void Pump(int ms, const std::function<void()>& tick) override
  {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do
    {
      if (tick) tick();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
  }

private:
  Display* mDisplay;
  Window mWindow = 0;
};
} // namespace

void* TestModuleHandle()
{
  return nullptr;
}

std::unique_ptr<EditorHostWindow> EditorHostWindow::Create(int width, int height)
{
  Display* display = nullptr;
  // A server left without clients resets itself for a moment: try again.
  for (int i = 0; i < 50 && !display; ++i)
  {
    display = XOpenDisplay(nullptr);
    if (!display) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!display) return nullptr;
  return std::make_unique<X11HostWindow>(display, width, height);
}

} // namespace kestrine_test

#include "EditorHostWindow.h"

#include <windows.h>

#include <chrono>

namespace kestrine_test
{
namespace
{
class Win32HostWindow final : public EditorHostWindow
{
public:
  explicit Win32HostWindow(HWND window) : mWindow(window) {}
  ~Win32HostWindow() override { DestroyWindow(mWindow); }
  void* Handle() const override { return mWindow; }
  void Pump(int ms, const std::function<void()>& tick) override
  {
    // The framework timers are thread timers: their messages come through
    // this thread's queue like the window's.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do
    {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (tick) tick();
      Sleep(2);
    } while (std::chrono::steady_clock::now() < end);
  }

private:
  HWND mWindow;
};
} // namespace

void* TestModuleHandle()
{
  return GetModuleHandleW(nullptr);
}

std::unique_ptr<EditorHostWindow> EditorHostWindow::Create(int width, int height)
{
  static const wchar_t* kClass = L"KestrineTestHost";
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc); // fails harmlessly once registered
  // width x height is the client area, as a host's view is: the editor
  // paints only what its window shows.
  RECT r{0, 0, width, height};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  HWND w = CreateWindowExW(0, kClass, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!w) return nullptr;
  return std::make_unique<Win32HostWindow>(w);
}

} // namespace kestrine_test

#include "EditorHostWindow.h"

#include "AAXHostWindow.h"

#include <chrono>
#include <string>
#include <thread>

namespace kestrine_test
{

EditorHostWindow::EditorHostWindow(std::unique_ptr<aaxhost::HostWindow> window) : mWindow(std::move(window))
{
}

EditorHostWindow::~EditorHostWindow() = default;

std::unique_ptr<EditorHostWindow> EditorHostWindow::Create(int width, int height)
{
  std::string error;
  auto window = aaxhost::HostWindow::Create(width, height, "editor test", error);
  if (!window) return nullptr;
  return std::unique_ptr<EditorHostWindow>(new EditorHostWindow(std::move(window)));
}

void* EditorHostWindow::Handle() const
{
  return mWindow->NativeHandle();
}

void EditorHostWindow::Pump(int ms, const std::function<void()>& tick)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do
  {
    mWindow->HandleEvents();
    if (tick) tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < end);
}

} // namespace kestrine_test

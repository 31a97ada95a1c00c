#include "EditorHostWindow.h"

#include "AAXHostWindow.h"
#include "WaitUntil.h"

#include <string>

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

bool EditorHostWindow::PumpUntil(const std::function<bool()>& done, const std::function<void()>& tick)
{
  return WaitUntil(done,
                   [&]
                   {
                     mWindow->HandleEvents();
                     if (tick) tick();
                   });
}

} // namespace kestrine_test

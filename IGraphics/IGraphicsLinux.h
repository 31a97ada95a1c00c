// The editor window on Linux: an X11 child window of the window the host
// passes (its Window id as the native parent pointer), drawn with OpenGL
// through GLX by the vector backend.
//
// Threads: everything runs on the user-interface thread that opened the
// window. The display clock is a framework timer (iplug::Timer) at the
// editor's frame rate; the host's user-interface loop drives it by calling
// Timer::PumpAll. Each tick first handles the window's pending X events
// (turned into the context's mouse, wheel and key events), then redraws the
// dirty controls into the editor framebuffer and presents it. The window
// has an X connection of its own, so nothing here touches the host's.
#pragma once

#include "IGraphicsNanoVG.h"
#include "IPlugTimer.h"

#include <memory>
#include <string>

namespace iplug
{
namespace igraphics
{

class IValueEntryControl;

class IGraphicsLinux : public IGraphicsNanoVG
{
public:
  IGraphicsLinux(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphicsLinux() override;

  // Mouse.
  void GetMouseLocation(float& x, float& y) const override;
  void HideMouseCursor(bool hide = true, bool lock = true) override;
  void MoveMouseCursor(float x, float y) override;
  ECursor SetMouseCursor(ECursor cursor = kCursorArrow) override;
  void EndPlatformTextEntry() override;

  // Window. parent is the X11 Window id of the host's window.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override;
  bool WindowIsOpen() override;

  // Clipboard (the CLIPBOARD selection, UTF-8).
  bool GetTextFromClipboard(std::string& str) override;
  bool SetTextInClipboard(const char* str) override;

  // Dialogs: none on this platform; each answers "cancelled" and traces.
  int ShowMessageBox(const char* str, const char* caption, int type) override;
  void PromptForFile(std::string& fileName, std::string& path, bool save, const char* ext) override;
  bool PromptForDirectory(std::string& dir) override;
  bool PromptForColour(IColour& colour, const char* prompt) override;
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  const char* GetPlatformAPIStr() override { return "X11"; }
  bool RevealPathInExplorerOrFinder(const char* path, bool select = false) override;

  // Fonts: from the embedded resources (used in place) or a file.
  PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fontName, EFontStyle style) override;
  PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fileNameOrResID) override;
  PlatformFontPtr LoadPlatformFont(const char* fontID, const void* data, int dataSize) override;
  void CachePlatformFont(const char* fontID, const PlatformFontPtr& font) override;

  void ActivateGLContext() override;
  void DeactivateGLContext() override;

  // Neither exists natively here: values are typed into an entry the
  // editor draws itself (IValueEntryControl); the menu answers "cancelled".
  void CreatePlatformTextEntry(int valIdx, const ITextStyle& style, const IRect& bounds, int length,
                               const char* str) override;
  IMenu* CreatePlatformPopupMenu(IMenu& menu, const IRect& bounds, bool& isAsync) override;

  void PlatformResize(bool parentHasResized) override;

  // One display-clock tick (what the timer runs): handle pending X events,
  // then draw the dirty regions and present. Public so that a host loop (or
  // a test) can run it directly.
  void OnDisplayTick();
  // The X11 Window id of the editor's window (0 when closed).
  unsigned long GetXWindow() const;

private:
  struct X11;
  void HandleEvents();
  void Paint(bool presentOnly);
  std::unique_ptr<X11> mX;
  // The drawn value entry, made on first use; owned by the context once
  // attached (gone with the controls when the window closes).
  IValueEntryControl* mValueEntry = nullptr;
  std::unique_ptr<Timer> mTimer;
};

} // namespace igraphics
} // namespace iplug

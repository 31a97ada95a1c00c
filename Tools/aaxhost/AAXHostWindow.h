// The host's own top-level window that a plug-in editor opens inside, and the
// few things a host does with it: resize it when the editor asks, notice when
// the person closes it, read back what the editor shows, and, for snapshot
// and the tests, hand the editor mouse input as if a person gave it.
//
// The build chooses the implementation: AAXHostWindow_x11.cpp (an X11
// window on a connection of its own; the editor makes its window a child of
// it) or AAXHostWindow_win.cpp (a Win32 window). User-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace aaxhost
{

// 8-bit RGBA, top row first, opaque.
struct Picture
{
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// Mouse input for the editor's window, at window pixels.
enum class EMouse
{
  eMove,
  eLeftDown,
  eLeftUp,
  eRightDown,
  eRightUp,
  eWheelUp,
  eWheelDown,
  eLeftDoubleClick // two left clicks close enough in time to make a double click
};

// Modifier keys held during the event.
enum EModifierBits : uint32_t
{
  eModShift = 1,
  eModControl = 2,
  eModAlt = 4
};

// Makes sure there is a display to open windows on. On X11 without DISPLAY
// it starts a private virtual server (Xvfb) and points DISPLAY at it for
// this process; the server stops when the object goes. Elsewhere, and when
// DISPLAY is set, it does nothing.
class PrivateDisplay
{
public:
  static std::unique_ptr<PrivateDisplay> StartIfNeeded(std::string& error);
  ~PrivateDisplay();
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;

private:
  PrivateDisplay() = default;
  long mPid = 0;
};

class HostWindow
{
public:
  // Opens and shows a window whose client area is width x height pixels on
  // the person's display. Null with error set (one line) when there is no
  // display or it refuses the window.
  static std::unique_ptr<HostWindow> Create(int width, int height, const std::string& title,
                                            std::string& error);
  // Whether Create can open windows at all, before anything else is done;
  // false with error as Create would set it.
  static bool DisplayAvailable(std::string& error);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // What the editor gets as its parent: the X11 Window id (through
  // uintptr_t) or the HWND.
  void* NativeHandle() const;
  void Resize(int width, int height);
  int Width() const;
  int Height() const;
  // Handles the window's waiting events; false once the person has closed it.
  bool HandleEvents();
  bool IsClosed() const;

  // The editor's own window inside this one (the first child), or 0.
  uintptr_t EditorWindow() const;
  // The editor's window's size in pixels as the system has it (0 when none).
  bool EditorSize(int& width, int& height) const;
  // What the editor window shows now, as the system composes it.
  bool CaptureEditor(Picture& picture, std::string& error);
  // Sends one mouse event at window pixels (x, y) of the editor's window.
  bool SendMouse(EMouse what, int x, int y, uint32_t modifiers = 0);
  // Types text into the editor's window, one key press and release per
  // character ('\r' Return, '\b' Backspace, '\x1b' Escape); printable ASCII
  // only.
  bool SendKeys(const std::string& text);

private:
  HostWindow();
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

// The picture as a PNG file's bytes.
bool EncodePng(const Picture& picture, std::vector<uint8_t>& bytes);

} // namespace aaxhost

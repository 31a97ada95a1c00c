#include "IGraphicsLinux.h"
#include "IValueEntryControl.h"

#include "IGraphicsResources.h"
#include "IPlugLogger.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

namespace iplug
{
namespace igraphics
{

namespace
{
// Two presses of a button within this many milliseconds (and a few pixels)
// make a double click.
constexpr Time kDoubleClickMs = 400;
constexpr int kDoubleClickSlop = 4;

// Font bytes: an embedded resource used in place, or a file's bytes.
class LinuxFont : public PlatformFont
{
public:
  LinuxFont(const void* data, int size) : mData(data), mSize(size) {}
  explicit LinuxFont(std::vector<unsigned char> bytes)
      : mBytes(std::move(bytes)), mData(mBytes.data()), mSize(static_cast<int>(mBytes.size()))
  {
  }
  const void* GetData() const override { return mData; }
  int GetDataSize() const override { return mSize; }

private:
  std::vector<unsigned char> mBytes;
  const void* mData;
  int mSize;
};

// Windows-style virtual-key codes for the keys controls look at.
int VirtualKey(KeySym sym)
{
  if (sym >= XK_a && sym <= XK_z) return static_cast<int>(sym - XK_a) + 'A';
  if (sym >= XK_A && sym <= XK_Z) return static_cast<int>(sym - XK_A) + 'A';
  if (sym >= XK_0 && sym <= XK_9) return static_cast<int>(sym - XK_0) + '0';
  if (sym >= XK_F1 && sym <= XK_F12) return static_cast<int>(sym - XK_F1) + 0x70;
  switch (sym)
  {
  case XK_BackSpace:
    return 0x08;
  case XK_Tab:
    return 0x09;
  case XK_Return:
  case XK_KP_Enter:
    return 0x0D;
  case XK_Shift_L:
  case XK_Shift_R:
    return 0x10;
  case XK_Control_L:
  case XK_Control_R:
    return 0x11;
  case XK_Alt_L:
  case XK_Alt_R:
    return 0x12;
  case XK_Escape:
    return 0x1B;
  case XK_space:
    return 0x20;
  case XK_Page_Up:
    return 0x21;
  case XK_Page_Down:
    return 0x22;
  case XK_End:
    return 0x23;
  case XK_Home:
    return 0x24;
  case XK_Left:
    return 0x25;
  case XK_Up:
    return 0x26;
  case XK_Right:
    return 0x27;
  case XK_Down:
    return 0x28;
  case XK_Insert:
    return 0x2D;
  case XK_Delete:
    return 0x2E;
  default:
    return 0;
  }
}

unsigned FontCursorOf(ECursor cursor)
{
  switch (cursor)
  {
  case kCursorIBeam:
    return XC_xterm;
  case kCursorWait:
  case kCursorAppStarting:
    return XC_watch;
  case kCursorCross:
    return XC_crosshair;
  case kCursorUpArrow:
    return XC_sb_up_arrow;
  case kCursorSizeNWSE:
    return XC_bottom_right_corner;
  case kCursorSizeNESW:
    return XC_bottom_left_corner;
  case kCursorSizeWE:
    return XC_sb_h_double_arrow;
  case kCursorSizeNS:
    return XC_sb_v_double_arrow;
  case kCursorSizeAll:
    return XC_fleur;
  case kCursorNo:
    return XC_pirate;
  case kCursorHand:
    return XC_hand2;
  case kCursorHelp:
    return XC_question_arrow;
  default:
    return XC_left_ptr;
  }
}
} // namespace

struct IGraphicsLinux::X11
{
  Display* display = nullptr;
  Window window = 0;
  Colormap colormap = 0;
  GLXContext context = nullptr;
  Cursor cursor = 0;
  Cursor blank = 0;
  ECursor shape = kCursorArrow;
  Atom clipboard = 0;
  Atom utf8 = 0;
  Atom property = 0;
  std::string clipboardText;
  // Mouse state: the last position (window pixels) and the buttons held.
  int lastX = 0;
  int lastY = 0;
  bool left = false;
  bool right = false;
  Time lastPressTime = 0;
  int lastPressX = -100;
  int lastPressY = -100;
  unsigned lastPressButton = 0;
};

IGraphicsLinux::IGraphicsLinux(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
    : IGraphicsNanoVG(dlg, w, h, fps, scale)
{
}

IGraphicsLinux::~IGraphicsLinux()
{
  if (mX) CloseWindow();
}

void* IGraphicsLinux::OpenWindow(void* parent)
{
  AssertUIThread();
  if (mX) CloseWindow();
  auto x = std::make_unique<X11>();
  x->display = XOpenDisplay(nullptr);
  if (!x->display)
  {
    Trace(TRACELOC, "no X display: the editor window cannot open");
    return nullptr;
  }
  const Window parentWindow =
      parent ? static_cast<Window>(reinterpret_cast<uintptr_t>(parent)) : DefaultRootWindow(x->display);
  const int attrs[] = {GLX_X_RENDERABLE,
                       True,
                       GLX_DRAWABLE_TYPE,
                       GLX_WINDOW_BIT,
                       GLX_RENDER_TYPE,
                       GLX_RGBA_BIT,
                       GLX_DOUBLEBUFFER,
                       True,
                       GLX_RED_SIZE,
                       8,
                       GLX_GREEN_SIZE,
                       8,
                       GLX_BLUE_SIZE,
                       8,
                       GLX_STENCIL_SIZE,
                       8,
                       None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(x->display, DefaultScreen(x->display), attrs, &count);
  XVisualInfo* visual = (configs && count > 0) ? glXGetVisualFromFBConfig(x->display, configs[0]) : nullptr;
  if (!visual)
  {
    if (configs) XFree(configs);
    XCloseDisplay(x->display);
    Trace(TRACELOC, "the X display offers no OpenGL window configuration");
    return nullptr;
  }
  x->colormap = XCreateColormap(x->display, parentWindow, visual->visual, AllocNone);
  XSetWindowAttributes wa{};
  wa.colormap = x->colormap;
  wa.border_pixel = 0;
  wa.background_pixmap = None;
  wa.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                  KeyReleaseMask | EnterWindowMask | LeaveWindowMask | StructureNotifyMask;
  const unsigned w = static_cast<unsigned>(std::max(1, static_cast<int>(WindowWidth() * GetScreenScale())));
  const unsigned h = static_cast<unsigned>(std::max(1, static_cast<int>(WindowHeight() * GetScreenScale())));
  x->window = XCreateWindow(x->display, parentWindow, 0, 0, w, h, 0, visual->depth, InputOutput,
                            visual->visual, CWColormap | CWBorderPixel | CWEventMask | CWBackPixmap, &wa);
  x->context = glXCreateNewContext(x->display, configs[0], GLX_RGBA_TYPE, nullptr, True);
  XFree(visual);
  XFree(configs);
  x->clipboard = XInternAtom(x->display, "CLIPBOARD", False);
  x->utf8 = XInternAtom(x->display, "UTF8_STRING", False);
  x->property = XInternAtom(x->display, "KESTRINE_CLIPBOARD", False);
  XMapWindow(x->display, x->window);
  XSync(x->display, False);
  mX = std::move(x);

  if (!mX->context)
    Trace(TRACELOC, "no GLX context: the editor window stays empty");
  else
  {
    ActivateGLContext();
    OnViewInitialized(mX->context);
    DeactivateGLContext();
  }
  GetDelegate()->RunLayout(this);
  MarkAllDirty();
  DrawResize();
  GetDelegate()->EditorOpened();
  const int fps = FPS() > 0 ? FPS() : 60;
  mTimer = Timer::Create([this](Timer&) { OnDisplayTick(); }, static_cast<uint32_t>(1000 / fps));
  return reinterpret_cast<void*>(static_cast<uintptr_t>(mX->window));
}

void IGraphicsLinux::CloseWindow()
{
  AssertUIThread();
  if (mTimer) mTimer->Stop();
  mTimer.reset();
  RemoveAllControls();
  mValueEntry = nullptr;
  if (!mX) return;
  if (mX->context)
  {
    ActivateGLContext();
    OnViewDestroyed();
    glXMakeContextCurrent(mX->display, None, None, nullptr);
    glXDestroyContext(mX->display, mX->context);
  }
  if (mX->cursor) XFreeCursor(mX->display, mX->cursor);
  if (mX->blank) XFreeCursor(mX->display, mX->blank);
  XDestroyWindow(mX->display, mX->window);
  XFreeColormap(mX->display, mX->colormap);
  XCloseDisplay(mX->display);
  mX.reset();
}

void* IGraphicsLinux::GetWindow()
{
  return mX ? reinterpret_cast<void*>(static_cast<uintptr_t>(mX->window)) : nullptr;
}

bool IGraphicsLinux::WindowIsOpen()
{
  return mX != nullptr;
}

unsigned long IGraphicsLinux::GetXWindow() const
{
  return mX ? mX->window : 0;
}

void IGraphicsLinux::ActivateGLContext()
{
  if (mX && mX->context) glXMakeContextCurrent(mX->display, mX->window, mX->window, mX->context);
}

void IGraphicsLinux::DeactivateGLContext()
{
  // The context stays current on this thread between uses: the window is
  // the only drawable it is ever made current with, and releasing it costs a
  // round trip per frame.
}

void IGraphicsLinux::PlatformResize(bool)
{
  if (!mX) return;
  const unsigned w = static_cast<unsigned>(std::max(1, static_cast<int>(WindowWidth() * GetScreenScale())));
  const unsigned h = static_cast<unsigned>(std::max(1, static_cast<int>(WindowHeight() * GetScreenScale())));
  XResizeWindow(mX->display, mX->window, w, h);
  XFlush(mX->display);
  // The framebuffer is made anew at the new size: everything is drawn again.
  MarkAllDirty();
}

// ----- Display clock

void IGraphicsLinux::OnDisplayTick()
{
  if (!mX) return;
  HandleEvents();
  if (mX) Paint(false);
}

void IGraphicsLinux::Paint(bool presentOnly)
{
  if (!mX->context) return;
  IRectList rects;
  if (!presentOnly)
  {
    if (!CollectDirtyRegions(rects)) return;
    ClearAllDirty();
  }
  ActivateGLContext();
  if (presentOnly)
  {
    // A frame with nothing drawn presents the framebuffer as it is.
    BeginFrame();
    EndFrame();
  }
  else
    DrawRegions(rects);
  glXSwapBuffers(mX->display, mX->window);
  DeactivateGLContext();
}

void IGraphicsLinux::HandleEvents()
{
  const float scale = GetTotalScale();
  auto mods = [&](unsigned state)
  {
    return IMouseMods(mX->left, mX->right, (state & ShiftMask) != 0, (state & ControlMask) != 0,
                      (state & Mod1Mask) != 0);
  };
  auto info = [&](int px, int py, unsigned state)
  {
    IMouseInfo i;
    i.x = static_cast<float>(px) / scale;
    i.y = static_cast<float>(py) / scale;
    i.dX = static_cast<float>(px - mX->lastX) / scale;
    i.dY = static_cast<float>(py - mX->lastY) / scale;
    i.ms = mods(state);
    return i;
  };
  bool exposed = false;
  while (mX && XPending(mX->display) > 0)
  {
    XEvent e;
    XNextEvent(mX->display, &e);
    if (e.xany.window != mX->window) continue;
    switch (e.type)
    {
    case Expose:
      exposed = true;
      break;
    case ButtonPress:
    {
      const XButtonEvent& b = e.xbutton;
      if (b.button == Button4 || b.button == Button5)
      {
        OnMouseWheel(static_cast<float>(b.x) / scale, static_cast<float>(b.y) / scale, mods(b.state),
                     b.button == Button4 ? 1.f : -1.f);
        break;
      }
      if (b.button != Button1 && b.button != Button3) break;
      mX->left = mX->left || b.button == Button1;
      mX->right = mX->right || b.button == Button3;
      const bool twice = b.button == mX->lastPressButton && b.time - mX->lastPressTime <= kDoubleClickMs &&
                         std::abs(b.x - mX->lastPressX) <= kDoubleClickSlop &&
                         std::abs(b.y - mX->lastPressY) <= kDoubleClickSlop;
      mX->lastPressTime = b.time;
      mX->lastPressX = b.x;
      mX->lastPressY = b.y;
      mX->lastPressButton = twice ? 0 : b.button;
      mX->lastX = b.x;
      mX->lastY = b.y;
      if (twice &&
          OnMouseDoubleClick(static_cast<float>(b.x) / scale, static_cast<float>(b.y) / scale, mods(b.state)))
        break;
      OnMouseDown({info(b.x, b.y, b.state)});
      break;
    }
    case ButtonRelease:
    {
      const XButtonEvent& b = e.xbutton;
      if (b.button != Button1 && b.button != Button3) break;
      IMouseInfo i = info(b.x, b.y, b.state);
      if (b.button == Button1) mX->left = false;
      if (b.button == Button3) mX->right = false;
      mX->lastX = b.x;
      mX->lastY = b.y;
      OnMouseUp({i});
      break;
    }
    case MotionNotify:
    {
      const XMotionEvent& m = e.xmotion;
      if (m.x == mX->lastX && m.y == mX->lastY) break;
      IMouseInfo i = info(m.x, m.y, m.state);
      mX->lastX = m.x;
      mX->lastY = m.y;
      if (mX->left || mX->right)
        OnMouseDrag({i});
      else
        OnMouseOver(i.x, i.y, i.ms);
      break;
    }
    case LeaveNotify:
      if (!mX->left && !mX->right) OnMouseOut();
      break;
    case KeyPress:
    case KeyRelease:
    {
      XKeyEvent& k = e.xkey;
      char text[8] = {};
      KeySym sym = 0;
      const int n = XLookupString(&k, text, sizeof(text) - 1, &sym, nullptr);
      char utf8[5] = {};
      if (n > 0 && n < 5) std::memcpy(utf8, text, static_cast<size_t>(n));
      IKeyPress key(nullptr, VirtualKey(sym), (k.state & ShiftMask) != 0, (k.state & ControlMask) != 0,
                    (k.state & Mod1Mask) != 0);
      std::memcpy(key.utf8, utf8, sizeof(key.utf8));
      const float kx = static_cast<float>(k.x) / scale;
      const float ky = static_cast<float>(k.y) / scale;
      // While a value is typed every key goes to the entry.
      if (mValueEntry && mValueEntry->IsEditing())
      {
        if (e.type == KeyPress) mValueEntry->OnKey(key);
      }
      else if (e.type == KeyPress)
        OnKeyDown(kx, ky, key);
      else
        OnKeyUp(kx, ky, key);
      break;
    }
    case SelectionRequest:
    {
      // Another client pastes what this editor copied.
      const XSelectionRequestEvent& r = e.xselectionrequest;
      XSelectionEvent reply{};
      reply.type = SelectionNotify;
      reply.display = r.display;
      reply.requestor = r.requestor;
      reply.selection = r.selection;
      reply.target = r.target;
      reply.time = r.time;
      reply.property = None;
      if (r.target == mX->utf8 || r.target == XA_STRING)
      {
        XChangeProperty(mX->display, r.requestor, r.property, r.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(mX->clipboardText.data()),
                        static_cast<int>(mX->clipboardText.size()));
        reply.property = r.property;
      }
      XSendEvent(mX->display, r.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
      break;
    }
    default:
      break;
    }
  }
  if (exposed && mX) Paint(true);
}

// ----- Mouse

void IGraphicsLinux::GetMouseLocation(float& x, float& y) const
{
  x = y = 0.f;
  if (!mX) return;
  Window root = 0;
  Window child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  if (XQueryPointer(mX->display, mX->window, &root, &child, &rx, &ry, &wx, &wy, &mask))
  {
    x = static_cast<float>(wx) / GetTotalScale();
    y = static_cast<float>(wy) / GetTotalScale();
  }
}

void IGraphicsLinux::HideMouseCursor(bool hide, bool lock)
{
  mCursorHidden = hide;
  mCursorLocked = hide && lock;
  if (!mX) return;
  if (hide)
  {
    if (!mX->blank)
    {
      static const char empty[8] = {};
      Pixmap pixmap = XCreateBitmapFromData(mX->display, mX->window, empty, 8, 8);
      XColor black{};
      mX->blank = XCreatePixmapCursor(mX->display, pixmap, pixmap, &black, &black, 0, 0);
      XFreePixmap(mX->display, pixmap);
    }
    XDefineCursor(mX->display, mX->window, mX->blank);
  }
  else if (mX->cursor)
    XDefineCursor(mX->display, mX->window, mX->cursor);
  else
    XUndefineCursor(mX->display, mX->window);
  XFlush(mX->display);
}

void IGraphicsLinux::MoveMouseCursor(float x, float y)
{
  if (!mX) return;
  const float scale = GetTotalScale();
  XWarpPointer(mX->display, None, mX->window, 0, 0, 0, 0, static_cast<int>(x * scale),
               static_cast<int>(y * scale));
  XFlush(mX->display);
}

ECursor IGraphicsLinux::SetMouseCursor(ECursor cursor)
{
  if (!mX) return kCursorArrow;
  const ECursor previous = mX->shape;
  mX->shape = cursor;
  if (mX->cursor) XFreeCursor(mX->display, mX->cursor);
  mX->cursor = XCreateFontCursor(mX->display, FontCursorOf(cursor));
  if (!mCursorHidden) XDefineCursor(mX->display, mX->window, mX->cursor);
  XFlush(mX->display);
  return previous;
}

// ----- Clipboard

bool IGraphicsLinux::SetTextInClipboard(const char* str)
{
  if (!mX) return false;
  mX->clipboardText = str ? str : "";
  XSetSelectionOwner(mX->display, mX->clipboard, mX->window, CurrentTime);
  XFlush(mX->display);
  return XGetSelectionOwner(mX->display, mX->clipboard) == mX->window;
}

bool IGraphicsLinux::GetTextFromClipboard(std::string& str)
{
  str.clear();
  if (!mX) return false;
  const Window owner = XGetSelectionOwner(mX->display, mX->clipboard);
  if (owner == mX->window)
  {
    str = mX->clipboardText;
    return true;
  }
  if (owner == None) return false;
  XConvertSelection(mX->display, mX->clipboard, mX->utf8, mX->property, mX->window, CurrentTime);
  XFlush(mX->display);
  // Wait a bounded time for the owner's answer (about half a second).
  XEvent e;
  for (int tries = 0; tries < 50; ++tries)
  {
    if (XCheckTypedWindowEvent(mX->display, mX->window, SelectionNotify, &e))
    {
      if (e.xselection.property == None) return false;
      Atom type = 0;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      XGetWindowProperty(mX->display, mX->window, mX->property, 0, 1 << 20, True, AnyPropertyType, &type,
                         &format, &items, &after, &data);
      if (data)
      {
        str.assign(reinterpret_cast<const char*>(data), items);
        XFree(data);
      }
      return data != nullptr;
    }
    struct timespec pause = {0, 10 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  return false;
}

// ----- Dialogs

int IGraphicsLinux::ShowMessageBox(const char* str, const char* caption, int)
{
  Trace(TRACELOC, "no message box on X11: %s: %s", caption ? caption : "", str ? str : "");
  return 0;
}

void IGraphicsLinux::PromptForFile(std::string& fileName, std::string& path, bool, const char*)
{
  Trace(TRACELOC, "no file dialog on X11");
  fileName.clear();
  path.clear();
}

bool IGraphicsLinux::PromptForDirectory(std::string& dir)
{
  Trace(TRACELOC, "no directory dialog on X11");
  dir.clear();
  return false;
}

bool IGraphicsLinux::PromptForColour(IColour&, const char*)
{
  Trace(TRACELOC, "no colour dialog on X11");
  return false;
}

bool IGraphicsLinux::OpenURL(const char* url, const char*, const char*, const char*)
{
  Trace(TRACELOC, "URLs are not opened from the X11 editor: %s", url ? url : "");
  return false;
}

bool IGraphicsLinux::RevealPathInExplorerOrFinder(const char*, bool)
{
  return false;
}

void IGraphicsLinux::CreatePlatformTextEntry(int valIdx, const ITextStyle& style, const IRect& bounds, int,
                                             const char* str)
{
  // No native edit box on X11: the editor draws its own.
  if (!mValueEntry)
  {
    mValueEntry = new IValueEntryControl();
    AttachTextEntryControl(mValueEntry);
  }
  mValueEntry->Begin(bounds, style, str, valIdx);
}

void IGraphicsLinux::EndPlatformTextEntry()
{
  if (mValueEntry) mValueEntry->Cancel();
}

IMenu* IGraphicsLinux::CreatePlatformPopupMenu(IMenu&, const IRect&, bool& isAsync)
{
  Trace(TRACELOC, "no native popup menu on X11: the menu is cancelled");
  isAsync = false;
  return nullptr;
}

// ----- Fonts

PlatformFontPtr IGraphicsLinux::LoadPlatformFont(const char*, const char* fontName, EFontStyle)
{
  Trace(TRACELOC, "fonts by family name are not looked up on X11: %s", fontName ? fontName : "");
  return nullptr;
}

PlatformFontPtr IGraphicsLinux::LoadPlatformFont(const char*, const char* fileNameOrResID)
{
  FontFileBytes f;
  if (!LoadFontFileBytes(fileNameOrResID, f)) return nullptr;
  if (f.storage.empty()) return std::make_unique<LinuxFont>(f.data, f.size);
  return std::make_unique<LinuxFont>(std::move(f.storage));
}

PlatformFontPtr IGraphicsLinux::LoadPlatformFont(const char*, const void* data, int dataSize)
{
  if (!data || dataSize <= 0) return nullptr;
  const auto* p = static_cast<const unsigned char*>(data);
  return std::make_unique<LinuxFont>(std::vector<unsigned char>(p, p + dataSize));
}

void IGraphicsLinux::CachePlatformFont(const char*, const PlatformFontPtr&)
{
  // The backend keeps the font's bytes (process-wide); nothing else to keep.
}

} // namespace igraphics
} // namespace iplug

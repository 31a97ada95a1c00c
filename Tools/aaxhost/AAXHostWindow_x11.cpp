// The host window on X11: a top-level window on a connection of the host's
// own (the editor opens another one for its child window), and the private
// virtual display that snapshot starts when there is none.
#include "AAXHostWindow.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace aaxhost
{

// ---------------------------------------------------------------------------
// PrivateDisplay

std::unique_ptr<PrivateDisplay> PrivateDisplay::StartIfNeeded(std::string& error)
{
  std::unique_ptr<PrivateDisplay> d(new PrivateDisplay);
  const char* current = std::getenv("DISPLAY");
  if (current && *current) return d;

  // The server picks a free display number itself and writes it to the pipe
  // (-displayfd), so two hosts started at once never take the same one.
  int fds[2];
  if (pipe(fds) != 0)
  {
    error = "cannot start Xvfb: no pipe";
    return nullptr;
  }
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  const pid_t pid = fork();
  if (pid < 0)
  {
    close(fds[0]);
    close(fds[1]);
    error = "cannot start Xvfb: fork failed";
    return nullptr;
  }
  if (pid == 0)
  {
    // The server goes with the host, however the host ends.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0)
    {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
    }
    const std::string fd = std::to_string(fds[1]);
    // -noreset: the server would otherwise reset whenever its last client
    // (the editor's connection, say) goes, and refuse connections meanwhile.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  d->mPid = pid;
  std::string number;
  for (;;)
  {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 60000) <= 0) break; // a loaded machine may take long to start it
    char c = 0;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty())
  {
    error = "cannot start Xvfb (is it installed?), and DISPLAY is not set";
    return nullptr; // the destructor stops the server
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
  return d;
}

PrivateDisplay::~PrivateDisplay()
{
  if (mPid <= 0) return;
  kill(static_cast<pid_t>(mPid), SIGTERM);
  int status = 0;
  waitpid(static_cast<pid_t>(mPid), &status, 0);
  unsetenv("DISPLAY");
}

// ---------------------------------------------------------------------------
// HostWindow

struct HostWindow::Impl
{
  Display* display = nullptr;
  Window window = 0;
  Atom deleteWindow = 0;
  int width = 0;
  int height = 0;
  bool closed = false;
  // Synthetic input: the buttons held, and a clock far enough apart per
  // press that two presses never make a double click.
  bool left = false;
  bool right = false;
  Time time = 0;

  void FixSize(int w, int h)
  {
    // The editor does not follow the host window's size; only its own
    // requests change it, so the person cannot resize the window.
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = w;
    hints->min_height = hints->max_height = h;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
  }
};

HostWindow::HostWindow() : mImpl(new Impl) {}

HostWindow::~HostWindow()
{
  if (mImpl->display)
  {
    if (mImpl->window) XDestroyWindow(mImpl->display, mImpl->window);
    XCloseDisplay(mImpl->display);
  }
}

namespace
{
// Xlib's own handler ends the process on any protocol error. The editor's
// window may go between the host looking it up and using it (a BadWindow),
// which must not end the host: errors are counted and otherwise ignored,
// for the whole process (the handler is Xlib's, not a connection's).
int gXErrors = 0;
int IgnoreXError(Display*, XErrorEvent*)
{
  ++gXErrors;
  return 0;
}

// The socket of a local display (":N", ":N.S", "unix:N"), empty for others.
std::string LocalSocket(const char* name)
{
  std::string n(name);
  if (n.rfind("unix:", 0) == 0) n.erase(0, 4);
  if (n.empty() || n[0] != ':') return std::string();
  const size_t end = n.find_first_not_of("0123456789", 1);
  const std::string number = n.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  return number.empty() ? std::string() : "/tmp/.X11-unix/X" + number;
}

Display* OpenDisplay(std::string& error)
{
  static const bool handlerSet = [] { return XSetErrorHandler(IgnoreXError), true; }();
  (void)handlerSet;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name)
  {
    error = "no display to open the editor on (DISPLAY is not set)";
    return nullptr;
  }
  // A server whose last client has just gone resets itself and refuses
  // connections for a moment (Xvfb without -noreset), however long a loaded
  // machine makes that moment: try again while the local server's socket is
  // there, for a minute at most. A display without one gets one try.
  Display* d = XOpenDisplay(nullptr);
  const std::string socket = LocalSocket(name);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!d && !socket.empty() && access(socket.c_str(), F_OK) == 0 && std::chrono::steady_clock::now() < end)
  {
    usleep(20000);
    d = XOpenDisplay(nullptr);
  }
  if (!d) error = std::string("no display to open the editor on (cannot open ") + name + ")";
  return d;
}
} // namespace

bool HostWindow::DisplayAvailable(std::string& error)
{
  Display* d = OpenDisplay(error);
  if (d) XCloseDisplay(d);
  return d != nullptr;
}

std::unique_ptr<HostWindow> HostWindow::Create(int width, int height, const std::string& title,
                                               std::string& error)
{
  std::unique_ptr<HostWindow> w(new HostWindow);
  Impl& x = *w->mImpl;
  x.display = OpenDisplay(error);
  if (!x.display) return nullptr;
  x.width = std::max(1, width);
  x.height = std::max(1, height);
  const int screen = DefaultScreen(x.display);
  x.window = XCreateSimpleWindow(x.display, RootWindow(x.display, screen), 0, 0,
                                 static_cast<unsigned>(x.width), static_cast<unsigned>(x.height), 0,
                                 BlackPixel(x.display, screen), BlackPixel(x.display, screen));
  XStoreName(x.display, x.window, title.c_str());
  x.deleteWindow = XInternAtom(x.display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(x.display, x.window, &x.deleteWindow, 1);
  x.FixSize(x.width, x.height);
  // Which process the window belongs to, for window managers and for
  // anything that looks for this host's window among others.
  const long pid = static_cast<long>(getpid());
  XChangeProperty(x.display, x.window, XInternAtom(x.display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  XSelectInput(x.display, x.window, StructureNotifyMask);
  XMapWindow(x.display, x.window);
  XSync(x.display, False);
  return w;
}

void* HostWindow::NativeHandle() const
{
  return reinterpret_cast<void*>(static_cast<uintptr_t>(mImpl->window));
}

void HostWindow::Resize(int width, int height)
{
  Impl& x = *mImpl;
  x.width = std::max(1, width);
  x.height = std::max(1, height);
  x.FixSize(x.width, x.height);
  XResizeWindow(x.display, x.window, static_cast<unsigned>(x.width), static_cast<unsigned>(x.height));
  XSync(x.display, False);
}

int HostWindow::Width() const
{
  return mImpl->width;
}

int HostWindow::Height() const
{
  return mImpl->height;
}

bool HostWindow::HandleEvents()
{
  Impl& x = *mImpl;
  while (!x.closed && XPending(x.display) > 0)
  {
    XEvent e;
    XNextEvent(x.display, &e);
    if (e.type == ClientMessage && static_cast<Atom>(e.xclient.data.l[0]) == x.deleteWindow)
      x.closed = true;
    else if (e.type == DestroyNotify && e.xdestroywindow.window == x.window)
      x.closed = true;
  }
  return !x.closed;
}

bool HostWindow::IsClosed() const
{
  return mImpl->closed;
}

uintptr_t HostWindow::EditorWindow() const
{
  Impl& x = *mImpl;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(x.display, x.window, &root, &parent, &children, &count)) return 0;
  // The topmost child: the editor makes one window here.
  const Window child = count ? children[count - 1] : 0;
  if (children) XFree(children);
  return static_cast<uintptr_t>(child);
}

bool HostWindow::EditorSize(int& width, int& height) const
{
  width = height = 0;
  const Window child = static_cast<Window>(EditorWindow());
  XWindowAttributes a{};
  if (!child || !XGetWindowAttributes(mImpl->display, child, &a)) return false;
  width = a.width;
  height = a.height;
  return true;
}

namespace
{
// Position of a colour mask's lowest bit and its width, for reading pixels.
void MaskShift(unsigned long mask, int& shift, int& bits)
{
  shift = bits = 0;
  if (!mask) return;
  while (!(mask & 1))
  {
    mask >>= 1;
    ++shift;
  }
  while (mask & 1)
  {
    mask >>= 1;
    ++bits;
  }
}

uint8_t Channel(unsigned long pixel, int shift, int bits)
{
  if (bits == 0) return 0;
  const unsigned long v = (pixel >> shift) & ((1ul << bits) - 1);
  return static_cast<uint8_t>(bits >= 8 ? v >> (bits - 8) : v * 255 / ((1ul << bits) - 1));
}
} // namespace

bool HostWindow::CaptureEditor(Picture& picture, std::string& error)
{
  Impl& x = *mImpl;
  const Window child = static_cast<Window>(EditorWindow());
  XWindowAttributes a{};
  if (!child || !XGetWindowAttributes(x.display, child, &a) || a.map_state != IsViewable)
  {
    error = "the editor shows no window inside the host's";
    return false;
  }
  // The editor draws on its own connection: wait until the server has
  // everything this connection can see of it.
  XSync(x.display, False);
  XImage* image = XGetImage(x.display, child, 0, 0, static_cast<unsigned>(a.width),
                            static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
  if (!image)
  {
    error = "the X server gave no picture of the editor window";
    return false;
  }
  int rs, rb, gs, gb, bs, bb;
  MaskShift(image->red_mask, rs, rb);
  MaskShift(image->green_mask, gs, gb);
  MaskShift(image->blue_mask, bs, bb);
  picture.width = a.width;
  picture.height = a.height;
  picture.rgba.assign(static_cast<size_t>(a.width) * static_cast<size_t>(a.height) * 4, 255);
  for (int y = 0; y < a.height; ++y)
    for (int xx = 0; xx < a.width; ++xx)
    {
      const unsigned long p = XGetPixel(image, xx, y);
      uint8_t* out = &picture.rgba[(static_cast<size_t>(y) * static_cast<size_t>(a.width) + xx) * 4];
      out[0] = Channel(p, rs, rb);
      out[1] = Channel(p, gs, gb);
      out[2] = Channel(p, bs, bb);
    }
  XDestroyImage(image);
  return true;
}

bool HostWindow::SendMouse(EMouse what, int px, int py, uint32_t modifiers)
{
  Impl& x = *mImpl;
  const Window child = static_cast<Window>(EditorWindow());
  if (!child) return false;
  unsigned state = 0;
  if (modifiers & eModShift) state |= ShiftMask;
  if (modifiers & eModControl) state |= ControlMask;
  if (modifiers & eModAlt) state |= Mod1Mask;
  // The state of a button event is the one before it.
  if (x.left) state |= Button1Mask;
  if (x.right) state |= Button3Mask;

  auto send = [&](int type, unsigned button)
  {
    XEvent e{};
    e.type = type;
    if (type == MotionNotify)
    {
      XMotionEvent& m = e.xmotion;
      m.window = child;
      m.root = DefaultRootWindow(x.display);
      m.x = m.x_root = px;
      m.y = m.y_root = py;
      m.state = state;
      m.time = x.time;
      m.same_screen = True;
    }
    else
    {
      x.time += 1000;
      XButtonEvent& b = e.xbutton;
      b.window = child;
      b.root = DefaultRootWindow(x.display);
      b.x = b.x_root = px;
      b.y = b.y_root = py;
      b.state = state;
      b.button = button;
      b.time = x.time;
      b.same_screen = True;
    }
    // Event mask 0: to the client that made the window, the editor.
    return XSendEvent(x.display, child, False, 0, &e) != 0;
  };
  bool ok = true;
  switch (what)
  {
  case EMouse::eMove:
    ok = send(MotionNotify, 0);
    break;
  case EMouse::eLeftDown:
    ok = send(ButtonPress, Button1);
    x.left = true;
    break;
  case EMouse::eLeftUp:
    ok = send(ButtonRelease, Button1);
    x.left = false;
    break;
  case EMouse::eRightDown:
    ok = send(ButtonPress, Button3);
    x.right = true;
    break;
  case EMouse::eRightUp:
    ok = send(ButtonRelease, Button3);
    x.right = false;
    break;
  case EMouse::eWheelUp:
  case EMouse::eWheelDown:
  {
    const unsigned button = what == EMouse::eWheelUp ? Button4 : Button5;
    ok = send(ButtonPress, button) && send(ButtonRelease, button);
    break;
  }
  case EMouse::eLeftDoubleClick:
  {
    // 50 ms apart, where a press normally comes a second after the last.
    ok = send(ButtonPress, Button1);
    state |= Button1Mask;
    x.time -= 950;
    ok = ok && send(ButtonRelease, Button1);
    state &= ~static_cast<unsigned>(Button1Mask);
    x.time -= 950;
    ok = ok && send(ButtonPress, Button1);
    state |= Button1Mask;
    x.time -= 950;
    ok = ok && send(ButtonRelease, Button1);
    break;
  }
  }
  XSync(x.display, False);
  return ok;
}

bool HostWindow::SendKeys(const std::string& text)
{
  Impl& x = *mImpl;
  const Window child = static_cast<Window>(EditorWindow());
  if (!child) return false;
  for (char c : text)
  {
    KeySym sym = 0;
    if (c == '\r')
      sym = XK_Return;
    else if (c == '\b')
      sym = XK_BackSpace;
    else if (c == '\x1b')
      sym = XK_Escape;
    else if (c >= 0x20 && c < 0x7f)
      sym = static_cast<KeySym>(c); // printable ASCII is its own keysym
    else
      return false;
    const KeyCode code = XKeysymToKeycode(x.display, sym);
    if (!code) return false;
    // The shifted level of its key when the plain one is another symbol ('+').
    const unsigned state = XkbKeycodeToKeysym(x.display, code, 0, 0) == sym ? 0u : ShiftMask;
    for (int type : {KeyPress, KeyRelease})
    {
      XEvent e{};
      XKeyEvent& k = e.xkey;
      k.type = type;
      k.window = child;
      k.root = DefaultRootWindow(x.display);
      k.state = state;
      k.keycode = code;
      k.time = ++x.time;
      k.same_screen = True;
      if (!XSendEvent(x.display, child, False, 0, &e)) return false;
    }
  }
  XSync(x.display, False);
  return true;
}

} // namespace aaxhost

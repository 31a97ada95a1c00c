// The Windows editor window, opened for real (under Wine with Xvfb in the
// cross build) as a child of a test host window: messages sent to it reach
// the controls, the value entry filters and commits on the next tick, the
// display clock, the monitor scale, clipboard and cursors, tooltips, dropped
// files, touch points, fonts from memory and by family, parameter gestures
// from drags, keys passed on to the host, and repeated opening and closing
// leaves nothing behind.
#include "GraphicsFixture.h"
#include "IControlBases.h"
#include "IGraphicsWin.h"
#include "WaitUntil.h"

#include <tlhelp32.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

namespace iplug_test
{
namespace
{

struct MouseCall
{
  std::string op;
  float x, y, d;
};

class MouseControl : public IControl
{
public:
  explicit MouseControl(const IRect& r) : IControl(r) {}
  void Draw(IGraphics& g) override
  {
    ++mDraws;
    g.FillRect(IColour(255, 40, 90, 200), mRect);
  }
  void OnMouseDown(float x, float y, const IMouseMods&) override { mCalls.push_back({"down", x, y, 0}); }
  void OnMouseDrag(float x, float y, float dX, float, const IMouseMods&) override
  {
    mCalls.push_back({"drag", x, y, dX});
  }
  void OnMouseUp(float x, float y, const IMouseMods&) override { mCalls.push_back({"up", x, y, 0}); }
  void OnMouseWheel(float x, float y, const IMouseMods&, float d) override
  {
    mCalls.push_back({"wheel", x, y, d});
  }
  std::vector<MouseCall> mCalls;
  int mDraws = 0;
};

void Pump()
{
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
  {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

LPARAM Point(int x, int y)
{
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

UINT WINAPI Dpi144(HWND)
{
  return 144;
}

// Key messages that reached the test host window, in order.
std::vector<std::pair<UINT, WPARAM>> sHostKeys;

LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_KEYDOWN || msg == WM_KEYUP) sHostKeys.emplace_back(msg, wParam);
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

class WinWindowTest : public testing::Test
{
protected:
  void SetUp() override
  {
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestrineTestHost";
    RegisterClassW(&wc);
    mHost = CreateWindowW(L"KestrineTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 400,
                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(mHost, nullptr);
    Pump();
    sHostKeys.clear();
  }
  void TearDown() override
  {
    IGraphicsWin::SetDpiQuery(nullptr);
    if (mHost) DestroyWindow(mHost);
    Pump();
  }
  HWND mHost = nullptr;
};

TEST_F(WinWindowTest, MessagesReachTheControlInLogicalUnits)
{
  struct Case
  {
    float scale;
  } const cases[] = {{1.f}, {1.5f}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.scale);
    GraphicsPlugin p;
    MouseControl* control = nullptr;
    p.SetLayoutFunc(
        [&](IGraphics* g)
        { control = static_cast<MouseControl*>(g->AddControl(new MouseControl(IRect(100, 50, 300, 200)))); });
    IGraphicsWin g(p, 580, 250, 60, c.scale);
    g.SetVerticalBlankMode(false);
    HWND w = static_cast<HWND>(g.OpenWindow(mHost));
    ASSERT_NE(w, nullptr);
    ASSERT_NE(control, nullptr);
    wchar_t title[16] = {};
    GetWindowTextW(w, title, 16);
    EXPECT_STREQ(title, L"IPlug");
    wchar_t cls[32] = {};
    GetClassNameW(w, cls, 32);
    EXPECT_STREQ(cls, L"IPlugWndClass");
    EXPECT_EQ(GetParent(w), mHost);
    g.OnDisplayTick(0);
    EXPECT_GE(control->mDraws, 1);
    const float s = c.scale;
    auto px = [s](float logical) { return static_cast<int>(logical * s); };
    POINT wheelAt{px(200), px(120)};
    ClientToScreen(w, &wheelAt);
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(px(150), px(100)));
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, Point(px(150) + 30, px(100)));
    SendMessageW(w, WM_LBUTTONUP, 0, Point(px(150) + 30, px(100)));
    SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), Point(wheelAt.x, wheelAt.y));
    SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), Point(wheelAt.x, wheelAt.y));
    SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), Point(wheelAt.x, wheelAt.y));
    const MouseCall expected[] = {
        {"down", 150.f, 100.f, 0.f},
        {"drag", (px(150) + 30) / s, px(100) / s, 30.f / s},
        {"up", (px(150) + 30) / s, px(100) / s, 0.f},
        {"wheel", 200.f, 120.f, 0.f},
        {"wheel", 200.f, 120.f, 1.f},
        {"wheel", 200.f, 120.f, -2.f},
    };
    ASSERT_EQ(control->mCalls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
    {
      SCOPED_TRACE(i);
      EXPECT_EQ(control->mCalls[i].op, expected[i].op);
      EXPECT_NEAR(control->mCalls[i].x, expected[i].x, 0.01f);
      EXPECT_NEAR(control->mCalls[i].y, expected[i].y, 0.01f);
      EXPECT_NEAR(control->mCalls[i].d, expected[i].d, 0.01f);
    }
    g.CloseWindow();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(g.NControls(), 0);
  }
}

TEST_F(WinWindowTest, TimerPeriodFollowsTheFrameRate)
{
  const struct
  {
    int fps;
    UINT ms;
  } cases[] = {{60, 15}, {100, 15}, {50, 20}, {30, 33}, {20, 50}};
  for (const auto& c : cases) EXPECT_EQ(IGraphicsWin::TimerPeriodMs(c.fps), c.ms) << c.fps;
}

TEST_F(WinWindowTest, VerticalBlankThreadPostsTicksAndStopsOnClose)
{
  GraphicsPlugin p;
  MouseControl* control = nullptr;
  p.SetLayoutFunc(
      [&](IGraphics* g)
      { control = static_cast<MouseControl*>(g->AddControl(new MouseControl(IRect(0, 0, 50, 50)))); });
  IGraphicsWin g(p, 580, 250, 60, 1.f);
  g.SetVerticalBlankMode(true);
  ASSERT_NE(g.OpenWindow(mHost), nullptr);
  EXPECT_TRUE(g.VBlankThreadRunning());
  kestrine_test::WaitUntil([&] { return g.VBlankCount() >= 5 && control->mDraws > 0; }, Pump, 5);
  EXPECT_GE(g.VBlankCount(), 5u);
  EXPECT_GE(control->mDraws, 1) << "ticks posted as message 1025 draw the dirty control";
  std::printf("vertical-blank functions found: %d, successful waits: %u of %u passes\n",
              g.VBlankFunctionsFound() ? 1 : 0, g.VBlankWaitsSucceeded(), g.VBlankCount());
  g.CloseWindow();
  EXPECT_FALSE(g.VBlankThreadRunning());
}

TEST_F(WinWindowTest, MonitorScaleAppliesOnTheFirstTickWithoutCapture)
{
  IGraphicsWin::SetDpiQuery(Dpi144);
  GraphicsPlugin p;
  IGraphicsWin g(p, 580, 250, 60, 1.f);
  g.SetVerticalBlankMode(false);
  HWND w = static_cast<HWND>(g.OpenWindow(mHost));
  ASSERT_NE(w, nullptr);
  EXPECT_FLOAT_EQ(g.GetScreenScale(), 1.f);
  SetCapture(w);
  g.OnDisplayTick(0);
  EXPECT_FLOAT_EQ(g.GetScreenScale(), 1.f) << "not while the mouse is captured";
  ReleaseCapture();
  g.OnDisplayTick(0);
  EXPECT_FLOAT_EQ(g.GetScreenScale(), 1.5f);
  RECT r{};
  GetClientRect(w, &r);
  EXPECT_EQ(r.right, 870);
  EXPECT_EQ(r.bottom, 375);
  g.CloseWindow();
}

TEST_F(WinWindowTest, ValueEntryFiltersAndCommitsOnTheNextTick)
{
  struct Case
  {
    int param;
    const wchar_t* typed;
    std::vector<UINT> keys; // key-down messages after typing
    bool clickAfterFocus;
    const char* expectedText;
    int stateAfter;
  };
  const Case cases[] = {
      {0, L"a5.5", {VK_RETURN}, false, "5.5", IGraphicsWin::kEditCommit},
      {1, L"1.x", {VK_RETURN}, false, "1", IGraphicsWin::kEditCommit},
      {0, L"7", {VK_ESCAPE}, false, "7", IGraphicsWin::kEditCancel},
      {0, L"-3", {}, true, "-3", IGraphicsWin::kEditCancel},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.expectedText);
    GraphicsPlugin p;
    p.SetLayoutFunc([](IGraphics* g) { g->AddControl(new TestControl(IRect(10, 10, 110, 60), 0, "knob")); });
    IGraphicsWin g(p, 580, 250, 60, 1.f);
    g.SetVerticalBlankMode(false);
    HWND w = static_cast<HWND>(g.OpenWindow(mHost));
    ASSERT_NE(w, nullptr);
    g.CreatePlatformTextEntry(c.param, ITextStyle(), IRect(10, 10, 110, 60), 8, "");
    HWND edit = g.GetEditWindow();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetDlgCtrlID(edit), IGraphicsWin::kEditControlID);
    SendMessageW(edit, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(g.GetEditState(), IGraphicsWin::kEditFocused);
    for (const wchar_t* t = c.typed; *t; ++t) SendMessageW(edit, WM_CHAR, *t, 0);
    wchar_t text[32] = {};
    GetWindowTextW(edit, text, 32);
    char narrow[32] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, 32, nullptr, nullptr);
    EXPECT_STREQ(narrow, c.expectedText);
    for (UINT k : c.keys) SendMessageW(edit, WM_KEYDOWN, k, 0);
    if (c.clickAfterFocus) SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(300, 200));
    EXPECT_EQ(g.GetEditState(), c.stateAfter);
    EXPECT_NE(g.GetEditWindow(), nullptr) << "nothing happens before the tick";
    g.OnDisplayTick(0);
    EXPECT_EQ(g.GetEditWindow(), nullptr);
    EXPECT_EQ(g.GetEditState(), IGraphicsWin::kEditNone);
    g.CloseWindow();
  }
}

TEST_F(WinWindowTest, ClipboardRoundTripsNonAsciiText)
{
  GraphicsPlugin p;
  IGraphicsWin g(p, 580, 250, 60, 1.f);
  g.SetVerticalBlankMode(false);
  ASSERT_NE(g.OpenWindow(mHost), nullptr);
  const char* text = "Gr\xC3\xBC\xC3\x9F"
                     "e \xE2\x9C\x93 \xE9\x9F\xB3 \xF0\x9F\x8E\xB8";
  ASSERT_TRUE(g.SetTextInClipboard(text));
  std::string back;
  ASSERT_TRUE(g.GetTextFromClipboard(back));
  EXPECT_EQ(back, text);
  g.CloseWindow();
}

TEST_F(WinWindowTest, CursorShapesReturnThePreviousShape)
{
  GraphicsPlugin p;
  IGraphicsWin g(p, 580, 250, 60, 1.f);
  g.SetVerticalBlankMode(false);
  ASSERT_NE(g.OpenWindow(mHost), nullptr);
  ECursor previous = kCursorArrow;
  for (int shape = kCursorArrow; shape <= kCursorHelp; ++shape)
  {
    EXPECT_EQ(g.SetMouseCursor(static_cast<ECursor>(shape)), previous) << shape;
    previous = static_cast<ECursor>(shape);
  }
  EXPECT_EQ(g.SetMouseCursor(kCursorArrow), kCursorHelp);
  g.CloseWindow();
}

TEST_F(WinWindowTest, MenuItemTextsAreNumberedOrShowAmpersands)
{
  const struct
  {
    int prefix;
    int idx;
    const char* expected;
  } cases[] = {{0, 0, "Rock && Roll"}, {1, 0, "1: Rock & Roll"}, {2, 1, "02: Soft"}, {3, 1, "002: Soft"}};
  for (const auto& c : cases)
  {
    IMenu menu;
    menu.AddItem("Rock & Roll");
    menu.AddItem("Soft");
    menu.SetPrefix(c.prefix);
    EXPECT_EQ(IGraphicsWin::MenuItemText(menu, c.idx), c.expected) << c.prefix;
  }
}

TEST_F(WinWindowTest, NativeMenuCarriesSubmenusColumnsAndFlags)
{
  IMenu menu;
  menu.SetColumnLength(2);
  menu.AddItem("A", IMenu::kChecked);
  menu.AddItem("B", IMenu::kDisabled);
  IMenu* sub = new IMenu();
  sub->AddItem("C");
  menu.AddItem("Sub", IMenu::kNoFlags, sub);
  std::vector<std::pair<IMenu*, int>> items;
  HMENU native = IGraphicsWin::BuildNativeMenu(menu, items);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[2].first, sub);
  EXPECT_EQ(items[2].second, 0);
  EXPECT_EQ(GetMenuItemCount(native), 3);
  EXPECT_TRUE(GetMenuState(native, 0, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(native, 1, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(native, 2, MF_BYPOSITION) & MF_MENUBARBREAK) << "third item starts column two";
  HMENU nested = GetSubMenu(native, 2);
  ASSERT_NE(nested, nullptr);
  wchar_t text[16] = {};
  GetMenuStringW(nested, 0, text, 16, MF_BYPOSITION);
  EXPECT_STREQ(text, L"C");
  DestroyMenu(native);
}

// ----- Tooltips

std::wstring ToolText(HWND tooltip, HWND wnd)
{
  wchar_t text[128] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = wnd;
  tool.uId = reinterpret_cast<UINT_PTR>(wnd);
  tool.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
  return text;
}

TEST_F(WinWindowTest, TooltipShowsTheHoveredControlsTextUntilAnotherIsHovered)
{
  GraphicsPlugin p;
  p.SetLayoutFunc(
      [](IGraphics* g)
      {
        g->AddControl(new TestControl(IRect(0, 0, 580, 250)));
        g->AddControl(new TestControl(IRect(100, 50, 200, 150)))->SetTooltip("Drive \xE2\x86\x92 clipper");
        g->AddControl(new TestControl(IRect(300, 50, 400, 150)));
      });
  IGraphicsWin g(p, 580, 250, 60, 1.f);
  g.SetVerticalBlankMode(false);
  g.EnableTooltips(true);
  HWND w = static_cast<HWND>(g.OpenWindow(mHost));
  ASSERT_NE(w, nullptr);
  HWND tip = g.GetTooltipWindow();
  ASSERT_NE(tip, nullptr);
  wchar_t cls[32] = {};
  GetClassNameW(tip, cls, 32);
  EXPECT_STREQ(cls, L"tooltips_class32");
  EXPECT_TRUE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindowLongW(tip, GWL_STYLE) & (TTS_ALWAYSTIP | TTS_NOPREFIX), TTS_ALWAYSTIP | TTS_NOPREFIX);
  EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 250);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

  SendMessageW(w, WM_MOUSEMOVE, 0, Point(150, 100));
  EXPECT_FALSE(g.TooltipVisible()) << "shown on hover, not on the move";
  SendMessageW(w, WM_MOUSEHOVER, 0, Point(150, 100));
  EXPECT_TRUE(g.TooltipVisible());
  EXPECT_EQ(g.TooltipControlIdx(), 1);
  EXPECT_EQ(ToolText(tip, w), L"Drive \u2192 clipper");
  SendMessageW(w, WM_MOUSEMOVE, 0, Point(160, 110));
  EXPECT_TRUE(g.TooltipVisible()) << "moving within the control keeps it";
  SendMessageW(w, WM_MOUSEMOVE, 0, Point(350, 100));
  EXPECT_FALSE(g.TooltipVisible());
  EXPECT_EQ(g.TooltipControlIdx(), -1);
  EXPECT_EQ(ToolText(tip, w), L"");
  SendMessageW(w, WM_MOUSEHOVER, 0, Point(350, 100));
  EXPECT_TRUE(g.TooltipVisible());
  EXPECT_EQ(g.TooltipControlIdx(), 2);
  EXPECT_EQ(ToolText(tip, w), L"") << "a control without a tooltip shows an empty tip";
  g.CloseWindow();
  EXPECT_EQ(g.GetTooltipWindow(), nullptr);
  EXPECT_FALSE(IsWindow(tip));

  IGraphicsWin plain(p, 580, 250, 60, 1.f);
  plain.SetVerticalBlankMode(false);
  ASSERT_NE(plain.OpenWindow(mHost), nullptr);
  EXPECT_EQ(plain.GetTooltipWindow(), nullptr) << "only when enabled";
  plain.CloseWindow();
}

TEST_F(WinWindowTest, TooltipHidesOnClickLeaveAndValueEntry)
{
  struct Case
  {
    const char* what;
    std::function<void(IGraphicsWin&, HWND)> act;
  };
  const Case cases[] = {
      {"left button",
       [](IGraphicsWin&, HWND w)
       {
         SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(150, 100));
         SendMessageW(w, WM_LBUTTONUP, 0, Point(150, 100));
       }},
      {"right button",
       [](IGraphicsWin&, HWND w)
       {
         SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, Point(150, 100));
         SendMessageW(w, WM_RBUTTONUP, 0, Point(150, 100));
       }},
      {"mouse leave", [](IGraphicsWin&, HWND w) { SendMessageW(w, WM_MOUSELEAVE, 0, 0); }},
      {"value entry",
       [](IGraphicsWin& g, HWND)
       {
         g.CreatePlatformTextEntry(0, ITextStyle(), IRect(10, 10, 110, 60), 8, "1");
         ASSERT_NE(g.GetEditWindow(), nullptr);
         SendMessageW(g.GetEditWindow(), WM_CHAR, L'2', 0);
       }},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    GraphicsPlugin p;
    p.SetLayoutFunc(
        [](IGraphics* g)
        {
          g->AddControl(new TestControl(IRect(0, 0, 580, 250)));
          g->AddControl(new TestControl(IRect(100, 50, 200, 150)))->SetTooltip("Drive");
        });
    IGraphicsWin g(p, 580, 250, 60, 1.f);
    g.SetVerticalBlankMode(false);
    g.EnableTooltips(true);
    HWND w = static_cast<HWND>(g.OpenWindow(mHost));
    ASSERT_NE(w, nullptr);
    SendMessageW(w, WM_MOUSEMOVE, 0, Point(150, 100));
    SendMessageW(w, WM_MOUSEHOVER, 0, Point(150, 100));
    ASSERT_TRUE(g.TooltipVisible());
    c.act(g, w);
    EXPECT_FALSE(g.TooltipVisible());
    EXPECT_EQ(g.TooltipControlIdx(), -1);
    EXPECT_EQ(ToolText(g.GetTooltipWindow(), w), L"");
    g.CloseWindow();
  }
}

// ----- Dropped files

class DropControl : public IControl
{
public:
  explicit DropControl(const IRect& r) : IControl(r) {}
  void Draw(IGraphics&) override {}
  void OnFileDrop(const char* path) override { mDrops.push_back(path); }
  std::vector<std::string> mDrops;
};

// What the shell hands a window for a drop: a DROPFILES record with one
// wide path, the point in client pixels.
HGLOBAL MakeDrop(const std::wstring& path, POINT at)
{
  const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  HGLOBAL mem = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(mem));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = at;
  drop->fNC = FALSE;
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
  GlobalUnlock(mem);
  return mem;
}

TEST_F(WinWindowTest, DroppedFileReachesTheControlAtTheDropPoint)
{
  const struct
  {
    float scale;
    float x, y; // logical drop point
    int expectedControl;
  } cases[] = {
      {1.f, 150.f, 100.f, 0}, {1.f, 350.f, 100.f, 1}, {1.5f, 350.f, 100.f, 1}, {1.5f, 250.f, 100.f, -1}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.scale << " " << c.x);
    GraphicsPlugin p;
    DropControl* controls[2] = {};
    p.SetLayoutFunc(
        [&](IGraphics* g)
        {
          controls[0] = static_cast<DropControl*>(g->AddControl(new DropControl(IRect(100, 50, 200, 150))));
          controls[1] = static_cast<DropControl*>(g->AddControl(new DropControl(IRect(300, 50, 400, 150))));
        });
    IGraphicsWin g(p, 580, 250, 60, c.scale);
    g.SetVerticalBlankMode(false);
    HWND w = static_cast<HWND>(g.OpenWindow(mHost));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const POINT at{static_cast<LONG>(c.x * c.scale), static_cast<LONG>(c.y * c.scale)};
    SendMessageW(w, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop(L"C:\\Samples\\Gr\u00fc\u00dfe \u266b.wav", at)), 0);
    for (int i = 0; i < 2; ++i)
    {
      SCOPED_TRACE(i);
      if (i == c.expectedControl)
      {
        ASSERT_EQ(controls[i]->mDrops.size(), 1u);
        EXPECT_EQ(controls[i]->mDrops[0], "C:\\Samples\\Gr\xC3\xBC\xC3\x9F"
                                          "e \xE2\x99\xAB.wav");
      }
      else
        EXPECT_TRUE(controls[i]->mDrops.empty());
    }
    g.CloseWindow();
  }
}

// ----- Touch

struct TouchCall
{
  std::string op;
  float x, y, dX;
  uint64_t id;
  float radius;
};

class TouchControl : public IControl
{
public:
  explicit TouchControl(const IRect& r) : IControl(r) {}
  void Draw(IGraphics&) override {}
  void OnMouseDown(float x, float y, const IMouseMods& m) override
  {
    mCalls.push_back({"down", x, y, 0.f, m.touchID, m.touchRadius});
  }
  void OnMouseDrag(float x, float y, float dX, float, const IMouseMods& m) override
  {
    mCalls.push_back({"drag", x, y, dX, m.touchID, m.touchRadius});
  }
  void OnMouseUp(float x, float y, const IMouseMods& m) override
  {
    mCalls.push_back({"up", x, y, 0.f, m.touchID, m.touchRadius});
  }
  std::vector<TouchCall> mCalls;
};

// Wine has no digitizer, so WM_TOUCH never arrives: the decoded points are
// fed to the same entry point the message handler calls.
TEST_F(WinWindowTest, TouchPointsBecomeMouseEventsPerFinger)
{
  for (float s : {1.f, 1.5f})
  {
    SCOPED_TRACE(s);
    GraphicsPlugin p;
    TouchControl* a = nullptr;
    TouchControl* b = nullptr;
    p.SetLayoutFunc(
        [&](IGraphics* g)
        {
          a = static_cast<TouchControl*>(g->AddControl(new TouchControl(IRect(100, 50, 300, 200))));
          b = static_cast<TouchControl*>(g->AddControl(new TouchControl(IRect(320, 50, 500, 200))));
        });
    IGraphicsWin g(p, 580, 250, 60, s);
    g.SetVerticalBlankMode(false);
    g.EnableMultiTouch(true);
    HWND w = static_cast<HWND>(g.OpenWindow(mHost));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(g.RegisteredForTouch(), (GetSystemMetrics(SM_DIGITIZER) & NID_MULTI_INPUT) != 0);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    auto touch = [&](DWORD id, float x, float y, DWORD flags, DWORD contact = 0)
    {
      TOUCHINPUT t{};
      t.x = static_cast<LONG>(std::lround((static_cast<float>(origin.x) + x * s) * 100.f));
      t.y = static_cast<LONG>(std::lround((static_cast<float>(origin.y) + y * s) * 100.f));
      t.dwID = id;
      t.dwFlags = flags;
      if (contact)
      {
        t.dwMask = TOUCHINPUTMASKF_CONTACTAREA;
        t.cxContact = t.cyContact = contact;
      }
      return t;
    };
    const TOUCHINPUT downs[] = {touch(7, 150.f, 100.f, TOUCHEVENTF_DOWN, 1000),
                                touch(9, 400.f, 120.f, TOUCHEVENTF_DOWN)};
    g.OnTouchInputs(downs, 2);
    const TOUCHINPUT move[] = {touch(7, 170.f, 90.f, TOUCHEVENTF_MOVE, 1000),
                               touch(9, 400.f, 120.f, TOUCHEVENTF_MOVE)};
    g.OnTouchInputs(move, 2);
    const TOUCHINPUT ups[] = {touch(7, 170.f, 90.f, TOUCHEVENTF_UP), touch(9, 400.f, 120.f, TOUCHEVENTF_UP)};
    g.OnTouchInputs(ups, 2);
    const float radius = 5.f / s; // half of a 10-pixel contact, in logical units
    const TouchCall expectedA[] = {{"down", 150.f, 100.f, 0.f, 7, radius},
                                   {"drag", 170.f, 90.f, 20.f, 7, radius},
                                   {"up", 170.f, 90.f, 0.f, 7, 0.f}};
    const TouchCall expectedB[] = {{"down", 400.f, 120.f, 0.f, 9, 0.f}, {"up", 400.f, 120.f, 0.f, 9, 0.f}};
    auto check = [](const std::vector<TouchCall>& got, const TouchCall* want, size_t n)
    {
      ASSERT_EQ(got.size(), n);
      for (size_t i = 0; i < n; ++i)
      {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].op, want[i].op);
        EXPECT_NEAR(got[i].x, want[i].x, 0.01f);
        EXPECT_NEAR(got[i].y, want[i].y, 0.01f);
        EXPECT_NEAR(got[i].dX, want[i].dX, 0.01f);
        EXPECT_EQ(got[i].id, want[i].id);
        EXPECT_NEAR(got[i].radius, want[i].radius, 0.01f);
      }
    };
    check(a->mCalls, expectedA, std::size(expectedA));
    // A finger that did not move drags nothing.
    check(b->mCalls, expectedB, std::size(expectedB));
    EXPECT_FALSE(g.ControlIsCaptured());
    g.CloseWindow();
  }
}

// ----- Fonts

std::vector<unsigned char> ReadFile(const char* path)
{
  std::ifstream f(path, std::ios::binary);
  return std::vector<unsigned char>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Bytes placed so that the byte after the last one is a no-access page: a
// read past the end faults instead of going unnoticed.
class GuardedBytes
{
public:
  explicit GuardedBytes(const std::vector<unsigned char>& bytes)
  {
    const size_t page = 4096;
    const size_t span = (bytes.size() + page - 1) / page * page;
    mBase = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, span + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(mBase + span, page, PAGE_NOACCESS, &old);
    mData = mBase + span - bytes.size();
    if (!bytes.empty()) std::memcpy(mData, bytes.data(), bytes.size());
    mSize = bytes.size();
  }
  ~GuardedBytes() { VirtualFree(mBase, 0, MEM_RELEASE); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;
  const unsigned char* data() const { return mData; }
  size_t size() const { return mSize; }

private:
  unsigned char* mBase = nullptr;
  unsigned char* mData = nullptr;
  size_t mSize = 0;
};

void Put16(std::vector<unsigned char>& b, size_t at, unsigned v)
{
  b[at] = static_cast<unsigned char>(v >> 8);
  b[at + 1] = static_cast<unsigned char>(v);
}
void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v)
{
  Put16(b, at, v >> 16);
  Put16(b, at + 2, v & 0xFFFF);
}

struct NameRecord
{
  unsigned platform, encoding, language, id;
  std::string text; // ASCII; stored as UTF-16BE except on platform 1
};

// A font file of one face with a 'name' table and, when weight > 0, an
// 'OS/2' table (weight and fsSelection): enough for the name reader.
std::vector<unsigned char> MakeFont(const std::vector<NameRecord>& records, unsigned weight = 0,
                                    unsigned selection = 0)
{
  std::vector<unsigned char> strings;
  std::vector<unsigned char> name(6 + records.size() * 12);
  Put16(name, 2, static_cast<unsigned>(records.size()));
  Put16(name, 4, static_cast<unsigned>(name.size()));
  for (size_t i = 0; i < records.size(); ++i)
  {
    const NameRecord& r = records[i];
    const size_t at = 6 + i * 12, start = strings.size();
    for (char ch : r.text)
    {
      if (r.platform != 1) strings.push_back(0);
      strings.push_back(static_cast<unsigned char>(ch));
    }
    Put16(name, at, r.platform);
    Put16(name, at + 2, r.encoding);
    Put16(name, at + 4, r.language);
    Put16(name, at + 6, r.id);
    Put16(name, at + 8, static_cast<unsigned>(strings.size() - start));
    Put16(name, at + 10, static_cast<unsigned>(start));
  }
  name.insert(name.end(), strings.begin(), strings.end());
  std::vector<unsigned char> os2(weight ? 96 : 0);
  if (weight)
  {
    Put16(os2, 4, weight);
    Put16(os2, 62, selection);
  }
  const unsigned tables = weight ? 2 : 1;
  std::vector<unsigned char> font(12 + 16 * tables);
  Put32(font, 0, 0x00010000);
  Put16(font, 4, tables);
  auto addTable = [&](size_t slot, const char* tag, const std::vector<unsigned char>& data)
  {
    std::memcpy(&font[12 + slot * 16], tag, 4);
    Put32(font, 12 + slot * 16 + 8, static_cast<uint32_t>(font.size()));
    Put32(font, 12 + slot * 16 + 12, static_cast<uint32_t>(data.size()));
    font.insert(font.end(), data.begin(), data.end());
  };
  addTable(0, "name", name);
  if (weight) addTable(1, "OS/2", os2);
  return font;
}

TEST_F(WinWindowTest, FontNamesComeFromTheFontsOwnTables)
{
  const std::vector<unsigned char> poppins = ReadFile(KESTRINE_TEST_FONT_FILE);
  ASSERT_GT(poppins.size(), 1000u);
  const std::vector<NameRecord> alpha = {{3, 1, 0x409, 1, "Alpha"}, {3, 1, 0x409, 2, "Bold"}};
  const struct
  {
    const char* what;
    std::vector<unsigned char> bytes;
    int face;
    bool ok;
    const char* family;
    const char* gdiFamily;
    const char* style;
    int weight;
    bool italic;
  } cases[] = {
      {"the editor's font", poppins, 0, true, "Poppins", "Poppins Medium", "Regular", 500, false},
      {"legacy names only", MakeFont(alpha, 700, 0x20), 0, true, "Alpha", "Alpha", "Bold", 700, false},
      {"typographic family", MakeFont({{3, 1, 0x409, 1, "Alpha Light"}, {3, 1, 0x409, 16, "Alpha"}}, 300, 1),
       0, true, "Alpha", "Alpha Light", "Italic", 300, true},
      {"English preferred", MakeFont({{3, 1, 0x407, 1, "Alpha DE"}, {3, 1, 0x409, 1, "Alpha"}}), 0, true,
       "Alpha", "Alpha", "Regular", 400, false},
      {"Macintosh names", MakeFont({{1, 0, 0, 1, "Mac Alpha"}}), 0, true, "Mac Alpha", "Mac Alpha", "Regular",
       400, false},
      {"no family", MakeFont({{3, 1, 0x409, 2, "Bold"}}), 0, false, "", "", "", 400, false},
      {"unreadable encoding", MakeFont({{3, 5, 0x409, 1, "Alpha"}}), 0, false, "", "", "", 400, false},
      {"face 1 of a single font", MakeFont(alpha), 1, false, "", "", "", 400, false},
      {"empty", {}, 0, false, "", "", "", 400, false},
      {"garbage", std::vector<unsigned char>(64, 0xAB), 0, false, "", "", "", 400, false},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.what);
    GuardedBytes bytes(c.bytes);
    IGraphicsWin::FontNames names;
    ASSERT_EQ(IGraphicsWin::ReadFontNames(bytes.data(), bytes.size(), c.face, names), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(names.family, c.family);
    EXPECT_EQ(names.gdiFamily, c.gdiFamily);
    EXPECT_EQ(names.style, c.style);
    EXPECT_EQ(names.weight, c.weight);
    EXPECT_EQ(names.italic, c.italic);
  }
}

TEST_F(WinWindowTest, CorruptFontTablesAreRejectedWithoutReadingPastTheEnd)
{
  const std::vector<unsigned char> good =
      MakeFont({{3, 1, 0x409, 1, "Alpha"}, {3, 1, 0x409, 2, "Bold"}}, 700, 0x20);
  const size_t nameRecord = 12 + 2 * 16; // the name table follows the two directory entries
  const struct
  {
    const char* what;
    std::function<void(std::vector<unsigned char>&)> corrupt;
  } cases[] = {
      {"table count past the end", [](std::vector<unsigned char>& b) { Put16(b, 4, 0xFFFF); }},
      {"name table past the end", [](std::vector<unsigned char>& b) { Put32(b, 12 + 12, 0x7FFFFFF0); }},
      {"name offset past the end", [](std::vector<unsigned char>& b) { Put32(b, 12 + 8, 0xFFFFFFF0); }},
      {"record count past the table", [&](std::vector<unsigned char>& b) { Put16(b, nameRecord + 2, 5000); }},
      {"strings past the table", [&](std::vector<unsigned char>& b) { Put16(b, nameRecord + 4, 0xFFF0); }},
      {"family text past the table",
       [&](std::vector<unsigned char>& b) { Put16(b, nameRecord + 6 + 8, 0xFFF0); }},
      {"collection of too many faces",
       [](std::vector<unsigned char>& b)
       {
         std::vector<unsigned char> head(12);
         std::memcpy(head.data(), "ttcf", 4);
         Put32(head, 8, 0x7FFFFFFF);
         b = head;
       }},
      {"collection face past the end",
       [](std::vector<unsigned char>& b)
       {
         std::vector<unsigned char> head(16);
         std::memcpy(head.data(), "ttcf", 4);
         Put32(head, 8, 1);
         Put32(head, 12, 0xFFFFFF00);
         b = head;
       }},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.what);
    std::vector<unsigned char> bytes = good;
    c.corrupt(bytes);
    GuardedBytes guarded(bytes);
    IGraphicsWin::FontNames names;
    EXPECT_FALSE(IGraphicsWin::ReadFontNames(guarded.data(), guarded.size(), 0, names));
  }
  // Every cut of a good font: up to the end of the name table nothing is
  // read; a cut OS/2 table (the last one) is ignored, leaving the names.
  const size_t os2At = good.size() - 96;
  for (size_t n = 0; n < good.size(); ++n)
  {
    std::vector<unsigned char> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    GuardedBytes guarded(cut);
    IGraphicsWin::FontNames names;
    const bool ok = IGraphicsWin::ReadFontNames(guarded.data(), guarded.size(), 0, names);
    EXPECT_EQ(ok, n >= os2At) << n;
    if (ok)
    {
      EXPECT_EQ(names.weight, 400) << n;
    }
  }
}

std::wstring SelectedFaceOf(HFONT font)
{
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, previous);
  DeleteDC(dc);
  return face;
}

TEST_F(WinWindowTest, FontsLoadFromBytesAndByFamilyName)
{
  GraphicsPlugin p;
  IGraphicsWin g(p, 580, 250, 60, 1.f);
  const std::vector<unsigned char> poppins = ReadFile(KESTRINE_TEST_FONT_FILE);
  PlatformFontPtr fromBytes = g.LoadPlatformFont("p", poppins.data(), static_cast<int>(poppins.size()));
  ASSERT_NE(fromBytes, nullptr);
  const auto* font = dynamic_cast<const IGraphicsWin::Font*>(fromBytes.get());
  ASSERT_NE(font, nullptr);
  EXPECT_STREQ(font->GetFamily(), "Poppins");
  EXPECT_STREQ(font->GetStyleName(), "Regular");
  EXPECT_FALSE(font->IsSystem());
  EXPECT_EQ(font->GetDataSize(), static_cast<int>(poppins.size()));
  HFONT gdi = CreateFontIndirectW(&font->GetLogFont());
  EXPECT_EQ(SelectedFaceOf(gdi), L"Poppins Medium") << "GDI selects the installed face";
  DeleteObject(gdi);

  // While installed for the process, the face is also there by its name.
  PlatformFontPtr byName = g.LoadPlatformFont("q", "Poppins Medium", kFontStyleNormal);
  ASSERT_NE(byName, nullptr);
  const auto* named = dynamic_cast<const IGraphicsWin::Font*>(byName.get());
  ASSERT_NE(named, nullptr);
  EXPECT_TRUE(named->IsSystem());
  EXPECT_STREQ(named->GetStyleName(), "Regular");
  IGraphicsWin::FontNames names;
  ASSERT_TRUE(IGraphicsWin::ReadFontNames(named->GetData(), static_cast<size_t>(named->GetDataSize()),
                                          named->GetFaceIdx(), names))
      << "the bytes GDI gave are the font's";
  EXPECT_EQ(names.family, "Poppins");

  const unsigned char shortBytes[] = {0, 1, 0, 0, 0, 1};
  EXPECT_EQ(g.LoadPlatformFont("r", shortBytes, static_cast<int>(sizeof(shortBytes))), nullptr);
  EXPECT_EQ(g.LoadPlatformFont("r", "Kestrine No Such Family", kFontStyleBold), nullptr)
      << "another family selected in its place does not count";
  EXPECT_EQ(g.LoadPlatformFont("r", "", kFontStyleNormal), nullptr);
}

TEST_F(WinWindowTest, ValueEntryUsesTheLoadedFontAtItsPixelHeight)
{
  GraphicsPlugin p;
  IGraphicsWin g(p, 580, 250, 60, 1.5f);
  g.SetVerticalBlankMode(false);
  ASSERT_NE(g.OpenWindow(mHost), nullptr);
  ASSERT_TRUE(g.LoadFontResource("Poppins-Medium", KESTRINE_TEST_FONT_FILE));
  ITextStyle style;
  style.mSize = 20.f;
  g.CreatePlatformTextEntry(0, style, IRect(10, 10, 110, 60), 8, "1");
  ASSERT_NE(g.GetEditFont(), nullptr);
  LOGFONTW lf{};
  ASSERT_TRUE(GetObjectW(g.GetEditFont(), sizeof(lf), &lf));
  EXPECT_EQ(lf.lfHeight, 30) << "1.5 x 20 device pixels";
  EXPECT_EQ(lf.lfWeight, 500);
  EXPECT_EQ(SelectedFaceOf(g.GetEditFont()), L"Poppins Medium");
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(g.GetEditWindow(), WM_GETFONT, 0, 0)), g.GetEditFont());
  g.CloseWindow();
}

// ----- Parameters, context menu, keys

class TestKnob : public IKnobControlBase
{
public:
  TestKnob(const IRect& r, int paramIdx) : IKnobControlBase(r, paramIdx) {}
  void Draw(IGraphics&) override {}
  void FillContextMenu(IMenu&) override { ++mContextMenus; } // no items: no native menu is tracked
  int mContextMenus = 0;
};

TEST_F(WinWindowTest, LeftDragMovesTheParameterWithinOneGestureAndRightClickDoesNot)
{
  struct Case
  {
    const char* what;
    UINT down, up;
    WPARAM button;
    int gestures;
    int contextMenus;
    bool moves;
  };
  const Case cases[] = {
      {"left drag", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 1, 0, true},
      {"right drag", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 0, 1, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    GraphicsPlugin p;
    TestKnob* knob = nullptr;
    p.SetLayoutFunc(
        [&](IGraphics* g)
        { knob = static_cast<TestKnob*>(g->AddControl(new TestKnob(IRect(100, 50, 200, 150), 0))); });
    IGraphicsWin g(p, 580, 250, 60, 1.f);
    g.SetVerticalBlankMode(false);
    HWND w = static_cast<HWND>(g.OpenWindow(mHost));
    ASSERT_NE(w, nullptr);
    p.mCalls.clear();
    SendMessageW(w, c.down, c.button, Point(150, 120));
    SendMessageW(w, WM_MOUSEMOVE, c.button, Point(150, 100));
    SendMessageW(w, WM_MOUSEMOVE, c.button, Point(150, 80));
    SendMessageW(w, c.up, 0, Point(150, 80));
    EXPECT_EQ(p.Count("begin"), c.gestures);
    EXPECT_EQ(p.Count("end"), c.gestures);
    EXPECT_EQ(knob->mContextMenus, c.contextMenus);
    EXPECT_EQ(p.GetParam(0)->Value() > 0., c.moves) << p.GetParam(0)->Value();
    EXPECT_EQ(p.Count("send") > 0, c.moves);
    if (c.moves)
    {
      // begin, the value sends, end: in that order.
      EXPECT_EQ(p.mCalls.front().what, "begin");
      EXPECT_EQ(p.mCalls.back().what, "end");
    }
    EXPECT_FALSE(g.ControlIsCaptured());
    EXPECT_FALSE(g.IsCursorHidden());
    g.CloseWindow();
  }
}

TEST_F(WinWindowTest, KeysTheEditorDoesNotHandleReachTheHost)
{
  GraphicsPlugin p;
  IGraphicsWin g(p, 580, 250, 60, 1.f);
  g.SetVerticalBlankMode(false);
  HWND w = static_cast<HWND>(g.OpenWindow(mHost));
  ASSERT_NE(w, nullptr);
  std::vector<std::pair<int, bool>> editorKeys;
  g.SetKeyHandlerFunc(
      [&](const IKeyPress& key, bool isUp)
      {
        editorKeys.emplace_back(key.VK, isUp);
        return key.VK == 'K';
      });
  const struct
  {
    UINT msg;
    WPARAM vk;
    bool toHost;
  } cases[] = {{WM_KEYDOWN, 'K', false},
               {WM_KEYUP, 'K', false},
               {WM_KEYDOWN, VK_SPACE, true},
               {WM_KEYUP, VK_SPACE, true},
               {WM_KEYDOWN, VK_F5, true}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.msg << " " << c.vk);
    sHostKeys.clear();
    editorKeys.clear();
    SendMessageW(w, c.msg, c.vk, 1);
    ASSERT_EQ(editorKeys.size(), 1u) << "the editor is asked first";
    EXPECT_EQ(editorKeys[0].first, static_cast<int>(c.vk));
    EXPECT_EQ(editorKeys[0].second, c.msg == WM_KEYUP);
    ASSERT_EQ(sHostKeys.size(), c.toHost ? 1u : 0u);
    if (c.toHost)
    {
      EXPECT_EQ(sHostKeys[0], std::make_pair(c.msg, c.vk));
    }
  }
  g.CloseWindow();
}

TEST_F(WinWindowTest, ValuePromptCommitsTheTypedValueToTheParameter)
{
  GraphicsPlugin p;
  TestControl* control = nullptr;
  p.SetLayoutFunc(
      [&](IGraphics* g)
      { control = static_cast<TestControl*>(g->AddControl(new TestControl(IRect(10, 10, 110, 60), 0))); });
  IGraphicsWin g(p, 580, 250, 60, 1.f);
  g.SetVerticalBlankMode(false);
  HWND w = static_cast<HWND>(g.OpenWindow(mHost));
  ASSERT_NE(w, nullptr);
  p.mCalls.clear();
  g.OpenValuePrompt(control, IRect(10, 10, 110, 60), 0);
  HWND edit = g.GetEditWindow();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(g.GetControlInTextEntry(), control);
  wchar_t text[32] = {};
  GetWindowTextW(edit, text, 32);
  EXPECT_STREQ(text, L"0.0") << "the current value, all selected";
  SendMessageW(edit, WM_SETFOCUS, 0, 0);
  for (const wchar_t* t = L"7.5"; *t; ++t) SendMessageW(edit, WM_CHAR, *t, 0);
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_DOUBLE_EQ(p.GetParam(0)->Value(), 0.) << "applied on the next tick";
  g.OnDisplayTick(0);
  EXPECT_EQ(g.GetEditWindow(), nullptr);
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  EXPECT_DOUBLE_EQ(p.GetParam(0)->Value(), 7.5);
  EXPECT_DOUBLE_EQ(control->GetValue(), 0.75);
  EXPECT_EQ(p.Count("send"), 1);
  g.CloseWindow();
}

int CountThreads()
{
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 t{};
  t.dwSize = sizeof(t);
  int n = 0;
  for (BOOL ok = Thread32First(snap, &t); ok; ok = Thread32Next(snap, &t))
    if (t.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  CloseHandle(snap);
  return n;
}

int CountChildWindows(HWND parent)
{
  int n = 0;
  EnumChildWindows(
      parent, [](HWND, LPARAM count) -> BOOL { return ++*reinterpret_cast<int*>(count), TRUE; },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

TEST_F(WinWindowTest, OpeningAndClosingFiftyTimesLeavesNothingBehind)
{
  struct Case
  {
    bool vblank;
    bool tooltips;
  } const cases[] = {{false, false}, {true, false}, {false, true}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "vblank " << c.vblank << " tooltips " << c.tooltips);
    GraphicsPlugin p;
    p.SetLayoutFunc([](IGraphics* g) { g->AddControl(new MouseControl(IRect(10, 10, 100, 100))); });
    IGraphicsWin g(p, 580, 250, 60, 1.f);
    g.SetVerticalBlankMode(c.vblank);
    g.EnableTooltips(c.tooltips);
    // One round first, so that lazily made system objects are counted.
    ASSERT_NE(g.OpenWindow(mHost), nullptr);
    g.CloseWindow();
    Pump();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    const int threads = CountThreads();
    for (int i = 0; i < 50; ++i)
    {
      ASSERT_NE(g.OpenWindow(mHost), nullptr);
      EXPECT_EQ(g.GetTooltipWindow() != nullptr, c.tooltips);
      g.OnDisplayTick(0);
      Pump();
      g.CloseWindow();
    }
    // Until the last window's system objects and its display thread have
    // gone (they may go after CloseWindow returns).
    kestrine_test::WaitUntil(
        [&]
        {
          return CountChildWindows(mHost) == 0 &&
                 GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) == gdi &&
                 GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS) == user && CountThreads() == threads;
        },
        Pump, 5);
    EXPECT_EQ(CountChildWindows(mHost), 0);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);
    EXPECT_EQ(CountThreads(), threads);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    WNDCLASSW wc{};
    EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), L"IPlugWndClass", &wc))
        << "unregistered by the last window";
  }
}

} // namespace
} // namespace iplug_test

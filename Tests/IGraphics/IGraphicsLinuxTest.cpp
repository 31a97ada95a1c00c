// The Linux editor window: opened as a child of a test window, with X events
// sent to it reaching a control at the right logical coordinates, and
// opened and closed repeatedly (leaks show under the address sanitizer).
#include "GraphicsFixture.h"
#include "IGraphicsLinux.h"
#include "WaitUntil.h"

#include <X11/Xlib.h>

#include <gtest/gtest.h>

namespace iplug_test
{
namespace
{

struct MouseCall
{
  std::string op;
  float x, y, d1, d2;
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
  void OnMouseDown(float x, float y, const IMouseMods&) override { mCalls.push_back({"down", x, y, 0, 0}); }
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMods&) override
  {
    mCalls.push_back({"drag", x, y, dX, dY});
  }
  void OnMouseUp(float x, float y, const IMouseMods&) override { mCalls.push_back({"up", x, y, 0, 0}); }
  void OnMouseWheel(float x, float y, const IMouseMods&, float d) override
  {
    mCalls.push_back({"wheel", x, y, d, 0});
  }
  std::vector<MouseCall> mCalls;
  int mDraws = 0;
};

// A host window on a connection of the test's own.
class LinuxWindowTest : public testing::Test
{
protected:
  void SetUp() override
  {
    // A server left without clients resets itself for a moment: try again.
    kestrine_test::WaitUntil([this] { return (mDisplay = XOpenDisplay(nullptr)) != nullptr; }, 20);
    ASSERT_NE(mDisplay, nullptr) << "no X display (./kestrine starts Xvfb)";
    mParent = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 900, 400, 0, 0, 0);
    XMapWindow(mDisplay, mParent);
    XSync(mDisplay, False);
  }
  void TearDown() override
  {
    if (!mDisplay) return;
    XDestroyWindow(mDisplay, mParent);
    XCloseDisplay(mDisplay);
  }

  void* ParentHandle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(mParent)); }

  void Send(Window w, int type, int x, int y, unsigned button, unsigned state)
  {
    XEvent e{};
    e.type = type;
    if (type == MotionNotify)
    {
      e.xmotion.window = w;
      e.xmotion.x = x;
      e.xmotion.y = y;
      e.xmotion.state = state;
      e.xmotion.same_screen = True;
    }
    else
    {
      e.xbutton.window = w;
      e.xbutton.x = x;
      e.xbutton.y = y;
      e.xbutton.button = button;
      e.xbutton.state = state;
      e.xbutton.time = static_cast<Time>(++mTime * 1000);
      e.xbutton.same_screen = True;
    }
    XSendEvent(mDisplay, w, False, 0, &e);
    XSync(mDisplay, False);
  }

  // Ticks the display clock until the control has n calls (or the deadline).
  static void TickUntil(IGraphicsLinux& g, const MouseControl& c, size_t n)
  {
    kestrine_test::WaitUntil([&] { return c.mCalls.size() >= n; }, [&] { g.OnDisplayTick(); }, 10);
  }

  Display* mDisplay = nullptr;
  Window mParent = 0;
  int mTime = 0;
};

TEST_F(LinuxWindowTest, MouseAndWheelReachTheControlInLogicalUnits)
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
    IGraphicsLinux g(p, 580, 250, 60, c.scale);
    void* window = g.OpenWindow(ParentHandle());
    ASSERT_NE(window, nullptr);
    ASSERT_NE(control, nullptr);
    const Window w = g.GetXWindow();
    g.OnDisplayTick();
    EXPECT_GE(control->mDraws, 1);

    const float s = c.scale;
    auto px = [s](float logical) { return static_cast<int>(logical * s); };
    Send(w, ButtonPress, px(150), px(100), Button1, 0);
    Send(w, MotionNotify, px(150) + 30, px(100) + 15, 0, Button1Mask);
    Send(w, ButtonRelease, px(150) + 30, px(100) + 15, Button1, Button1Mask);
    Send(w, ButtonPress, px(200), px(120), Button4, 0);
    Send(w, ButtonPress, px(200), px(120), Button5, 0);
    TickUntil(g, *control, 5);
    ASSERT_EQ(control->mCalls.size(), 5u);
    const MouseCall expected[] = {
        {"down", 150.f, 100.f, 0.f, 0.f},
        {"drag", (px(150) + 30) / s, (px(100) + 15) / s, 30.f / s, 15.f / s},
        {"up", (px(150) + 30) / s, (px(100) + 15) / s, 0.f, 0.f},
        {"wheel", 200.f, 120.f, 1.f, 0.f},
        {"wheel", 200.f, 120.f, -1.f, 0.f},
    };
    for (size_t i = 0; i < 5; ++i)
    {
      SCOPED_TRACE(expected[i].op);
      EXPECT_EQ(control->mCalls[i].op, expected[i].op);
      EXPECT_NEAR(control->mCalls[i].x, expected[i].x, 0.01f);
      EXPECT_NEAR(control->mCalls[i].y, expected[i].y, 0.01f);
      EXPECT_NEAR(control->mCalls[i].d1, expected[i].d1, 0.01f);
      EXPECT_NEAR(control->mCalls[i].d2, expected[i].d2, 0.01f);
    }
    g.CloseWindow();
    EXPECT_FALSE(g.WindowIsOpen());
    EXPECT_EQ(g.NControls(), 0);
  }
}

TEST_F(LinuxWindowTest, OpensDrawsAndClosesRepeatedly)
{
  GraphicsPlugin p;
  int opened = 0;
  p.SetLayoutFunc(
      [&](IGraphics* g)
      {
        ++opened;
        g->AddControl(new MouseControl(IRect(10, 10, 100, 100)));
        EXPECT_TRUE(g->LoadFontResource("Poppins", KESTRINE_TEST_FONT_FILE));
      });
  IGraphicsLinux g(p, 580, 250, 60, 1.5f);
  for (int i = 0; i < 4; ++i)
  {
    ASSERT_NE(g.OpenWindow(ParentHandle()), nullptr);
    EXPECT_STREQ(g.GetDrawingAPIStr(), "NanoVG | GL2");
    g.OnDisplayTick();
    EXPECT_EQ(g.FramebufferWidth(), 870);
    auto* c = static_cast<MouseControl*>(g.GetControl(0));
    EXPECT_EQ(c->mDraws, 1);
    g.CloseWindow();
  }
  EXPECT_EQ(opened, 4);
}

} // namespace
} // namespace iplug_test

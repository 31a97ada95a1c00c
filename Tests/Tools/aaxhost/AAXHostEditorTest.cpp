// The module's own editor through the whole host path under X11: mouse input
// sent to its window arrives at the host's automation, its pictures match the
// goldens at three draw scales, opening and closing it while audio plays
// neither stops the audio nor leaves the module's objects behind, and the
// edit and snapshot verbs behave as a person needs.
//
// Mesa's software OpenGL allocates from its JIT-compiled code, which the
// address sanitizer cannot tell from ours, and is unloaded with the module:
// as for the editor window's own tests, the leak check is off here (and in
// the aaxhost processes these tests start). ACFCanUnloadNow answering 0
// after the twenty openings stands for the module's objects.
#include "AAXHostEdit.h"
#include "AAXHostPlayer.h"
#include "AAXHostTestModule.h"
#include "AAXHostWav.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "AAXHostPictureCompare.h"
#include "WaitUntil.h"

#include <stb_image.h>

using namespace aaxhost;
namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// The module's own editor.

namespace
{
// A file of this test's own: ctest runs two tests at once.
std::string TempPath(const std::string& name)
{
  const std::string test = testing::UnitTest::GetInstance()->current_test_info()
                               ? testing::UnitTest::GetInstance()->current_test_info()->name()
                               : "none";
  std::string unique = std::to_string(getpid()) + "-" + test + "-" + name;
  for (char& c : unique)
    if (c == '/') c = '_';
  return (fs::path(testing::TempDir()) / unique).string();
}

// Silence: the meters then stay at their first frame, so pictures repeat.
const std::string& SilenceFile()
{
  static const std::string path = []
  {
    const std::string p = TempPath("aaxhost-editor-silence.wav");
    std::string error;
    EXPECT_TRUE(WriteWavFile(p, MakeBuffer(2, 4800), 48000., error)) << error;
    return p;
  }();
  return path;
}

struct Change
{
  std::string name;
  double value;
  std::string text;
};

class AAXHostLiveEditor : public testing::Test
{
protected:
  void Open(std::vector<std::pair<std::string, std::string>> settings = {})
  {
    REQUIRE_MODULE();
    LiveEditorOptions o;
    o.modulePath = ModulePath();
    o.audioPath = SilenceFile();
    o.settings = std::move(settings);
    o.onChange = [this](const std::string& name, double value, const std::string& text) {
      mChanges.push_back({name, value, text});
    };
    std::string error;
    ASSERT_TRUE(mLive.Open(o, error)) << error;
    // Input only once the editor shows its first frame: its controls are
    // then laid out where the input goes.
    ASSERT_TRUE(RunUntil([this] { return mLive.ShowsPicture(); })) << "the editor drew no frame";
  }
  // Turns the host's loop until done holds; false at the deadline.
  template <typename Done> bool RunUntil(Done&& done)
  {
    return kestrine_test::WaitUntil(
        done, [this] { mLive.Step(); }, 0);
  }
  const Change* Last(const std::string& name) const
  {
    for (auto it = mChanges.rbegin(); it != mChanges.rend(); ++it)
      if (it->name == name) return &*it;
    return nullptr;
  }

  LiveEditor mLive;
  std::vector<Change> mChanges;
};

// Mouse input at logical units of the editor at draw scale 1 (pixels).
struct Input
{
  EMouse what;
  int x, y;
  uint32_t mods;
};

struct InputCase
{
  const char* name;
  std::vector<std::pair<std::string, std::string>> settings;
  std::vector<Input> input;
  const char* parameter;
  double expected;            // normalised
  bool gesture;               // arrives between a touch and a release
  const char* keys = nullptr; // typed after the mouse input
};

void PrintTo(const InputCase& c, std::ostream* os)
{
  *os << c.name;
}

class AAXHostEditorInput : public AAXHostLiveEditor, public testing::WithParamInterface<InputCase>
{
};
} // namespace

TEST_P(AAXHostEditorInput, ArrivesAtTheHostsAutomation)
{
  const InputCase& c = GetParam();
  Open(c.settings);
  if (HasFatalFailure() || IsSkipped()) return;
  HostAutomation& automation = mLive.GetInstance().Automation();
  const int touches = automation.NumTouches(), releases = automation.NumReleases();
  const int offers = mLive.GetEditor().Container()->NumMouseDowns();
  mChanges.clear();
  Picture before;
  std::string error;
  ASSERT_TRUE(mLive.Window().CaptureEditor(before, error)) << error;
  for (const Input& in : c.input) ASSERT_TRUE(mLive.Window().SendMouse(in.what, in.x, in.y, in.mods));
  if (c.keys)
  {
    // Typed once the double click's value entry shows.
    ASSERT_TRUE(RunUntil([&] { return mLive.ShowsOtherThan(before); })) << "no value entry opened";
    ASSERT_TRUE(mLive.Window().SendKeys(c.keys));
  }
  // Until the input's last change has arrived and gone back in, and a
  // gesture has ended: what the assertions below look at.
  std::string id;
  ASSERT_TRUE(mLive.GetInstance().FindParameter(c.parameter, id));
  RunUntil(
      [&]
      {
        const Change* last = Last(c.parameter);
        return last && std::fabs(last->value - c.expected) <= 0.0026 &&
               std::fabs(mLive.GetInstance().GetNormalized(id) - c.expected) <= 0.0026 &&
               (!c.gesture || (automation.NumTouches() > touches &&
                               automation.NumTouches() - touches == automation.NumReleases() - releases));
      });
  const Change* change = Last(c.parameter);
  ASSERT_NE(change, nullptr) << "no change of " << c.parameter << " reached the automation";
  EXPECT_NEAR(change->value, c.expected, 0.0026) << change->text;
  EXPECT_NEAR(mLive.GetInstance().GetNormalized(id), c.expected, 0.0026) << "the host's answer went back in";
  if (c.gesture)
  {
    EXPECT_GT(automation.NumTouches(), touches);
    EXPECT_EQ(automation.NumTouches() - touches, automation.NumReleases() - releases);
    // A click on a parameter's control is offered to the host first.
    EXPECT_GT(mLive.GetEditor().Container()->NumMouseDowns(), offers);
  }
}

// Drive: -10 to 30 dB, default 0 dB (0.25); the knob's 120 units of height
// move it by a quarter. I/O trim: -10 to 10 dB, default 0 (0.5); a wheel
// notch moves it by 0.01. Mode: "Exciter" is the right one of two cells. A
// double click on a knob opens the editor's own value entry; Return commits
// what was typed.
INSTANTIATE_TEST_SUITE_P(
    Cases, AAXHostEditorInput,
    testing::Values(
        InputCase{"DriveDraggedUp48",
                  {},
                  {{EMouse::eMove, 80, 111, 0},
                   {EMouse::eLeftDown, 80, 111, 0},
                   {EMouse::eMove, 80, 99, 0},
                   {EMouse::eMove, 81, 87, 0},
                   {EMouse::eMove, 80, 75, 0},
                   {EMouse::eMove, 80, 63, 0},
                   {EMouse::eLeftUp, 80, 63, 0}},
                  "Drive",
                  0.35,
                  true},
        InputCase{
            "DriveDraggedDown24",
            {},
            {{EMouse::eLeftDown, 80, 111, 0}, {EMouse::eMove, 80, 135, 0}, {EMouse::eLeftUp, 80, 135, 0}},
            "Drive",
            0.2,
            true},
        InputCase{"ModeExciterClicked",
                  {},
                  {{EMouse::eLeftDown, 400, 227, 0}, {EMouse::eLeftUp, 400, 227, 0}},
                  "Mode",
                  1.,
                  true},
        InputCase{"ModeSaturatorClicked",
                  {{"Mode", "Exciter"}},
                  {{EMouse::eLeftDown, 300, 227, 0}, {EMouse::eLeftUp, 300, 227, 0}},
                  "Mode",
                  0.,
                  true},
        InputCase{"AltClickResetsDrive",
                  {{"Drive", "12"}},
                  {{EMouse::eLeftDown, 80, 111, eModAlt}, {EMouse::eLeftUp, 80, 111, eModAlt}},
                  "Drive",
                  0.25,
                  true},
        InputCase{"AltClickResetsIOTrim",
                  {{"IOTrim", "-4"}},
                  {{EMouse::eLeftDown, 526, 151, eModAlt}, {EMouse::eLeftUp, 526, 151, eModAlt}},
                  "IOTrim",
                  0.5,
                  true},
        InputCase{"IOTrimScrolledUpThrice",
                  {},
                  {{EMouse::eWheelUp, 526, 151, 0},
                   {EMouse::eWheelUp, 526, 151, 0},
                   {EMouse::eWheelUp, 526, 151, 0}},
                  "IOTrim",
                  0.53,
                  false},
        InputCase{"IOTrimScrolledDownOnce", {}, {{EMouse::eWheelDown, 526, 151, 0}}, "IOTrim", 0.49, false},
        InputCase{"DriveTypedAfterADoubleClick",
                  {},
                  {{EMouse::eLeftDoubleClick, 80, 111, 0}},
                  "Drive",
                  0.55,
                  false,
                  "12\r"},
        InputCase{"IOTrimTypedWithASign",
                  {},
                  {{EMouse::eLeftDoubleClick, 526, 151, 0}},
                  "IOTrim",
                  0.2,
                  false,
                  "-6\r"},
        InputCase{"BypassClicked",
                  {},
                  {{EMouse::eLeftDown, 526, 226, 0}, {EMouse::eLeftUp, 526, 226, 0}},
                  "Bypass",
                  1.,
                  true}),
    [](const testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Goldens: the editor's picture as the host shows it, at the smallest, the
// first and the largest draw scale, with Exciter mode set (so the mode
// selector and the three dimmed controls both show a state of their own).
// Taken by snapshot on a display of its own: on a shared one, the windows of
// tests running at the same time would cover each other.

namespace
{
struct Exit
{
  int code = -1;
  std::string err;
  std::string out;
};

std::string Slurp(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// How the tests start aaxhost: through env, with the leak check off (see
// the top of the file; nothing to other builds).
std::string HostCommand(const std::string& environment)
{
  return "env " + environment + " ASAN_OPTIONS=detect_leaks=0 '" + std::string(AAXHOST_TEST_EXE) + "'";
}

// Runs aaxhost with the arguments; environment goes to env ("-u DISPLAY").
Exit RunHost(const std::string& environment, const std::string& arguments)
{
  const std::string out = TempPath("aaxhost-editor-out.txt"), err = TempPath("aaxhost-editor-err.txt");
  const std::string cmd = HostCommand(environment) + " " + arguments + " >'" + out + "' 2>'" + err + "'";
  const int status = std::system(cmd.c_str());
  Exit e;
  e.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  e.out = Slurp(out);
  e.err = Slurp(err);
  return e;
}
} // namespace

namespace
{
bool WriteGoldensRequested()
{
  const char* v = std::getenv("AAXHOST_WRITE_GOLDENS");
  return v && std::string(v) == "1";
}

struct ScaleCase
{
  const char* name;
  const char* scale;
  int width, height;
};

void PrintTo(const ScaleCase& c, std::ostream* os)
{
  *os << c.name;
}

class AAXHostEditorGolden : public testing::TestWithParam<ScaleCase>
{
};
} // namespace

TEST_P(AAXHostEditorGolden, PictureMatchesItsGolden)
{
  REQUIRE_MODULE();
  const ScaleCase& c = GetParam();
  const std::string drawn = TempPath("editor-" + std::string(c.name) + ".png");
  const Exit e = RunHost("-u DISPLAY", "snapshot '" + ModulePath() + "' '" + drawn + "' --scale " + c.scale +
                                           " --set Mode=Exciter --audio '" + SilenceFile() + "'");
  ASSERT_EQ(e.code, 0) << e.err;
  const std::string golden = std::string(AAXHOST_GOLDEN_DIR) + "/editor-" + c.name + ".png";
  if (WriteGoldensRequested())
  {
    fs::copy_file(drawn, golden, fs::copy_options::overwrite_existing);
    std::printf("wrote golden %s\n", golden.c_str());
    return;
  }
  EXPECT_TRUE(aaxhost_test::PictureMatches(drawn, golden, c.width, c.height));
}

// 580 x 250 at int(size x scale).
INSTANTIATE_TEST_SUITE_P(Scales, AAXHostEditorGolden,
                         testing::Values(ScaleCase{"Scale067", "0.67", 388, 167},
                                         ScaleCase{"Scale100", "1", 580, 250},
                                         ScaleCase{"Scale150", "1.5", 870, 375}),
                         [](const testing::TestParamInfo<ScaleCase>& info)
                         { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

TEST_F(AAXHostLiveEditor, OpeningAndClosingTwentyTimesKeepsTheAudioGoing)
{
  Open();
  if (HasFatalFailure() || IsSkipped()) return;
  Editor& editor = mLive.GetEditor();
  Player& player = mLive.GetPlayer();
  for (int round = 0; round < 20; ++round)
  {
    SCOPED_TRACE(round);
    editor.Detach();
    EXPECT_EQ(mLive.Window().EditorWindow(), 0u) << "the editor's window stayed after it closed";
    std::string error;
    ASSERT_TRUE(editor.Attach(mLive.Window(), error)) << error;
    EXPECT_NE(mLive.Window().EditorWindow(), 0u);
    // Audio goes on while the editor is open and drawing: a few more blocks
    // (a stall shows as the deadline running out).
    const int64_t before = player.Blocks();
    RunUntil([&] { return player.Blocks() >= before + 4 || mLive.Window().IsClosed(); });
    ASSERT_FALSE(mLive.Window().IsClosed()) << "the host window was closed";
    EXPECT_GE(player.Blocks(), before + 4);
  }
  EXPECT_TRUE(player.AllFinite());
  EXPECT_EQ(mLive.Close(), 0) << "the module still holds objects after the editor and instance went";
}

// ---------------------------------------------------------------------------
// The verbs as a person runs them.

TEST(AAXHostEditorVerbs, EditWithoutADisplayExitsTwoWithOneLine)
{
  REQUIRE_MODULE();
  const Exit e = RunHost("-u DISPLAY", "edit '" + ModulePath() + "'");
  EXPECT_EQ(e.code, 2);
  EXPECT_NE(e.err.find("no display"), std::string::npos) << e.err;
  EXPECT_EQ(e.err.find('\n'), e.err.size() - 1) << e.err;
}

TEST(AAXHostEditorVerbs, SnapshotStartsItsOwnDisplayAndWritesThePicture)
{
  REQUIRE_MODULE();
  const std::string png = TempPath("aaxhost-snapshot.png");
  fs::remove(png);
  const Exit e =
      RunHost("-u DISPLAY", "snapshot '" + ModulePath() + "' '" + png + "' --scale 1.5 --set Mode=Exciter");
  ASSERT_EQ(e.code, 0) << e.err;
  int w = 0, h = 0, comp = 0;
  ASSERT_TRUE(stbi_info(png.c_str(), &w, &h, &comp)) << png;
  EXPECT_EQ(w, 870);
  EXPECT_EQ(h, 375);
}

TEST(AAXHostEditorVerbs, SnapshotRefusesAScaleOutsideTheEditorsRange)
{
  for (const char* scale : {"0.5", "1.6", "big", "nan"})
  {
    SCOPED_TRACE(scale);
    const Exit e = RunHost("", std::string("snapshot '") + ModulePath() + "' '" + TempPath("x.png") +
                                   "' --scale " + scale);
    EXPECT_EQ(e.code, 2);
    EXPECT_NE(e.err.find("0.67 to 1.5"), std::string::npos) << e.err;
  }
}

namespace
{
// The windows of tests running at the same time may go between the test's
// look at the window tree and its look at one of them (a BadWindow), which
// Xlib's own handler would answer by ending the test program. The calls
// that fail say so in their results.
int IgnoreXError(Display*, XErrorEvent*)
{
  return 0;
}

// aaxhost edit as a person runs it, on the test's display: the test finds
// the host window by its title and acts on it as the person would.
class EditProcess
{
public:
  explicit EditProcess(const std::string& module)
  {
    const std::string cmd =
        "exec " + HostCommand("") + " edit '" + module + "' >'" + mOut + "' 2>'" + mErr + "'";
    const char* argv[] = {"/bin/sh", "-c", cmd.c_str(), nullptr};
    if (posix_spawn(&mPid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) mPid = 0;
    XSetErrorHandler(IgnoreXError);
    mDisplay = XOpenDisplay(nullptr);
  }
  ~EditProcess()
  {
    if (mPid > 0 && !mExited)
    {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
    }
    if (mDisplay) XCloseDisplay(mDisplay);
  }
  // The process's host window titled title with the editor's window in it
  // (0 at the deadline). Other tests may show windows of the same title on
  // the same display at the same time.
  Window FindHostWindow(const char* title)
  {
    Window found = 0;
    kestrine_test::WaitUntil(
        [&]
        {
          if (!mDisplay) return true;
          Window root = 0, parent = 0, *children = nullptr;
          unsigned n = 0;
          if (XQueryTree(mDisplay, DefaultRootWindow(mDisplay), &root, &parent, &children, &n))
            for (unsigned k = 0; k < n && !found; ++k)
            {
              char* name = nullptr;
              if (XFetchName(mDisplay, children[k], &name) && name)
              {
                if (std::string(name) == title && PidOf(children[k]) == mPid && EditorOf(children[k]))
                  found = children[k];
                XFree(name);
              }
            }
          if (children) XFree(children);
          return found != 0;
        },
        20);
    return found;
  }
  // Whether the editor's window is on the screen and shows a frame it drew
  // (until then it is one plain colour, the host window's background): its
  // controls are laid out and it handles input.
  bool EditorShowsPicture(Window editor)
  {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(mDisplay, editor, &a) || a.map_state != IsViewable) return false;
    XImage* image = XGetImage(mDisplay, editor, 0, 0, static_cast<unsigned>(a.width),
                              static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (!image) return false;
    const unsigned long first = XGetPixel(image, 0, 0);
    bool varied = false;
    for (int y = 0; y < a.height && !varied; ++y)
      for (int x = 0; x < a.width && !varied; ++x) varied = XGetPixel(image, x, y) != first;
    XDestroyImage(image);
    return varied;
  }
  long PidOf(Window w)
  {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(mDisplay, w, XInternAtom(mDisplay, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &items, &after, &data) == Success &&
        data && items == 1 && format == 32)
      pid = *reinterpret_cast<const long*>(data);
    if (data) XFree(data);
    return pid;
  }
  Window EditorOf(Window host)
  {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    Window child = 0;
    if (XQueryTree(mDisplay, host, &root, &parent, &children, &n) && n) child = children[n - 1];
    if (children) XFree(children);
    return child;
  }
  void Send(Window w, int type, int x, int y)
  {
    XEvent e{};
    e.type = type;
    e.xbutton.window = w;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.button = Button1;
    e.xbutton.state = type == ButtonPress ? 0 : Button1Mask;
    e.xbutton.time = static_cast<Time>(++mTime * 1000);
    e.xbutton.same_screen = True;
    XSendEvent(mDisplay, w, False, 0, &e);
    XSync(mDisplay, False);
  }
  // What a window manager sends when the person closes the window.
  void Close(Window host)
  {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = host;
    e.xclient.message_type = XInternAtom(mDisplay, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(mDisplay, "WM_DELETE_WINDOW", False));
    XSendEvent(mDisplay, host, False, 0, &e);
    XSync(mDisplay, False);
  }
  void Interrupt() { kill(mPid, SIGINT); }
  // The exit code (-1 when killed by a signal, -2 when still running at the
  // deadline: the destructor then ends it).
  int Wait()
  {
    int status = 0;
    if (!kestrine_test::WaitUntil([&] { return waitpid(mPid, &status, WNOHANG) == mPid; }, 20)) return -2;
    mExited = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Out() const { return Slurp(mOut); }
  std::string Err() const { return Slurp(mErr); }
  bool Started() const { return mPid > 0 && mDisplay; }

private:
  std::string mOut = TempPath("aaxhost-edit-out.txt");
  std::string mErr = TempPath("aaxhost-edit-err.txt");
  pid_t mPid = 0;
  bool mExited = false;
  Display* mDisplay = nullptr;
  int mTime = 0;
};
} // namespace

TEST(AAXHostEditorVerbs, EditPrintsTheEditorsChangesAndEndsWhenTheWindowCloses)
{
  REQUIRE_MODULE();
  EditProcess edit(ModulePath());
  ASSERT_TRUE(edit.Started());
  const Window host = edit.FindHostWindow("Kestrine");
  ASSERT_NE(host, 0u) << edit.Err();
  const Window editor = edit.EditorOf(host);
  ASSERT_TRUE(kestrine_test::WaitUntil([&] { return edit.EditorShowsPicture(editor); }, 20))
      << "the editor drew no frame\n"
      << edit.Err();
  // Drive dragged up by 48 units: 0 dB to 4 dB.
  edit.Send(editor, ButtonPress, 80, 111);
  edit.Send(editor, MotionNotify, 80, 63);
  edit.Send(editor, ButtonRelease, 80, 63);
  kestrine_test::WaitUntil([&] { return edit.Out().find("Drive 0.350000 4.0") != std::string::npos; }, 20);
  edit.Close(host);
  EXPECT_EQ(edit.Wait(), 0) << edit.Err();
  EXPECT_NE(edit.Out().find("Drive 0.350000 4.0"), std::string::npos) << edit.Out();
}

TEST(AAXHostEditorVerbs, EditEndsCleanlyOnInterrupt)
{
  REQUIRE_MODULE();
  EditProcess edit(ModulePath());
  ASSERT_TRUE(edit.Started());
  ASSERT_NE(edit.FindHostWindow("Kestrine"), 0u) << edit.Err();
  edit.Interrupt();
  EXPECT_EQ(edit.Wait(), 0) << edit.Err();
}

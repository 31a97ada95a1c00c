// The editor verbs: edit (the editor in a window on the person's display,
// with audio playing through the instance) and snapshot (the same, headless
// if need be, captured to a PNG file).
#include "AAXHostCommands.h"
#include "AAXHostEdit.h"
#include "AAXHostPlayer.h"
#include "AAXHostWav.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <thread>

namespace aaxhost
{

namespace
{
// The editor's draw-scale range (its corner drag clamps to it).
constexpr double kMinScale = 0.67;
constexpr double kMaxScale = 1.5;
// What snapshot plays through the editor before it takes the picture: 0.4 s
// at 48000 Hz in the player's blocks of 256 frames.
constexpr int64_t kSnapshotBlocks = 75;

std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int)
{
  gInterrupted = true;
}

// SIGINT ends the loop instead of the process, for the lifetime of the object.
class InterruptGuard
{
public:
  InterruptGuard()
  {
    gInterrupted = false;
    mPrevious = std::signal(SIGINT, OnInterrupt);
  }
  ~InterruptGuard() { std::signal(SIGINT, mPrevious); }

private:
  void (*mPrevious)(int) = nullptr;
};

int BadInput(const std::string& what)
{
  std::fprintf(stderr, "aaxhost: %s\n", what.c_str());
  return kExitBadInput;
}

struct Setting
{
  std::string name;
  std::string value;
};

bool ParseSetting(const std::string& v, Setting& s)
{
  const size_t eq = v.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  s = {v.substr(0, eq), v.substr(eq + 1)};
  return true;
}
} // namespace

// ---------------------------------------------------------------------------
// LiveEditor

LiveEditor::~LiveEditor()
{
  Close();
}

bool LiveEditor::Open(const LiveEditorOptions& options, std::string& error)
{
  if (!HostWindow::DisplayAvailable(error)) return false;
  mSession = Session::Open(options.modulePath, error, stderr);
  if (!mSession) return false;
  AudioBuffer in;
  double rate = 48000.;
  if (!options.audioPath.empty())
  {
    if (!ReadAudioFile(options.audioPath, in, rate, error)) return false;
    if (in.size() != 1 && in.size() != 2)
    {
      error = options.audioPath + ": " + std::to_string(in.size()) +
              " channels; only mono and stereo are supported";
      return false;
    }
    if (Frames(in) == 0)
    {
      error = options.audioPath + ": no audio in the file";
      return false;
    }
  }
  else if (options.silence)
    in.assign(2, std::vector<float>(static_cast<size_t>(rate), 0.f));
  else
    in = MakeDemoSignal(rate, 6.);
  mInstance = mSession->CreateInstance(static_cast<int>(in.size()), rate, error);
  if (!mInstance) return false;
  for (const auto& p : mInstance->Parameters()) mNames[p.id] = p.name;
  for (const auto& s : options.settings)
  {
    std::string id, why;
    if (!mInstance->FindParameter(s.first, id))
    {
      error = "unknown parameter \"" + s.first + "\"";
      return false;
    }
    if (!mInstance->SetParameterFromText(id, s.second, why))
    {
      error = "bad value \"" + s.second + "\" for " + s.first + ": " + why;
      return false;
    }
  }
  if (options.onChange)
  {
    auto onChange = options.onChange;
    mInstance->SetAutomationListener([this, onChange](const std::string& id, double value)
                                     { onChange(mNames[id], value, mInstance->ValueText(id, value)); });
  }

  mEditor = Editor::Create(*mInstance, error);
  if (!mEditor) return false;
  int w = 0, h = 0;
  if (!mEditor->ViewSize(w, h))
  {
    error = "the editor reports no size";
    return false;
  }
  mBaseWidth = w;
  mBaseHeight = h;
  const auto& names = mInstance->EffectDescription().names;
  mWindow = HostWindow::Create(w, h, names.empty() ? "aaxhost" : names.front(), error);
  if (!mWindow) return false;
  if (!mEditor->Attach(*mWindow, error)) return false;
  if (!mWindow->EditorWindow())
  {
    error = "the editor opened no window inside the host's";
    return false;
  }
  mPlayer.reset(new Player(*mInstance, std::move(in)));
  mPlayer->Start();
  return true;
}

ACFRESULT LiveEditor::Close()
{
  // Audio first, so that nothing renders while the editor goes; then the
  // editor before the window it lives in.
  if (mPlayer) mPlayer->Stop();
  mPlayer.reset();
  mEditor.reset();
  mWindow.reset();
  mInstance.reset();
  ACFRESULT canUnload = 0;
  if (mSession)
  {
    mSession->ReleaseDescriptionObjects();
    canUnload = mSession->CanUnloadNow();
  }
  mSession.reset();
  return canUnload;
}

bool LiveEditor::Step()
{
  using Clock = std::chrono::steady_clock;
  const auto now = Clock::now();
  if (!mWindow->HandleEvents()) return false;
  // The editor's clock every 5 ms (it draws at up to 60 frames a second);
  // the instance's own user-interface work every 20 ms.
  if (now - mLastEditorPump >= std::chrono::milliseconds(5))
  {
    mLastEditorPump = now;
    mEditor->Pump();
  }
  if (now - mLastInstancePump >= std::chrono::milliseconds(20))
  {
    mLastInstancePump = now;
    mInstance->PumpUserInterface();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return true;
}

bool LiveEditor::RunUntil(const std::function<bool()>& done, double seconds)
{
  using Clock = std::chrono::steady_clock;
  const auto end =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  while (!done())
    if (Clock::now() >= end || !Step()) return false;
  return true;
}

bool LiveEditor::ShowsPicture()
{
  Picture picture;
  std::string error;
  if (!mWindow->CaptureEditor(picture, error) || picture.rgba.size() < 4) return false;
  const uint8_t* first = picture.rgba.data();
  for (size_t i = 4; i < picture.rgba.size(); i += 4)
    if (std::memcmp(first, picture.rgba.data() + i, 3) != 0) return true;
  return false;
}

bool LiveEditor::ShowsOtherThan(const Picture& earlier)
{
  Picture now;
  std::string error;
  if (!mWindow->CaptureEditor(now, error)) return false;
  const int w = std::min(now.width, earlier.width), h = std::min(now.height, earlier.height);
  // Whether the rows they share hold the same pixels, with the pictures'
  // tops or their bottoms in line.
  auto same = [&](bool bottoms)
  {
    const int nowFirst = bottoms ? std::max(0, now.height - earlier.height) : 0;
    const int earlierFirst = bottoms ? std::max(0, earlier.height - now.height) : 0;
    for (int y = 0; y < h; ++y)
      if (std::memcmp(
              &now.rgba[static_cast<size_t>(nowFirst + y) * static_cast<size_t>(now.width) * 4],
              &earlier.rgba[static_cast<size_t>(earlierFirst + y) * static_cast<size_t>(earlier.width) * 4],
              static_cast<size_t>(w) * 4) != 0)
        return false;
    return true;
  };
  return !same(false) && !same(true);
}

bool LiveEditor::DragToScale(double scale, std::string& error)
{
  int w = 0, h = 0;
  if (!mWindow->EditorSize(w, h) || mBaseWidth <= 0)
  {
    error = "the editor has no window to resize";
    return false;
  }
  const double current = static_cast<double>(w) / static_cast<double>(mBaseWidth);
  // The corner handle covers the last 15 x 15 pixels; grab it in its middle.
  const int startX = w - 7, startY = h - 7;
  // In scale mode the new scale is the current one times the smaller of the
  // two ratios of the drag point to the press point. Whole pixels round both
  // up, so the scale comes out at most one pixel in the press point's
  // distance from the top-left corner (about 1/240) above the one asked for.
  double ratio = scale / current;
  // At either end of the range a drag past it gives the end itself.
  if (scale <= kMinScale + 1e-9) ratio *= 0.95;
  if (scale >= kMaxScale - 1e-9) ratio *= 1.05;
  const int toX = static_cast<int>(std::ceil(startX * ratio - 1e-9));
  const int toY = static_cast<int>(std::ceil(startY * ratio - 1e-9));
  const int requests = mEditor->Container()->NumSizeRequests();
  const bool changes = std::fabs(scale - current) > 1e-6;
  // Whether the editor has asked for its new size and its window has taken it.
  auto resized = [&]
  {
    int ew = 0, eh = 0;
    return mEditor->Container()->NumSizeRequests() != requests && mWindow->EditorSize(ew, eh) &&
           ew == mWindow->Width() && eh == mWindow->Height();
  };
  // The editor resizes while the drag moves and draws at the new scale on
  // the release, which goes only once the window has its new size and the
  // loop has handled what the resize brought (under Wine the OpenGL
  // drawable follows the window through messages of its own).
  bool ok = mWindow->SendMouse(EMouse::eMove, startX, startY) &&
            mWindow->SendMouse(EMouse::eLeftDown, startX, startY) &&
            mWindow->SendMouse(EMouse::eMove, toX, toY);
  if (ok && changes && !(RunUntil(resized) && Step()))
  {
    error = "the editor did not resize after a drag of its corner";
    return false;
  }
  if (!ok || !mWindow->SendMouse(EMouse::eLeftUp, toX, toY))
  {
    error = "cannot send the drag to the editor window";
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// The verbs

int RunEdit(const std::vector<std::string>& args)
{
  LiveEditorOptions options;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i)
  {
    if (args[i] == "--set")
    {
      Setting s;
      if (i + 1 >= args.size() || !ParseSetting(args[++i], s)) return BadInput("--set needs NAME=VALUE");
      options.settings.emplace_back(s.name, s.value);
    }
    else if (args[i].size() > 1 && args[i][0] == '-' && args[i][1] == '-')
      return BadInput("unknown option " + args[i]);
    else
      positional.push_back(args[i]);
  }
  if (positional.empty() || positional.size() > 2) return BadInput("edit needs MODULE [IN.wav]");
  options.modulePath = positional[0];
  if (positional.size() == 2) options.audioPath = positional[1];
  options.onChange = [](const std::string& name, double value, const std::string& text)
  {
    std::printf("%s %.6f %s\n", name.c_str(), value, text.c_str());
    std::fflush(stdout);
  };

  InterruptGuard interrupt;
  std::string error;
  LiveEditor live;
  if (!live.Open(options, error)) return BadInput(error);
  std::fprintf(stderr, "aaxhost: the editor is open; close its window or press Ctrl-C to end\n");
  while (!gInterrupted && live.Step())
  {
  }
  live.Close();
  return FinishStandardOutput();
}

int RunSnapshot(const std::vector<std::string>& args)
{
  LiveEditorOptions options;
  std::vector<std::string> positional;
  double scale = 1.;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    if (a == "--set")
    {
      Setting s;
      if (i + 1 >= args.size() || !ParseSetting(args[++i], s)) return BadInput("--set needs NAME=VALUE");
      options.settings.emplace_back(s.name, s.value);
    }
    else if (a == "--scale")
    {
      if (i + 1 >= args.size() || !ParseValueText(args[++i], "", scale) || scale < kMinScale ||
          scale > kMaxScale)
        return BadInput("--scale needs a number from 0.67 to 1.5");
    }
    else if (a == "--audio")
    {
      if (i + 1 >= args.size()) return BadInput("--audio needs a WAV file");
      options.audioPath = args[++i];
    }
    else if (a == "--silence")
      options.silence = true;
    else if (a.size() > 1 && a[0] == '-' && a[1] == '-')
      return BadInput("unknown option " + a);
    else
      positional.push_back(a);
  }
  if (positional.size() != 2) return BadInput("snapshot needs MODULE OUT.png");
  options.modulePath = positional[0];
  const std::string outPath = positional[1];

  std::string error;
  auto display = PrivateDisplay::StartIfNeeded(error);
  if (!display) return BadInput(error);
  Picture picture;
  {
    LiveEditor live;
    if (!live.Open(options, error)) return BadInput(error);
    // The same amount of audio through the meters in every run, however
    // fast the machine is, then the editor's picture drawn after it.
    Player& player = live.GetPlayer();
    if (!live.RunUntil([&] { return player.Blocks() >= kSnapshotBlocks; }))
      return BadInput("the audio did not play while the editor was open");
    if (!live.RunUntil([&] { return live.ShowsPicture(); })) return BadInput("the editor drew no picture");
    if (std::fabs(scale - 1.) > 1e-9)
    {
      Picture before;
      if (!live.Window().CaptureEditor(before, error)) return BadInput(error);
      if (!live.DragToScale(scale, error)) return BadInput(error);
      if (!live.RunUntil([&] { return live.ShowsOtherThan(before) && live.ShowsPicture(); }))
        return BadInput("the editor drew no picture at its new size");
    }
    if (!live.Window().CaptureEditor(picture, error)) return BadInput(error);
  }
  std::vector<uint8_t> png;
  if (!EncodePng(picture, png)) return BadInput("cannot encode the picture");
  std::ofstream f(outPath, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  f.close();
  if (!f) return BadInput("cannot write " + outPath);
  std::printf("%s: %d x %d pixels\n", outPath.c_str(), picture.width, picture.height);
  return FinishStandardOutput();
}

} // namespace aaxhost

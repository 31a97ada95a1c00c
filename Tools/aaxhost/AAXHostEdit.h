// What the editor verbs share, and the tests drive: one instance with its
// editor open in a host window, audio playing through it, and the host's
// user-interface loop (window events, the editor's clock, the instance's own
// user-interface work). User-interface thread only.
#pragma once

#include "AAXHostEditor.h"
#include "AAXHostSession.h"
#include "AAXHostWindow.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace aaxhost
{

class Player;

struct LiveEditorOptions
{
  std::string modulePath;
  // A WAV file played in a loop; empty: the demo signal.
  std::string audioPath;
  // Plays silence instead (the meters stay at rest): pictures to compare
  // with stored ones, also from a build that reads no audio files.
  bool silence = false;
  // NAME, VALUE pairs as --set takes them, applied before the editor opens.
  std::vector<std::pair<std::string, std::string>> settings;
  // Every parameter change the editor sends (answered by the automation):
  // the parameter's name, the normalised value and the module's text for it.
  std::function<void(const std::string& name, double value, const std::string& text)> onChange;
};

class LiveEditor
{
public:
  // How long the host waits for something the editor or the player does
  // before it gives up (seconds): far more than either needs, even on a
  // loaded machine.
  static constexpr double kWaitSeconds = 60.;

  LiveEditor() = default;
  ~LiveEditor();
  LiveEditor(const LiveEditor&) = delete;
  LiveEditor& operator=(const LiveEditor&) = delete;

  // Loads the module, makes a stereo (or the file's width) instance at the
  // file's rate (48000 Hz for the demo signal), applies the settings, opens
  // the editor in a new host window of the editor's size and starts the
  // audio. false with error (one line) on failure.
  bool Open(const LiveEditorOptions& options, std::string& error);
  // Stops the audio, closes the editor and the window, releases the instance
  // and unloads the module. Answers what ACFCanUnloadNow said just before
  // the module went (0: none of its objects was left), 0 when nothing was open.
  ACFRESULT Close();
  // One turn of the host's loop (a few milliseconds); false once the window
  // has been closed.
  bool Step();
  // Turns the loop until done holds (asked before every turn); false if the
  // window was closed or seconds of wall time passed first. The bound is a
  // deadline for a stalled editor or player, never a wait in itself.
  bool RunUntil(const std::function<bool()>& done, double seconds = kWaitSeconds);
  // Whether the editor's window shows a picture the editor drew: until its
  // first frame the window is one plain colour (its parent's background).
  bool ShowsPicture();
  // Whether the editor's window shows, in the part it shares with earlier,
  // something other than earlier shows: a frame drawn since earlier was
  // taken, also where the window has changed size in between and still
  // shows the old frame, cut or surrounded, at its top-left corner (as X11
  // keeps a window's pixels) or its bottom-left one (as an OpenGL drawable
  // read back under Wine keeps them).
  bool ShowsOtherThan(const Picture& earlier);
  // Drags the editor's corner handle, as a person would, so that its draw
  // scale becomes scale; waits until the editor has asked for its new size.
  bool DragToScale(double scale, std::string& error);

  Session& GetSession() { return *mSession; }
  Instance& GetInstance() { return *mInstance; }
  Editor& GetEditor() { return *mEditor; }
  HostWindow& Window() { return *mWindow; }
  Player& GetPlayer() { return *mPlayer; }
  // The editor's size at draw scale 1, as it first reported it.
  int BaseWidth() const { return mBaseWidth; }
  int BaseHeight() const { return mBaseHeight; }

private:
  std::unique_ptr<Session> mSession;
  std::unique_ptr<Instance> mInstance;
  std::unique_ptr<Editor> mEditor;
  std::unique_ptr<HostWindow> mWindow;
  std::unique_ptr<Player> mPlayer;
  std::map<std::string, std::string> mNames; // parameter identifier to name
  int mBaseWidth = 0;
  int mBaseHeight = 0;
  std::chrono::steady_clock::time_point mLastEditorPump{};
  std::chrono::steady_clock::time_point mLastInstancePump{};
};

} // namespace aaxhost

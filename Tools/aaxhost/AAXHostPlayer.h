// Plays a buffer through an instance in a loop on a thread of its own, as a
// host's transport does while the person looks at the editor: one block at a
// time, at the sample rate's pace (or as fast as it goes, for tests). The
// user-interface thread keeps pumping the instance meanwhile
// (Instance::PumpUserInterface); the player never does.
#pragma once

#include "AAXHostAudio.h"

#include <atomic>
#include <thread>

namespace aaxhost
{

class Player
{
public:
  // in must have the instance's input width and at least one frame.
  Player(Instance& instance, AudioBuffer in, int blockSize = 256, bool realTime = true);
  // Stops.
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  void Start();
  void Stop();
  // Blocks rendered so far (any thread).
  int64_t Blocks() const { return mBlocks.load(); }
  // True while every output sample so far was finite.
  bool AllFinite() const { return mFinite.load(); }

private:
  void Run();
  Instance& mInstance;
  AudioBuffer mIn;
  int mBlockSize;
  bool mRealTime;
  std::thread mThread;
  std::atomic<bool> mStop{false};
  std::atomic<int64_t> mBlocks{0};
  std::atomic<bool> mFinite{true};
};

} // namespace aaxhost

#include "AAXHostPlayer.h"

#include <chrono>
#include <cmath>

namespace aaxhost
{

Player::Player(Instance& instance, AudioBuffer in, int blockSize, bool realTime)
    : mInstance(instance), mIn(std::move(in)), mBlockSize(blockSize), mRealTime(realTime)
{
}

Player::~Player()
{
  Stop();
}

void Player::Start()
{
  if (mThread.joinable() || Frames(mIn) == 0) return;
  mStop = false;
  mInstance.SetPumpWhileRendering(false);
  mThread = std::thread([this] { Run(); });
}

void Player::Stop()
{
  mStop = true;
  if (!mThread.joinable()) return;
  mThread.join();
  // Render calls from the user-interface thread pump it again.
  mInstance.SetPumpWhileRendering(true);
}

void Player::Run()
{
  const int inChannels = mInstance.InputChannels();
  const int outChannels = mInstance.OutputChannels();
  const size_t frames = Frames(mIn);
  const size_t n = static_cast<size_t>(mBlockSize);
  AudioBuffer block = MakeBuffer(inChannels, n);
  AudioBuffer out = MakeBuffer(outChannels, n);
  std::vector<const float*> inPtrs;
  std::vector<float*> outPtrs;
  for (auto& c : block) inPtrs.push_back(c.data());
  for (auto& c : out) outPtrs.push_back(c.data());

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const double rate = mInstance.SampleRate();
  size_t position = 0;
  int64_t rendered = 0; // frames
  while (!mStop)
  {
    if (mRealTime)
    {
      // Render what the clock asks for; after a long pause (a suspended
      // process) start again from now rather than rush to catch up.
      const double due = std::chrono::duration<double>(Clock::now() - start).count() * rate;
      if (static_cast<double>(rendered) > due)
      {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      if (due - static_cast<double>(rendered) > rate * 0.25) rendered = static_cast<int64_t>(due);
    }
    // The next block of the input, from its start again at its end.
    for (size_t i = 0; i < n; ++i)
    {
      for (int c = 0; c < inChannels; ++c)
        block[static_cast<size_t>(c)][i] = mIn[static_cast<size_t>(c) % mIn.size()][position];
      position = (position + 1) % frames;
    }
    mInstance.Process(inPtrs.data(), outPtrs.data(), mBlockSize);
    for (const auto& c : out)
      for (float v : c)
        if (!std::isfinite(v)) mFinite = false;
    rendered += mBlockSize;
    mBlocks.fetch_add(1);
  }
}

} // namespace aaxhost

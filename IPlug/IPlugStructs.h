// Records of the processing frame: channel slots, I/O layouts, the
// pass-through latency delay and the transport. The sample type at the
// frame boundary is double.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace iplug
{

enum ERoute
{
  kInput = 0,
  kOutput = 1
};

// A bus written "*" in the channel I/O text accepts any number of channels.
constexpr int kAnyChannels = -64;

struct ChannelSlot
{
  bool mConnected = false;
  double** mEntry = nullptr;    // this channel's entry in its direction's pointer array
  float* mHostBuffer = nullptr; // outputs: where RunBlock writes this block's result
  std::vector<double> mScratch; // private buffer, block size doubles
  std::string mLabel;
};

struct BusSpec
{
  int mDirection = kInput;
  int mNumChannels = 0; // kAnyChannels for "*"
};

struct IOLayout
{
  std::vector<std::unique_ptr<BusSpec>> mBuses[2]; // [kInput], [kOutput]

  int NumBuses(int direction) const { return static_cast<int>(mBuses[direction].size()); }
  // Channel count of one bus, or 0 when the layout has no such bus.
  int BusChannels(int direction, int busIdx) const
  {
    return busIdx >= 0 && busIdx < NumBuses(direction) ? mBuses[direction][busIdx]->mNumChannels : 0;
  }
  int TotalChannels(int direction) const
  {
    int total = 0;
    for (auto& bus : mBuses[direction]) total += bus->mNumChannels;
    return total;
  }
};

struct TransportInfo
{
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// The ring that delays bypassed audio by the reported latency. Channel j's
// ring occupies [j * mLength, (j + 1) * mLength) of mBuffer.
struct LatencyDelay
{
  LatencyDelay(int nInChans, int nOutChans) : mNInChans(nInChans), mNOutChans(nOutChans) {}

  std::vector<double> mBuffer;
  int mNInChans;
  int mNOutChans;
  int mWritePos = 0;
  int mLength = 0;
};

} // namespace iplug

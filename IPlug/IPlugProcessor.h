// The audio-side base of every plug-in: accepted channel layouts, channel
// slots with private double buffers, block processing entry points, latency,
// sample rate and transport.
//
// Threads: the binding calls the per-block operations (SetChannelsConnected,
// AttachHostBuffers, RunBlock, PassThrough) on the host's audio thread; it
// sets the sample rate, block size and calls OnReset from initialisation on a
// non-real-time thread while no block runs. The frame takes no locks and,
// outside SetBlockSize and SetLatency, allocates nothing.
#pragma once

#include "IPlugMidi.h"
#include "IPlugPluginConfig.h"
#include "IPlugStructs.h"

#include <memory>
#include <string>
#include <vector>

namespace iplug
{

class IPlugProcessor
{
public:
  explicit IPlugProcessor(const PluginConfig& config);
  virtual ~IPlugProcessor();

  IPlugProcessor(const IPlugProcessor&) = delete;
  IPlugProcessor& operator=(const IPlugProcessor&) = delete;

  // Hooks a plug-in overrides.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  virtual void ProcessMidiMessage(const MidiMessage& msg);
  virtual void ProcessSysExMessage(const SysExRecord& msg);
  virtual void OnReset() {}
  virtual void OnActivate(bool active);
  virtual bool SendMidiMessage(const MidiMessage& msg) = 0;
  virtual bool SendMidiMessages(const MidiMessage* msgs, int n);
  virtual bool SendSysExMessage(const SysExRecord& msg);
  virtual void BusName(int direction, int busIdx, int nBuses, std::string& name) const;
  // Audio or initialisation thread. Resizes the latency delay, if one exists.
  virtual void SetLatency(int samples);

  // --- Queries
  int GetLatency() const { return mLatency; }
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  int GetPlugType() const { return mPlugType; }
  bool DoesMIDIIn() const { return mDoesMIDIIn; }
  bool DoesMIDIOut() const { return mDoesMIDIOut; }
  bool DoesMPE() const { return mDoesMPE; }
  bool IsInstrument() const { return mPlugType == kPlugTypeInstrument; }
  bool IsMidiEffect() const { return mPlugType == kPlugTypeMIDIEffect; }
  const TransportInfo& GetTransportInfo() const { return mTransportInfo; }
  double GetTempo() const { return mTransportInfo.mTempo; }
  // sample rate * 60 / tempo, or 0 when the tempo is not positive
  double GetSamplesPerBeat() const;

  int NIOConfigs() const { return static_cast<int>(mIOConfigs.size()); }
  const IOLayout* GetIOConfig(int idx) const;
  int MaxNChannels(int direction) const { return static_cast<int>(mChannelData[direction].size()); }
  int MaxNBuses(int direction, int* pLayoutIdx = nullptr) const;
  int MaxNChannelsForBus(int direction, int busIdx) const;
  int NChannelsConnected(int direction) const;
  bool IsChannelConnected(int direction, int chIdx) const;
  const ChannelSlot* GetChannelSlot(int direction, int chIdx) const;
  bool LegalIO(int nIn, int nOut) const;
  // Index of the first layout with exactly these bus channel counts, or -1.
  int FindIOLayout(const std::vector<int>& inBusChans, const std::vector<int>& outBusChans) const;
  bool HasMultipleOutputBuses() const { return MaxNBuses(kOutput) > 1; }
  // "aumu", "aumi", "aufx" or "aumf" as a four-character code.
  int32_t ComponentTypeCode() const;

  // --- Calls the binding makes
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
  void SetTransportInfo(const TransportInfo& info) { mTransportInfo = info; }
  void SetBlockSize(int nFrames);
  void SetChannelsConnected(int direction, int idx, int n, bool connected);
  void AttachHostBuffers(int direction, int idx, int n, float** buffers, int nFrames);
  void RunBlock(int nFrames);
  void PassThrough(int nFrames);
  void ClearScratch();
  void LimitToStereo();
  void SetChannelLabel(int direction, int idx, const char* format, bool zeroBased = false);
  // Creates (or replaces) the delay PassThrough uses while the latency is non-zero.
  void CreateLatencyDelay(int nInChans, int nOutChans);
  const LatencyDelay* GetLatencyDelay() const { return mLatencyDelay.get(); }
  // Reserves latency delay storage for latencies up to maxSamples, so that a
  // later SetLatency within it (for example on the audio thread) does not
  // allocate. Initialisation or reset only; allocates.
  void ReserveLatency(int maxSamples);

  // Parses a channel I/O text ("1-1 2-2") into layouts and the four totals.
  // Returns the number of layouts.
  static int ParseChannelIOStr(const char* str, std::vector<std::unique_ptr<IOLayout>>& layouts,
                               int& totalNInChans, int& totalNOutChans, int& totalNInBuses,
                               int& totalNOutBuses);

private:
  // Frames clamped to what the private buffers hold, so a caller that skipped
  // SetBlockSize can never make the frame read or write past them.
  int ClampFrames(int nFrames) const;
  void WriteOutputsToHost(int nFrames);

  int mPlugType;
  bool mDoesMIDIIn;
  bool mDoesMIDIOut;
  bool mDoesMPE;
  int mLatency;
  double mSampleRate = 48000.0;
  int mBlockSize = 0;
  bool mRenderingOffline = false;
  std::vector<std::unique_ptr<IOLayout>> mIOConfigs;
  std::vector<double*> mChannelPointers[2];
  std::vector<std::unique_ptr<ChannelSlot>> mChannelData[2];
  std::unique_ptr<LatencyDelay> mLatencyDelay;
  TransportInfo mTransportInfo;
};

} // namespace iplug

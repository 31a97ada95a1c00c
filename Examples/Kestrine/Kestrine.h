// The Kestrine effect: a saturator with pre-/de-emphasis shelves around a 4x
// oversampled soft clipper, and an exciter mode that adds high-passed
// distortion to the dry signal.
//
// Threads:
// - ProcessBlock runs on the host's audio thread; it never allocates, locks or
//   does I/O.
// - OnParamChange runs on whichever thread changed the parameter (host or
//   editor). It writes the mirrors (relaxed atomics) and publishes redesigned
//   exciter high-pass coefficients through a mailbox the audio thread takes at
//   block start.
// - OnReset / OnActivate run while no block runs (initialisation) or on the
//   audio thread when the binding grows the block size; they allocate.
#pragma once

#include "IPlugAAX.h"

#include "KestrineDelayLine.h"
#include "KestrineFilters.h"
#include "KestrineMailbox.h"
#include "KestrineSaturator.h"

#include <atomic>
#include <cstdint>
#include <memory>

constexpr int kNumPresets = 15;

enum EParams
{
  kBypass = 0,
  kDrive,
  kLowTrim,
  kHighTrim,
  kIOTrim,
  kLowEQ,
  kHighEQ,
  kMode,
  kHPF,
  kMix,
  kSolo,
  kNumParams
};

enum EModes
{
  kModeSaturator = 0,
  kModeExciter = 1
};

class Kestrine : public iplug::IPlugAAX
{
public:
  explicit Kestrine(const iplug::InstanceInfo& info);
  ~Kestrine() override;

  static iplug::PluginConfig MakeConfig();

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void OnReset() override;
  void OnActivate(bool active) override;
  void OnParamChange(int paramIdx) override;

  // Gain-reduction meters (1 = no reduction; the right one is 0 in mono).
  // Written per sample by the audio thread, read by the editor's idle update.
  float GetMeter(int channel) const { return mMeter[channel & 1].load(std::memory_order_relaxed); }
  // True once per block processed since the last call (idle update thread).
  bool TakeMeterDirty() { return mMeterDirty.exchange(false, std::memory_order_relaxed); }

  // Latency in samples of the 4x arrangement alone, and of the whole effect in
  // the current mode (adds the exciter output filter's half length).
  int OversamplerLatency() const;
  int FullLatency() const;

private:
  float SampleRate() const { return mSampleRate.load(std::memory_order_relaxed); }
  void DesignShelves();
  void DesignHighPassNow();
  void SizeForSampleRate(); // reset and activation steps shared by both
  void ReserveLongestLatency();
  // Sets the bypass delay to the current mode's latency and reports it.
  void ApplyLatency();
  // Reset and activation steps shared by both: delays, meters, shelves, high-pass.
  void ResetDelaysMetersAndFilters();
  // Clears every filter, resampler and delay whose state is no longer finite
  // (audio thread, at the fixed check points of ProcessFrames).
  void RecoverNonFiniteState();

  template <bool kStereo>
  void ProcessFrames(const double* inL, const double* inR, double* outL, double* outR, int nFrames);

  // --- Parameter mirrors (written by OnParamChange, read by the audio thread)
  std::atomic<uint8_t> mBypass{0};
  std::atomic<uint8_t> mMode{kModeSaturator};
  std::atomic<uint8_t> mSolo{0};
  std::atomic<float> mDriveDb{0.f};
  std::atomic<float> mIOTrimDb{0.f};
  std::atomic<float> mLowTrimDb{0.f};
  std::atomic<float> mHighTrimDb{0.f};
  std::atomic<float> mLowEQHz{150.f};
  std::atomic<float> mHighEQHz{1500.f};
  std::atomic<float> mMixDb{0.f};
  std::atomic<float> mHPFHz{3000.f};
  std::atomic<float> mDriveTarget{1.f};
  std::atomic<float> mOutputGain{1.f};
  std::atomic<float> mMixGain{1.f};

  // --- Processing state
  std::atomic<float> mSampleRate{44100.f};
  float mDriveGain = 1.f; // smoothed drive gain, audio thread
  float mMeterDecay = 1.f;
  std::atomic<float> mMeter[2] = {1.f, 1.f};
  std::atomic<bool> mMeterDirty{false};
  std::atomic<bool> mLatencyUpdate{true};
  int mRecoveryPhase = 0;  // frames since the last non-finite check, audio thread
  bool mNonFinite = false; // a non-finite value was seen since that check

  // Exciter high-pass coefficients designed on the parameter thread.
  KestrineMailbox<BiquadCoefficients> mHighPassMailbox;

  // --- Processing objects, created in this order by the constructor
  std::unique_ptr<DelayLine> mBypassDelay;
  std::unique_ptr<HalfBandResampler> mStage1;
  std::unique_ptr<HalfBandResampler> mStage2;
  std::unique_ptr<ShelfFilter> mLowPre;
  std::unique_ptr<ShelfFilter> mLowDe;
  std::unique_ptr<ShelfFilter> mHighPre;
  std::unique_ptr<ShelfFilter> mHighDe;
  std::unique_ptr<HighPassFilter> mHighPass;
  std::unique_ptr<DelayLine> mDryDelay;
  std::unique_ptr<LowPassFIR> mOutputFIR;
  std::unique_ptr<DelayLine> mCleanDelay;
};

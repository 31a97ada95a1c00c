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
#include "KestrineVector.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

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

// The implementations of ProcessBlock. They give the same samples to the last
// bit; the plain one is the per-sample reference, the others run the FIR
// stages block by block on vectors (KestrineVector.h).
enum EProcessingPath
{
  kPathPlain = 0,
  kPathSSE2,
  kPathAVX2
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

  // --- The editor (KestrineEditor.cpp; user-interface thread)
  // The platform's graphics context for the editor: 580 x 250 at 60 frames
  // per second and scale 1, with the module's instance handle.
  iplug::igraphics::IGraphics* MakeEditorGraphics();
  // Fills a new context: background, font, corner handle, the thirteen
  // controls, scale limits and hover.
  void LayoutEditor(iplug::igraphics::IGraphics* g);
  // Dims the exciter's controls (Mix, HPF, Solo) in saturator mode.
  void OnParamChangeUI(int paramIdx, int source) override;
  // Moves new meter levels into the two meter controls.
  void OnIdle() override;
  bool EditorBuilt() const { return mEditorBuilt; }

  // Gain-reduction meters (1 = no reduction; the right one is 0 in mono).
  // Written per sample by the audio thread, read by the editor's idle update.
  float GetMeter(int channel) const { return mMeter[channel & 1].load(std::memory_order_relaxed); }
  // True once per block processed since the last call (idle update thread).
  bool TakeMeterDirty() { return mMeterDirty.exchange(false, std::memory_order_relaxed); }

  // Latency in samples of the 4x arrangement alone, and of the whole effect in
  // the current mode (adds the exciter output filter's half length).
  int OversamplerLatency() const;
  int FullLatency() const;

  // Chooses the implementation ProcessBlock runs (for tests and benchmarks;
  // the default is the fastest this CPU runs). Any thread; takes effect at the
  // next block. Returns false and changes nothing for a path this CPU cannot
  // run.
  bool SetProcessingPath(EProcessingPath path);
  EProcessingPath GetProcessingPath() const
  {
    return static_cast<EProcessingPath>(mPath.load(std::memory_order_relaxed));
  }
  static bool IsProcessingPathAvailable(EProcessingPath path);

private:
  // Installs MakeEditorGraphics and LayoutEditor with the editor delegate.
  void InstallEditor();

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
  // (audio thread, at the fixed check points of both paths: every
  // kVectorChunkFrames frames since the reset or activation).
  void RecoverNonFiniteState();

  // Sizes the vector path's scratch for the current filter lengths (allocates;
  // construction and reset only).
  void SizeVectorScratch();

  template <bool kStereo>
  void ProcessFrames(const double* inL, const double* inR, double* outL, double* outR, int nFrames);

  // The vector path: the same chain in sub-blocks of at most
  // kVectorChunkFrames, each run stage by stage, with the plain path's
  // non-finite recovery at the sub-block boundaries.
  template <bool kStereo>
  void ProcessFramesStaged(const double* inL, const double* inR, double* outL, double* outR, int nFrames,
                           const VectorKernels& kernels);
  template <bool kStereo>
  bool ProcessSubBlockStaged(const double* inL, const double* inR, double* outL, double* outR, int nFrames,
                             const VectorKernels& kernels);

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
  // Set once the editor has been laid out; stays set after it closes.
  bool mEditorBuilt = false;

  // Implementation ProcessBlock runs (an EProcessingPath).
  std::atomic<int> mPath{kPathPlain};
  // Frames processed since the last reset or activation, modulo
  // kVectorChunkFrames: the vector path's sub-blocks end, and both paths look
  // for non-finite state, where this count reaches a multiple of the
  // sub-block size, whatever the host's block sizes (audio thread).
  int mSubBlockPhase = 0;
  // A non-finite value was seen since the last check point (audio thread).
  bool mNonFinite = false;

  // The vector path's per-sub-block signals (audio thread), one entry per
  // frame: input conversion to the clipper and back, then to the output.
  struct StagedSignals
  {
    float input[2][kVectorChunkFrames];
    float emphasised[2][kVectorChunkFrames]; // drive-scaled, pre-emphasised
    float saturated[2][kVectorChunkFrames];
    float reduction[2][kVectorChunkFrames];
    float dry[2][kVectorChunkFrames];
    float bypass[2][kVectorChunkFrames];
    float clean[2][kVectorChunkFrames];
    float compensation[kVectorChunkFrames];
    float exciter[2][kVectorChunkFrames]; // output FIR input
    float result[2][kVectorChunkFrames];  // before the output gain
  };
  std::unique_ptr<StagedSignals> mStaged;
  // Scratch of the vector routines, sized at construction and reset.
  std::vector<float> mVectorScratch;

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

#include "Kestrine.h"

#include "KestrinePackedBiquad.h"

#include <emmintrin.h>
#include <xmmintrin.h>

#include <cmath>
#include <limits>

using namespace iplug;

namespace
{

constexpr float kDeEmphasis = -0.86f;
constexpr float kShelfSlope = 0.5f;
constexpr float kHighPassQ = 0.616f;
constexpr float kGlide = 0.993f;
constexpr float kGlideIn = 0.007f;
constexpr float kCompensation = 0.86f;
// Non-finite state is looked for and cleared every this many frames, counted
// across blocks from the last reset or activation, so that recovery does not
// depend on how the host cuts the stream into blocks. These are the vector
// path's sub-block boundaries (it cannot stop inside a sub-block); the plain
// path checks at the same frames, so both give the same samples.
constexpr int kRecoveryFrames = kVectorChunkFrames;

// A meter left non-finite by a NaN burst starts again from no reduction.
float FiniteMeter(float meter)
{
  return std::isfinite(meter) ? meter : 1.f;
}

// Flush-to-zero and denormals-are-zero for the processed block, so filter
// tails and resampler rings never slow down on denormal arithmetic. The
// previous state of both bits is put back on every exit path, exceptions
// included, so the host's own setting survives the call.
class ScopedDenormalFlush
{
public:
  static constexpr unsigned kBits = 0x8040; // FTZ (bit 15) | DAZ (bit 6)
  ScopedDenormalFlush() : mSaved(_mm_getcsr()) { _mm_setcsr(mSaved | kBits); }
  ~ScopedDenormalFlush() { _mm_setcsr((_mm_getcsr() & ~kBits) | (mSaved & kBits)); }
  ScopedDenormalFlush(const ScopedDenormalFlush&) = delete;
  ScopedDenormalFlush& operator=(const ScopedDenormalFlush&) = delete;

private:
  unsigned mSaved;
};

float DbToGain(double db)
{
  return powf(10.f, static_cast<float>(db) / 20.f);
}

// Meter ballistics: follow a larger reduction at once, else decay; never below 1.
float UpdateMeter(float meter, float reduction, float decay)
{
  meter = reduction > meter ? reduction : meter * decay;
  return meter < 1.f ? 1.f : meter;
}

} // namespace

PluginConfig Kestrine::MakeConfig()
{
  PluginConfig c;
  c.nParams = kNumParams;
  c.nPresets = kNumPresets;
  c.channelIOStr = "1-1 2-2";
  c.pluginName = "Kestrine";
  c.productName = "Kestrine";
  c.mfrName = "Marlowfen";
  c.vendorVersion = 0x10001;
  c.uniqueID = FourCharCode("Kzqe");
  c.mfrID = FourCharCode("Mwfn");
  c.latency = 0;
  c.plugDoesMidiIn = false;
  c.plugDoesMidiOut = false;
  c.plugDoesMPE = false;
  c.plugDoesChunks = false;
  c.plugType = kPlugTypeEffect;
  c.plugHasUI = true;
  c.plugWidth = 580;
  c.plugHeight = 250;
  c.plugMinWidth = 290;
  c.plugMaxWidth = 1160;
  c.plugMinHeight = 125;
  c.plugMaxHeight = 500;
  c.plugHostResize = false;
  c.bundleID = "";
  return c;
}

Kestrine::Kestrine(const InstanceInfo& info) : IPlugAAX(info, MakeConfig())
{
  // Parameters, defined from the mirrors' defaults in this order (indices fixed).
  GetParam(kBypass)->DefineBool("Bypass", mBypass.load() != 0, "", 0, "", "Process", "Bypass");
  GetParam(kSolo)->DefineBool("Solo", mSolo.load() != 0, "", 0, "", "Normal", "Solo");
  GetParam(kDrive)->DefineDouble("Drive", mDriveDb.load(), -10., 30., 0.1, "dB", 0, "", ShapeLinear());
  GetParam(kIOTrim)->DefineDouble("IOTrim", mIOTrimDb.load(), -10., 10., 0.1, "dB", 0, "", ShapeLinear());
  GetParam(kLowTrim)->DefineDouble("LowTrim", mLowTrimDb.load(), -10., 10., 0.1, "dB", 0, "", ShapeLinear());
  GetParam(kHighTrim)->DefineDouble("HighTrim", mHighTrimDb.load(), -10., 10., 0.1, "dB", 0, "",
                                    ShapeLinear());
  GetParam(kLowEQ)->DefineDouble("LowEQ", mLowEQHz.load(), 100., 500., 1., "Hz", 0, "", ShapeLinear());
  GetParam(kHighEQ)->DefineDouble("HighEQ", mHighEQHz.load(), 500., 3000., 10., "Hz", 0, "", ShapeLinear());
  GetParam(kMode)->DefineEnum("Mode", mMode.load(), 2, "", 0, "", "Saturator", "Exciter");
  GetParam(kMix)->DefineDouble("Mix", mMixDb.load(), -20., 10., 0.1, "dB", 0, "", ShapeLinear());
  GetParam(kHPF)->DefineDouble("HPF", mHPFHz.load(), 100., 5000., 10., "Hz", 0, "", ShapePowCurve(2.));
  InstallEditor();

  mBypassDelay = std::make_unique<DelayLine>();
  mStage1 = std::make_unique<HalfBandResampler>();
  mStage2 = std::make_unique<HalfBandResampler>();
  mLowPre = std::make_unique<ShelfFilter>();
  mLowDe = std::make_unique<ShelfFilter>();
  mHighPre = std::make_unique<ShelfFilter>();
  mHighDe = std::make_unique<ShelfFilter>();
  mHighPass = std::make_unique<HighPassFilter>();
  mDryDelay = std::make_unique<DelayLine>();
  mOutputFIR = std::make_unique<LowPassFIR>();
  mCleanDelay = std::make_unique<DelayLine>();
  mStaged = std::make_unique<StagedSignals>();
  SizeVectorScratch();
  mPath.store(CpuHasAVX2() ? kPathAVX2 : kPathSSE2, std::memory_order_relaxed);

  // Factory presets. Unnamed parameters keep their defaults; the five odd
  // IOTrim values are single-precision constants widened to double.
  MakeDefaultPreset("Default", 1);
  MakePresetFromNamedParams("JustaTouch", 6, kDrive, -10., kLowTrim, -1., kHighTrim, 1., kLowEQ, 500.,
                            kHighEQ, 500., kIOTrim, 0.);
  MakePresetFromNamedParams("SummingBus", 6, kDrive, 0., kLowTrim, -1., kHighTrim, 1., kLowEQ, 500., kHighEQ,
                            500., kIOTrim, 1.);
  MakePresetFromNamedParams("TransientSupp", 6, kDrive, 4., kLowTrim, -10., kHighTrim, 10., kLowEQ, 500.,
                            kHighEQ, 500., kIOTrim, 1.);
  MakePresetFromNamedParams("HotMastr1", 6, kDrive, 5.5, kLowTrim, -4., kHighTrim, 1., kLowEQ, 200., kHighEQ,
                            2000., kIOTrim, double(1.8f));
  MakePresetFromNamedParams("HotMastr2", 6, kDrive, 7., kLowTrim, -3., kHighTrim, 1., kLowEQ, 200., kHighEQ,
                            2000., kIOTrim, 3.);
  MakePresetFromNamedParams("HotMastr3", 6, kDrive, 8.5, kLowTrim, -5., kHighTrim, 2., kLowEQ, 300., kHighEQ,
                            1500., kIOTrim, double(2.6f));
  MakePresetFromNamedParams("HotVox", 6, kDrive, 11., kLowTrim, -3., kHighTrim, 4., kLowEQ, 300., kHighEQ,
                            1500., kIOTrim, double(4.6f));
  MakePresetFromNamedParams("HotSnare", 6, kDrive, 15., kLowTrim, 4., kHighTrim, 0., kLowEQ, 300., kHighEQ,
                            1000., kIOTrim, 4.);
  MakePresetFromNamedParams("HotKick", 6, kDrive, 12., kLowTrim, -4., kHighTrim, -4., kLowEQ, 200., kHighEQ,
                            1000., kIOTrim, 3.5);
  MakePresetFromNamedParams("HotBass", 6, kDrive, 12., kLowTrim, -5., kHighTrim, 4., kLowEQ, 300., kHighEQ,
                            1200., kIOTrim, double(4.6f));
  MakePresetFromNamedParams("MixExciter", 9, kDrive, 10., kLowTrim, -6., kHighTrim, 6., kLowEQ, 300., kHighEQ,
                            1000., kMode, 1, kMix, 0., kHPF, 3000., kIOTrim, double(-1.2f));
  MakePresetFromNamedParams("MVoxExciter", 9, kDrive, 11., kLowTrim, -6., kHighTrim, 4., kLowEQ, 300.,
                            kHighEQ, 2500., kMode, 1, kMix, 2., kHPF, 1200., kIOTrim, -0.5);
  MakePresetFromNamedParams("FVoxExciter", 9, kDrive, 14., kLowTrim, -6., kHighTrim, 6., kLowEQ, 300.,
                            kHighEQ, 2000., kMode, 1, kMix, 3., kHPF, 2000., kIOTrim, -1.);
  MakePresetFromNamedParams("KickExciter", 9, kDrive, 9., kLowTrim, -6., kHighTrim, 6., kLowEQ, 300., kHighEQ,
                            1000., kMode, 1, kMix, 4., kHPF, 1000., kIOTrim, double(-0.2f));
}

Kestrine::~Kestrine() = default;

int Kestrine::OversamplerLatency() const
{
  return ::OversamplerLatency(*mStage1, *mStage2);
}

int Kestrine::FullLatency() const
{
  return OversamplerLatency() +
         (mMode.load(std::memory_order_relaxed) == kModeExciter ? mOutputFIR->GetHalf() : 0);
}

bool Kestrine::IsProcessingPathAvailable(EProcessingPath path)
{
  switch (path)
  {
  case kPathPlain:
  case kPathSSE2:
    return true;
  case kPathAVX2:
    return CpuHasAVX2();
  }
  return false;
}

bool Kestrine::SetProcessingPath(EProcessingPath path)
{
  if (!IsProcessingPathAvailable(path)) return false;
  mPath.store(path, std::memory_order_relaxed);
  return true;
}

void Kestrine::SizeVectorScratch()
{
  const int s1 = mStage1->GetLength(), s2 = mStage2->GetLength(), fir = mOutputFIR->GetLength();
  size_t floats = kVectorKernelsSSE2.scratchFloats(s1, s2, fir);
  if (CpuHasAVX2())
  {
    const size_t avx2 = kVectorKernelsAVX2.scratchFloats(s1, s2, fir);
    if (avx2 > floats) floats = avx2;
  }
  mVectorScratch.assign(floats, 0.f);
}

void Kestrine::OnParamChange(int paramIdx)
{
  if (paramIdx < 0 || paramIdx >= kNumParams) return;
  const double v = GetParam(paramIdx)->Value();
  const auto relaxed = std::memory_order_relaxed;
  switch (paramIdx)
  {
  case kBypass:
    mBypass.store(v != 0., relaxed);
    break;
  case kDrive:
    mDriveDb.store(static_cast<float>(v), relaxed);
    mDriveTarget.store(DbToGain(v), relaxed);
    break;
  case kLowTrim:
    mLowTrimDb.store(static_cast<float>(v), relaxed);
    break;
  case kHighTrim:
    mHighTrimDb.store(static_cast<float>(v), relaxed);
    break;
  case kIOTrim:
    mIOTrimDb.store(static_cast<float>(v), relaxed);
    mOutputGain.store(DbToGain(v), relaxed);
    break;
  case kLowEQ:
    mLowEQHz.store(static_cast<float>(v), relaxed);
    break;
  case kHighEQ:
    mHighEQHz.store(static_cast<float>(v), relaxed);
    break;
  case kMode:
    mMode.store(v != 0. ? kModeExciter : kModeSaturator, relaxed);
    mLatencyUpdate.store(true, relaxed);
    break;
  case kHPF:
  {
    mHPFHz.store(static_cast<float>(v), relaxed);
    BiquadCoefficients c;
    if (HighPassFilter::Compute(SampleRate(), kHighPassQ, static_cast<float>(v), c))
      mHighPassMailbox.Publish(c);
    break;
  }
  case kMix:
    mMixDb.store(static_cast<float>(v), relaxed);
    mMixGain.store(DbToGain(v), relaxed);
    break;
  case kSolo:
    mSolo.store(v != 0., relaxed);
    break;
  default:
    break;
  }
}

void Kestrine::DesignShelves()
{
  const float sr = SampleRate();
  const float lowTrim = mLowTrimDb.load(std::memory_order_relaxed);
  const float highTrim = mHighTrimDb.load(std::memory_order_relaxed);
  const float lowEQ = mLowEQHz.load(std::memory_order_relaxed);
  const float highEQ = mHighEQHz.load(std::memory_order_relaxed);
  mLowPre->Design(sr, kShelfSlope, lowEQ, lowTrim, ShelfFilter::kLowShelf);
  mLowDe->Design(sr, kShelfSlope, lowEQ, lowTrim * kDeEmphasis, ShelfFilter::kLowShelf);
  mHighPre->Design(sr, kShelfSlope, highEQ, highTrim, ShelfFilter::kHighShelf);
  mHighDe->Design(sr, kShelfSlope, highEQ, highTrim * kDeEmphasis, ShelfFilter::kHighShelf);
}

void Kestrine::DesignHighPassNow()
{
  // Anything published for the old rate is stale now.
  mHighPassMailbox.Discard();
  mHighPass->Design(SampleRate(), kHighPassQ, mHPFHz.load(std::memory_order_relaxed));
}

void Kestrine::SizeForSampleRate()
{
  const float sr = static_cast<float>(GetSampleRate());
  if (sr != SampleRate()) mSampleRate.store(sr, std::memory_order_relaxed);
  mMeterDecay = powf(0.99997f, 44100.f / sr);
}

void Kestrine::ReserveLongestLatency()
{
  // The longest latency of this rate (exciter mode). The bypass delay keeps
  // that much history, zeroed here, so that a Mode change moves its read
  // point without a gap and without allocating on the audio thread; the
  // frame's pass-through delay is reserved likewise.
  const int longest = OversamplerLatency() + mOutputFIR->GetHalf();
  mBypassDelay->SetLength(longest);
  ReserveLatency(longest);
}

void Kestrine::ApplyLatency()
{
  // Keeps the bypass delay's history; reports only a real change.
  const int latency = FullLatency();
  mBypassDelay->SetDelay(latency);
  if (latency != GetLatency()) SetLatency(latency);
}

void Kestrine::ResetDelaysMetersAndFilters()
{
  ReserveLongestLatency();
  ApplyLatency();
  const int overLatency = OversamplerLatency();
  mDryDelay->SetLength(overLatency);
  mCleanDelay->SetLength(overLatency);
  mMeter[0].store(1.f, std::memory_order_relaxed);
  mMeter[1].store(1.f, std::memory_order_relaxed);
  mSubBlockPhase = 0;
  mNonFinite = false;
  DesignShelves();
  for (ShelfFilter* f : {mLowPre.get(), mLowDe.get(), mHighPre.get(), mHighDe.get()}) f->Clear();
  DesignHighPassNow();
  mHighPass->Clear();
}

void Kestrine::OnReset()
{
  SizeForSampleRate();
  const float sr = SampleRate();
  DesignOversampler(*mStage1, *mStage2, sr);
  ConfigureExciterOutputFilter(*mOutputFIR, sr);
  // Reconfiguring keeps the old ring entries, which no longer line up when
  // the tap count changed: a reset drops them rather than play them back.
  mOutputFIR->Clear();
  SizeVectorScratch();
  ResetDelaysMetersAndFilters();
  mDriveGain = 1.f;
}

void Kestrine::OnActivate(bool active)
{
  if (!active) return;
  // Keeps the resampler and FIR designs and the drive glide; only the FIR's
  // history is dropped.
  SizeForSampleRate();
  mOutputFIR->Clear();
  ResetDelaysMetersAndFilters();
}

void Kestrine::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  ScopedDenormalFlush flush;

  const bool stereo = MaxNChannels(kOutput) >= 2 && IsChannelConnected(kOutput, 1);
  DesignShelves();
  BiquadCoefficients highPass;
  if (mHighPassMailbox.Take(highPass)) mHighPass->SetCoefficients(highPass);
  // The bypass path follows the mode from the block's first sample, so that
  // it is the input delayed by the latency reported at the block's end.
  mBypassDelay->SetDelay(FullLatency());

  const int path = mPath.load(std::memory_order_relaxed);
  if (path == kPathPlain)
  {
    if (stereo)
      ProcessFrames<true>(inputs[0], inputs[1], outputs[0], outputs[1], nFrames);
    else
      ProcessFrames<false>(inputs[0], inputs[0], outputs[0], outputs[0], nFrames);
  }
  else
  {
    const VectorKernels& kernels = path == kPathAVX2 ? kVectorKernelsAVX2 : kVectorKernelsSSE2;
    if (stereo)
      ProcessFramesStaged<true>(inputs[0], inputs[1], outputs[0], outputs[1], nFrames, kernels);
    else
      ProcessFramesStaged<false>(inputs[0], inputs[0], outputs[0], outputs[0], nFrames, kernels);
  }
  mSubBlockPhase = (mSubBlockPhase + (nFrames > 0 ? nFrames : 0)) % kVectorChunkFrames;

  mMeterDirty.store(true, std::memory_order_relaxed);
  if (mLatencyUpdate.exchange(false, std::memory_order_relaxed)) ApplyLatency();
}

template <bool kStereo>
void Kestrine::ProcessFrames(const double* inL, const double* inR, double* outL, double* outR, int nFrames)
{
  const auto relaxed = std::memory_order_relaxed;
  float g = mDriveGain;
  float meterL = mMeter[0].load(relaxed);
  float meterR = mMeter[1].load(relaxed);
  const float decay = mMeterDecay;
  bool nonFinite = mNonFinite;
  int phase = mSubBlockPhase;

  for (int s = 0; s < nFrames; ++s)
  {
    float xL = static_cast<float>(inL[s]);
    float xR = kStereo ? static_cast<float>(inR[s]) : xL;

    g = g * kGlide + mDriveTarget.load(relaxed) * kGlideIn;
    const float compensation = kCompensation / g;

    float dryL, dryR, bypL, bypR, cleanL, cleanR, sL, sR = 0.f, rL, rR = 0.f, oL, oR = 0.f;
    mDryDelay->Process(xL, xR, dryL, dryR);
    mBypassDelay->Process(xL, xR, bypL, bypR);
    xL = xL * g;

    if (kStereo)
    {
      xR = xR * g;
      mLowPre->ProcessStereo(xL, xR, xL, xR);
      mHighPre->ProcessStereo(xL, xR, xL, xR);
      mCleanDelay->Process(xL, xR, cleanL, cleanR);
      Saturate4xStereo(*mStage1, *mStage2, xL, xR, sL, sR, rL, rR);
      meterL = UpdateMeter(meterL, rL, decay);
      meterR = UpdateMeter(meterR, rR, decay);
      mLowDe->ProcessStereo(sL, sR, oL, oR);
      mHighDe->ProcessStereo(oL, oR, oL, oR);
      oL = oL * compensation;
      oR = oR * compensation;
      if (mMode.load(relaxed) == kModeExciter)
        ExciterStereo(*mHighPass, *mOutputFIR, cleanL, cleanR, sL, sR, dryL, dryR, mMixGain.load(relaxed),
                      mSolo.load(relaxed) != 0, oL, oR);
      const float outputGain = mOutputGain.load(relaxed);
      oL = oL * outputGain;
      oR = oR * outputGain;
    }
    else
    {
      xL = mLowPre->ProcessMono(xL);
      xL = mHighPre->ProcessMono(xL);
      mCleanDelay->Process(xL, xL, cleanL, cleanR);
      sL = Saturate4xMono(*mStage1, *mStage2, xL, rL);
      meterL = UpdateMeter(meterL, rL, decay);
      meterR = 0.f;
      oL = mHighDe->ProcessMono(mLowDe->ProcessMono(sL));
      oL = oL * compensation;
      if (mMode.load(relaxed) == kModeExciter)
        oL = ExciterMono(*mHighPass, *mOutputFIR, cleanL, sL, dryL, mMixGain.load(relaxed),
                         mSolo.load(relaxed) != 0);
      oL = oL * mOutputGain.load(relaxed);
    }

    if (mBypass.load(relaxed))
    {
      oL = bypL;
      oR = bypR;
    }
    // A non-finite input or result taints the filter memories; they are
    // cleared at the next check point. Finite input never takes this path.
    nonFinite |=
        !std::isfinite(xL) || !std::isfinite(oL) || (kStereo && (!std::isfinite(xR) || !std::isfinite(oR)));

    outL[s] = static_cast<double>(oL);
    if (kStereo) outR[s] = static_cast<double>(oR);

    if (++phase == kRecoveryFrames)
    {
      phase = 0;
      if (nonFinite)
      {
        nonFinite = false;
        RecoverNonFiniteState();
        meterL = FiniteMeter(meterL);
        meterR = FiniteMeter(meterR);
      }
    }
  }

  mDriveGain = g;
  mNonFinite = nonFinite;
  mMeter[0].store(meterL, relaxed);
  mMeter[1].store(meterR, relaxed);
}

// Sub-blocks end where the frame count since the reset reaches a multiple of
// kVectorChunkFrames, so their boundaries fall at the same frames whatever the
// host's block sizes: the non-finite recovery after a sub-block that ends on
// one acts on the same frames for any blocking, and on the frames where the
// plain path recovers.
template <bool kStereo>
void Kestrine::ProcessFramesStaged(const double* inL, const double* inR, double* outL, double* outR,
                                   int nFrames, const VectorKernels& kernels)
{
  bool nonFinite = mNonFinite;
  int phase = mSubBlockPhase;
  for (int start = 0; start < nFrames;)
  {
    const int left = nFrames - start;
    const int room = kRecoveryFrames - phase;
    const int n = left < room ? left : room;
    nonFinite |=
        ProcessSubBlockStaged<kStereo>(inL + start, inR + start, outL + start, outR + start, n, kernels);
    start += n;
    phase += n;
    if (phase == kRecoveryFrames)
    {
      phase = 0;
      if (nonFinite)
      {
        nonFinite = false;
        RecoverNonFiniteState();
        for (auto& meter : mMeter)
          meter.store(FiniteMeter(meter.load(std::memory_order_relaxed)), std::memory_order_relaxed);
      }
    }
  }
  mNonFinite = nonFinite;
}

// The per-sample chain of ProcessFrames, reordered by stage. The delays run
// as block copies; the recursive parts (drive glide, shelves, meters, exciter
// high-pass) run frame by frame with left and right in one SSE register; the
// FIR stages run over the whole sub-block in the vector routines. Every value
// is computed by the same operations in the same order as in ProcessFrames.
// The parameter mirrors are read once per sub-block.
template <bool kStereo>
bool Kestrine::ProcessSubBlockStaged(const double* inL, const double* inR, double* outL, double* outR,
                                     int nFrames, const VectorKernels& kernels)
{
  const auto relaxed = std::memory_order_relaxed;
  constexpr int kChannels = kStereo ? 2 : 1;
  StagedSignals& z = *mStaged;
  // Loads (a[s], b[s]) into lanes 0 and 1.
  auto pack = [](const float* a, const float* b, int s)
  { return _mm_unpacklo_ps(_mm_load_ss(a + s), _mm_load_ss(b + s)); };
  auto unpack = [](__m128 v, float* a, float* b, int s)
  {
    _mm_store_ss(a + s, v);
    if (kStereo) _mm_store_ss(b + s, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
  };

  // Input, dry and bypass delays (mono: both channels of a delay take the
  // same sample).
  float* input[2] = {z.input[0], kStereo ? z.input[1] : z.input[0]};
  const double* in[2] = {inL, inR};
  for (int c = 0; c < kChannels; ++c)
  {
    int s = 0;
    for (; s + 4 <= nFrames; s += 4)
      _mm_storeu_ps(input[c] + s, _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(in[c] + s)),
                                                _mm_cvtpd_ps(_mm_loadu_pd(in[c] + s + 2))));
    for (; s < nFrames; ++s) input[c][s] = static_cast<float>(in[c][s]);
  }
  mDryDelay->ProcessBlock(input[0], input[1], z.dry[0], z.dry[1], nFrames);
  mBypassDelay->ProcessBlock(input[0], input[1], z.bypass[0], z.bypass[1], nFrames);

  // Drive glide and gain, pre-emphasis.
  {
    const float target = mDriveTarget.load(relaxed);
    float g = mDriveGain;
    PackedBiquad lowPre(*mLowPre);
    PackedBiquad highPre(*mHighPre);
    for (int s = 0; s < nFrames; ++s)
    {
      g = g * kGlide + target * kGlideIn;
      z.compensation[s] = kCompensation / g;
      const __m128 x = _mm_mul_ps(pack(input[0], input[1], s), _mm_set1_ps(g));
      unpack(highPre.Step(lowPre.Step(x)), z.emphasised[0], z.emphasised[1], s);
    }
    mDriveGain = g;
    lowPre.Store(*mLowPre, kStereo);
    highPre.Store(*mHighPre, kStereo);
  }
  float* emphasised[2] = {z.emphasised[0], kStereo ? z.emphasised[1] : z.emphasised[0]};
  mCleanDelay->ProcessBlock(emphasised[0], emphasised[1], z.clean[0], z.clean[1], nFrames);

  // The 4x arrangement over the sub-block.
  ResamplerRings stage1{{mStage1->UpRing(0), mStage1->UpRing(1)},
                        {mStage1->DownRing(0), mStage1->DownRing(1)},
                        mStage1->GetUpCoefficients().data(),
                        mStage1->GetDownCoefficients().data(),
                        &mStage1->UpIndex(),
                        &mStage1->DownIndex(),
                        mStage1->GetLength(),
                        mStage1->GetCentre()};
  ResamplerRings stage2{{mStage2->UpRing(0), mStage2->UpRing(1)},
                        {mStage2->DownRing(0), mStage2->DownRing(1)},
                        mStage2->GetUpCoefficients().data(),
                        mStage2->GetDownCoefficients().data(),
                        &mStage2->UpIndex(),
                        &mStage2->DownIndex(),
                        mStage2->GetLength(),
                        mStage2->GetCentre()};
  const float* saturatorIn[] = {z.emphasised[0], z.emphasised[1]};
  float* saturated[] = {z.saturated[0], z.saturated[1]};
  float* reduction[] = {z.reduction[0], z.reduction[1]};
  kernels.saturate4x(stage1, stage2, kChannels, nFrames, saturatorIn, saturated, reduction,
                     mVectorScratch.data());

  // Meters, de-emphasis and compensation, or the exciter's residue, high-pass
  // and mix.
  const bool exciter = mMode.load(relaxed) == kModeExciter;
  {
    const __m128 mixGain = _mm_set1_ps(mMixGain.load(relaxed));
    const bool solo = mSolo.load(relaxed) != 0;
    const __m128 decay = _mm_set1_ps(mMeterDecay);
    const __m128 one = _mm_set1_ps(1.f);
    const __m128 residueScale = _mm_set1_ps(kSoftClipScale);
    const __m128 residueLevel = _mm_set1_ps(0.2f);
    __m128 meter = _mm_setr_ps(mMeter[0].load(relaxed), mMeter[1].load(relaxed), 0.f, 0.f);
    PackedBiquad lowDe(*mLowDe);
    PackedBiquad highDe(*mHighDe);
    PackedBiquad highPass(*mHighPass);
    float* result[2] = {exciter ? z.exciter[0] : z.result[0], exciter ? z.exciter[1] : z.result[1]};
    for (int s = 0; s < nFrames; ++s)
    {
      const __m128 sat = pack(z.saturated[0], z.saturated[1], s);
      // UpdateMeter: the reduction if it is larger, else the decayed meter;
      // then at least 1 (max keeps a NaN meter, as the comparison does).
      const __m128 r = pack(z.reduction[0], z.reduction[1], s);
      const __m128 larger = _mm_cmpgt_ps(r, meter);
      meter = _mm_or_ps(_mm_and_ps(larger, r), _mm_andnot_ps(larger, _mm_mul_ps(meter, decay)));
      meter = _mm_max_ps(one, meter);
      const __m128 deemphasised = highDe.Step(lowDe.Step(sat));
      __m128 o;
      if (exciter)
      {
        // ExciterResidue, the high-pass, then the mix with the dry signal.
        const __m128 clean = pack(z.clean[0], z.clean[1], s);
        const __m128 h =
            highPass.Step(_mm_mul_ps(_mm_sub_ps(clean, _mm_mul_ps(sat, residueScale)), residueLevel));
        o = solo ? h : _mm_add_ps(_mm_mul_ps(h, mixGain), pack(z.dry[0], z.dry[1], s));
      }
      else
        o = _mm_mul_ps(deemphasised, _mm_set1_ps(z.compensation[s]));
      unpack(o, result[0], result[1], s);
    }
    lowDe.Store(*mLowDe, kStereo);
    highDe.Store(*mHighDe, kStereo);
    if (exciter) highPass.Store(*mHighPass, kStereo);
    mMeter[0].store(PackedBiquad::Lane(meter, 0), relaxed);
    mMeter[1].store(kStereo ? PackedBiquad::Lane(meter, 1) : 0.f, relaxed);
  }

  // The exciter's output filter over the sub-block.
  if (exciter)
  {
    FirRings fir{{mOutputFIR->Ring(0), mOutputFIR->Ring(1)},
                 mOutputFIR->GetCoefficients().data(),
                 &mOutputFIR->Index(),
                 mOutputFIR->GetLength(),
                 mOutputFIR->GetHalf()};
    const float* firIn[] = {z.exciter[0], z.exciter[1]};
    float* firOut[] = {z.result[0], z.result[1]};
    kernels.lowPassFir(fir, kChannels, nFrames, firIn, firOut, mVectorScratch.data());
  }

  // Output gain, bypass, and the non-finite watch of ProcessFrames (the
  // emphasised input and the written output).
  // Four frames at a time: finite means |x| < infinity (false for NaN).
  const float outputGain = mOutputGain.load(relaxed);
  const bool bypass = mBypass.load(relaxed) != 0;
  const __m128 gain4 = _mm_set1_ps(outputGain);
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
  const __m128 infinity = _mm_set1_ps(std::numeric_limits<float>::infinity());
  __m128 finite4 = _mm_castsi128_ps(_mm_set1_epi32(-1));
  bool finite = true;
  double* out[2] = {outL, outR};
  for (int c = 0; c < kChannels; ++c)
  {
    const float* e = z.emphasised[c];
    const float* result = bypass ? z.bypass[c] : z.result[c];
    int s = 0;
    for (; s + 4 <= nFrames; s += 4)
    {
      const __m128 o = bypass ? _mm_loadu_ps(result + s) : _mm_mul_ps(_mm_loadu_ps(result + s), gain4);
      finite4 = _mm_and_ps(finite4, _mm_cmplt_ps(_mm_and_ps(_mm_loadu_ps(e + s), magnitude), infinity));
      finite4 = _mm_and_ps(finite4, _mm_cmplt_ps(_mm_and_ps(o, magnitude), infinity));
      _mm_storeu_pd(out[c] + s, _mm_cvtps_pd(o));
      _mm_storeu_pd(out[c] + s + 2, _mm_cvtps_pd(_mm_movehl_ps(o, o)));
    }
    for (; s < nFrames; ++s)
    {
      const float o = bypass ? result[s] : result[s] * outputGain;
      finite = finite && std::isfinite(e[s]) && std::isfinite(o);
      out[c][s] = static_cast<double>(o);
    }
  }
  return !finite || _mm_movemask_ps(finite4) != 0xf;
}

void Kestrine::RecoverNonFiniteState()
{
  for (DelayLine* d : {mBypassDelay.get(), mDryDelay.get(), mCleanDelay.get()})
    if (!d->IsFinite()) d->Clear();
  for (HalfBandResampler* r : {mStage1.get(), mStage2.get()})
    if (!r->IsFinite()) r->Clear();
  for (BiquadSection* f :
       {static_cast<BiquadSection*>(mLowPre.get()), static_cast<BiquadSection*>(mLowDe.get()),
        static_cast<BiquadSection*>(mHighPre.get()), static_cast<BiquadSection*>(mHighDe.get()),
        static_cast<BiquadSection*>(mHighPass.get())})
    if (!f->IsFinite()) f->Clear();
  if (!mOutputFIR->IsFinite()) mOutputFIR->Clear();
}

// The oversampled soft clipper of the Kestrine effect and its exciter path:
// the clipping curve, the half-band resampler that takes a signal to twice its
// rate and back, the 4x arrangement of two resamplers around the clipper with
// its gain-reduction measure, and the exciter's residue path.
//
// All arithmetic is 32-bit float in the order written here. Rings are doubled
// (each sample stored at p and p + length) so that every tap loop reads
// contiguous memory without a modulo.
#pragma once

#include "KestrineFilters.h"

#include <cmath>
#include <vector>

// Level of the clipper's curve: 0.860663 * sqrt(1.35) is about 1, so
// SoftClip(1) is about 1 and the small-signal gain is 1 / 0.860663.
constexpr float kSoftClipScale = 0.860663f;

// The curve's value beyond sqrt(FLT_MAX), where x^2 overflows and the formula
// would give x / inf = 0: the value the formula gives at sqrt(FLT_MAX), the
// largest argument whose square is finite, so the curve stays continuous.
constexpr float kSoftClipLimit = 1.96396101f;

// Memoryless odd soft clipper: x / (0.860663 sqrt(1 + 0.35 x^2)). Approaches
// +-1.964 for large inputs, also where x^2 overflows; infinite and NaN inputs
// give NaN. Any thread; no state.
inline float SoftClip(float x)
{
  const float square = x * x;
  if (std::isinf(square) && std::isfinite(x)) return std::copysign(kSoftClipLimit, x);
  return x / (kSoftClipScale * sqrtf(1.0f + 0.35f * square));
}

// Factor by which the clipper reduced one sample: p / (clipped * 0.860663),
// which is sqrt(1 + 0.35 p^2), 1 for small signals. Returns 0 (no measure)
// when the clipped sample is exactly 0, so that a meter that keeps the larger
// of its value and the measure simply decays on such a sample.
inline float GainReduction(float sample, float clipped)
{
  return clipped == 0.0f ? 0.0f : sample / (clipped * kSoftClipScale);
}

// Half-band FIR interpolator and decimator between a rate and twice that rate,
// stereo, with 4a + 1 taps (a = half the kernel order in low-rate samples).
// The up-sampler delays by a low-rate samples and the down-sampler by a more
// (2a in total at the low rate). The up kernel sums to 2, the down kernel to 1.
//
// Threads: Design allocates; it runs at construction or reset while no block
// runs. Up*, Down*, Clear and IsFinite run on the audio thread and never
// allocate.
class HalfBandResampler
{
public:
  // Designs with a = 20 (81 taps) until the first reset.
  HalfBandResampler();

  // Sets up the kernels for parameter a and zeroes all rings. Returns false
  // and changes nothing when a is outside 0..kMaxHalfOrder.
  bool Design(int a);

  // One low-rate sample in, two high-rate samples out in time order.
  void UpStereo(float inL, float inR, float& firstL, float& secondL, float& firstR, float& secondR)
  {
    StepUp();
    WriteUp(mUpL, inL);
    WriteUp(mUpR, inR);
    firstL = UpFirst(mUpL);
    firstR = UpFirst(mUpR);
    StepUp();
    secondL = UpSecond(mUpL);
    secondR = UpSecond(mUpR);
  }

  void UpMono(float in, float& first, float& second)
  {
    StepUp();
    WriteUp(mUpL, in);
    first = UpFirst(mUpL);
    StepUp();
    second = UpSecond(mUpL);
  }

  // Two high-rate samples in (first = the earlier), one low-rate sample out,
  // aligned to the first.
  void DownStereo(float firstL, float firstR, float secondL, float secondR, float& outL, float& outR)
  {
    StepDown();
    WriteDown(mDownL, firstL);
    WriteDown(mDownR, firstR);
    StepDown();
    WriteDown(mDownL, secondL);
    WriteDown(mDownR, secondR);
    outL = DownOut(mDownL);
    outR = DownOut(mDownR);
  }

  float DownMono(float first, float second)
  {
    StepDown();
    WriteDown(mDownL, first);
    StepDown();
    WriteDown(mDownL, second);
    return DownOut(mDownL);
  }

  // Zeroes all four rings (the kernels stay).
  void Clear();

  // True when every sample held in the four rings is finite.
  bool IsFinite() const;

  int GetLength() const { return mLength; }
  int GetCentre() const { return mCentre; }
  const std::vector<float>& GetUpCoefficients() const { return mUpCoef; }
  const std::vector<float>& GetDownCoefficients() const { return mDownCoef; }

  static constexpr int kMaxHalfOrder = 1024;

  // Raw state for the block-staged path (audio thread, no allocation): the
  // doubled rings of channel 0 (left) or 1 (right) and the write positions.
  // A block routine leaves them exactly as the per-sample calls would.
  float* UpRing(int channel) { return channel == 0 ? mUpL.data() : mUpR.data(); }
  float* DownRing(int channel) { return channel == 0 ? mDownL.data() : mDownR.data(); }
  int& UpIndex() { return mUpIndex; }
  int& DownIndex() { return mDownIndex; }

private:
  void StepUp()
  {
    if (--mUpIndex < 0) mUpIndex = mWrap;
  }
  void StepDown()
  {
    if (--mDownIndex < 0) mDownIndex = mWrap;
  }
  void WriteUp(std::vector<float>& ring, float x)
  {
    ring[mUpIndex] = x;
    ring[mUpIndex + mLength] = x;
  }
  void WriteDown(std::vector<float>& ring, float x)
  {
    ring[mDownIndex] = x;
    ring[mDownIndex + mLength] = x;
  }

  // Centre tap times the input of a samples ago.
  float UpFirst(const std::vector<float>& ring) const { return mUpCoef[mCentre] * ring[mUpIndex + mCentre]; }

  // Odd taps over the last 2a inputs (the up index has already stepped past
  // the newest input, whose slot is index + 1).
  float UpSecond(const std::vector<float>& ring) const
  {
    const float* r = ring.data() + mUpIndex;
    const float* h = mUpCoef.data();
    const int a = mCentre / 2;
    float sum = 0.0f;
    for (int k = 0; k < a; ++k) sum += h[2 * k + 1] * (r[1 + 2 * k] + r[mWrap - 1 - 2 * k]);
    return sum;
  }

  float DownOut(const std::vector<float>& ring) const
  {
    const float* r = ring.data() + mDownIndex;
    const float* h = mDownCoef.data();
    const int a = mCentre / 2;
    float sum = 0.0f;
    for (int k = 0; k < a; ++k) sum += h[2 * k + 1] * (r[2 + 2 * k] + r[mWrap - 2 * k]);
    return h[mCentre] * r[mCentre + 1] + sum;
  }

  std::vector<float> mUpL;
  std::vector<float> mUpR;
  std::vector<float> mDownL;
  std::vector<float> mDownR;
  std::vector<float> mUpCoef;
  std::vector<float> mDownCoef;
  int mUpIndex = 0;
  int mDownIndex = 0;
  int mLength = 0;
  int mWrap = 0;
  int mCentre = 0;
};

// --- The 4x arrangement: stage 1 between 1x and 2x, stage 2 between 2x and 4x.

// Stage parameters for a host rate: stage 1 a = 24 (97 taps) up to 48000 Hz,
// 12 (49 taps) above; stage 2 half of that.
inline int OversamplerStage1Order(float sampleRate)
{
  return sampleRate > 48000.0f ? 12 : 24;
}
inline int OversamplerStage2Order(float sampleRate)
{
  return OversamplerStage1Order(sampleRate) / 2;
}

// Designs both stages for a host rate (allocates; reset only).
bool DesignOversampler(HalfBandResampler& stage1, HalfBandResampler& stage2, float sampleRate);

// Delay of the 4x arrangement in host samples: stage 2 centre / 2 + stage 1
// centre (60 up to 48000 Hz, 30 above).
inline int OversamplerLatency(const HalfBandResampler& stage1, const HalfBandResampler& stage2)
{
  return stage2.GetCentre() / 2 + stage1.GetCentre();
}

// One host-rate frame through up-sampling to 4x, SoftClip on every 4x sample
// and down-sampling back. reductionL/R receive the gain-reduction measure of
// the first 4x sample of the frame (0 when its clipped value is exactly 0).
// Audio thread; no allocation.
inline void Saturate4xStereo(HalfBandResampler& stage1, HalfBandResampler& stage2, float inL, float inR,
                             float& outL, float& outR, float& reductionL, float& reductionR)
{
  float pL, qL, pR, qR;
  stage1.UpStereo(inL, inR, pL, qL, pR, qR);

  float p1L, p2L, p1R, p2R;
  stage2.UpStereo(pL, pR, p1L, p2L, p1R, p2R);
  const float P1L = SoftClip(p1L);
  const float P1R = SoftClip(p1R);
  const float P2L = SoftClip(p2L);
  const float P2R = SoftClip(p2R);
  reductionL = GainReduction(p1L, P1L);
  reductionR = GainReduction(p1R, P1R);
  float AL, AR;
  stage2.DownStereo(P1L, P1R, P2L, P2R, AL, AR);

  float q1L, q2L, q1R, q2R;
  stage2.UpStereo(qL, qR, q1L, q2L, q1R, q2R);
  float BL, BR;
  stage2.DownStereo(SoftClip(q1L), SoftClip(q1R), SoftClip(q2L), SoftClip(q2R), BL, BR);

  stage1.DownStereo(AL, AR, BL, BR, outL, outR);
}

inline float Saturate4xMono(HalfBandResampler& stage1, HalfBandResampler& stage2, float in, float& reduction)
{
  float p, q;
  stage1.UpMono(in, p, q);

  float p1, p2;
  stage2.UpMono(p, p1, p2);
  const float P1 = SoftClip(p1);
  reduction = GainReduction(p1, P1);
  const float A = stage2.DownMono(P1, SoftClip(p2));

  float q1, q2;
  stage2.UpMono(q, q1, q2);
  const float B = stage2.DownMono(SoftClip(q1), SoftClip(q2));

  return stage1.DownMono(A, B);
}

// --- Exciter path.

// Distortion residue: what the clipper removed from the clean signal, scaled
// back to the clean level and by 0.2. clean is the drive-scaled, emphasised
// sample delayed by the oversampler latency, so it lines up with saturated.
inline float ExciterResidue(float clean, float saturated)
{
  return (clean - saturated * kSoftClipScale) * 0.2f;
}

// Output filter set-up for a host rate: half length 28 and cut-off 0.485 x
// rate up to 48000 Hz, 14 and 0.475 x rate above. Allocates; reset only.
bool ConfigureExciterOutputFilter(LowPassFIR& fir, float sampleRate);

// Residue -> high-pass -> (times mixGain plus dry, or alone when solo) ->
// output FIR. Audio thread; no allocation.
inline void ExciterStereo(HighPassFilter& highPass, LowPassFIR& outputFilter, float cleanL, float cleanR,
                          float saturatedL, float saturatedR, float dryL, float dryR, float mixGain,
                          bool solo, float& outL, float& outR)
{
  float hL, hR;
  highPass.ProcessStereo(ExciterResidue(cleanL, saturatedL), ExciterResidue(cleanR, saturatedR), hL, hR);
  const float vL = solo ? hL : hL * mixGain + dryL;
  const float vR = solo ? hR : hR * mixGain + dryR;
  outputFilter.ProcessStereo(vL, vR, outL, outR);
}

inline float ExciterMono(HighPassFilter& highPass, LowPassFIR& outputFilter, float clean, float saturated,
                         float dry, float mixGain, bool solo)
{
  const float h = highPass.ProcessMono(ExciterResidue(clean, saturated));
  const float v = solo ? h : h * mixGain + dry;
  return outputFilter.ProcessMono(v);
}

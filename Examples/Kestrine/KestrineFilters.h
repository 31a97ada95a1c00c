// Filter sections of the Kestrine effect: the pre-/de-emphasis shelves, the
// exciter residue's high-pass and the linear-phase low-pass FIR after the
// exciter sum, plus the Kaiser window and Bessel function the window (and the
// oversampling filters) are built from.
//
// All arithmetic is 32-bit float, operation by operation in the order written
// here; the build disables contraction into fused multiply-add, so every
// compiler produces the same samples. Frequencies are in Hz, gains in dB,
// sample rates in Hz.
#pragma once

#include <vector>

// Modified Bessel function of the first kind, order 0, as a nine-term series
// (exactly nine terms, factorials as integers). Design time only.
float BesselI0(float x);

// Kaiser window of order N (N + 1 taps, N = number of taps - 1) with shape
// beta, written to window[0..N]. An order of 0 gives the single tap 1.
// Design time only; window must hold order + 1 entries.
void KaiserWindow(float* window, int order, float beta);

// Multiplies h[0..order] by the same window in place (no scratch storage).
void ApplyKaiserWindow(float* h, int order, float beta);

// Coefficient set of one biquad section, as the designs compute it: a0 kept
// unnormalised, the other five divided by a0. w0 (radians per sample), alpha
// and cos w0 are those of the design that produced the set.
struct BiquadCoefficients
{
  float a0 = 1.0f;
  float a1 = 0.0f;
  float a2 = 0.0f;
  float b0 = 1.0f;
  float b1 = 0.0f;
  float b2 = 0.0f;
  float w0 = 0.0f;
  float alpha = 0.0f;
  float cosw0 = 1.0f;
};

// Stereo biquad section in direct form I with a separate state per channel.
// Starts as a pass-through with cleared state.
//
// Threads: Process*, Clear and IsFinite run on the audio thread (or at reset
// while no block runs); they never allocate. SetCoefficients replaces the
// coefficient set; calling it while another thread processes is the caller's
// hand-over to arrange.
class BiquadSection
{
public:
  // Stereo form: left, then right, with the same coefficients.
  void ProcessStereo(float inL, float inR, float& outL, float& outR)
  {
    outL = Run(mLeft, inL);
    outR = Run(mRight, inR);
    mLastL = outL;
    mLastR = outR;
  }

  // Mono form: runs the left state only.
  float ProcessMono(float in)
  {
    mLastL = Run(mLeft, in);
    return mLastL;
  }

  // Zeroes the state and the last outputs of both channels.
  void Clear();

  // True when the state and last outputs of both channels are finite.
  bool IsFinite() const;

  void SetCoefficients(const BiquadCoefficients& c) { mCoef = c; }
  const BiquadCoefficients& GetCoefficients() const { return mCoef; }
  float GetLastLeft() const { return mLastL; }
  float GetLastRight() const { return mLastR; }

  // One channel's memory: the last two inputs and outputs.
  struct ChannelState
  {
    float x1 = 0.0f;
    float y1 = 0.0f;
    float x2 = 0.0f;
    float y2 = 0.0f;
  };

  // Raw state for the block-staged path (audio thread): channel 0 (left) or 1
  // (right), and the last output of a channel. A block routine leaves them
  // exactly as the per-sample forms would.
  ChannelState& State(int channel) { return channel == 0 ? mLeft : mRight; }
  const ChannelState& State(int channel) const { return channel == 0 ? mLeft : mRight; }
  void SetLastOutput(int channel, float y) { (channel == 0 ? mLastL : mLastR) = y; }

private:
  // y = b1 x1 + b0 x + b2 x2 - a1 y1 - a2 y2, left to right.
  float Run(ChannelState& s, float x) const
  {
    const BiquadCoefficients& c = mCoef;
    const float y = c.b1 * s.x1 + c.b0 * x + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2;
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = y;
    return y;
  }

  BiquadCoefficients mCoef;
  ChannelState mLeft;
  ChannelState mRight;
  float mLastL = 0.0f;
  float mLastR = 0.0f;
};

// Low or high shelving section (the cookbook shelf with its slope S). The
// effect uses four: low and high pre-emphasis before the clipper, low and
// high de-emphasis (-0.86 times the trim) after it.
//
// Threads: designed at block starts on the audio thread and at reset; the
// design does not allocate and does not touch the filter memory.
class ShelfFilter : public BiquadSection
{
public:
  static constexpr int kLowShelf = 0;
  static constexpr int kHighShelf = 1;

  // kind 0 = low shelf, any other value = high shelf. Returns false and keeps
  // the current coefficients when the sample rate, slope or frequency is not
  // positive and finite or the gain is not finite.
  static bool Compute(float sampleRate, float slope, float freqHz, float gainDb, int kind,
                      BiquadCoefficients& out);
  bool Design(float sampleRate, float slope, float freqHz, float gainDb, int kind);
};

// Second-order high-pass (cookbook form) for the exciter residue.
//
// Threads: designed at reset and on the thread that delivers the HPF
// parameter. To hand a new design to a running audio thread, compute a set
// with Compute() on the parameter thread and install it with SetCoefficients()
// on the audio thread.
class HighPassFilter : public BiquadSection
{
public:
  // Returns false and keeps the current coefficients when an argument is not
  // positive and finite.
  static bool Compute(float sampleRate, float q, float freqHz, BiquadCoefficients& out);
  bool Design(float sampleRate, float q, float freqHz);
};

// Linear-phase (Kaiser-windowed sinc) low-pass FIR with 2h + 1 taps and a
// delay of h samples, stereo. Each ring holds 2 x length entries and every
// sample is written twice, so the tap loop walks contiguous memory without a
// modulo.
//
// Threads: Configure allocates and runs at construction or reset only, while
// no block runs. Design, Clear and IsFinite do not allocate. ProcessStereo and
// ProcessMono run on the audio thread.
class LowPassFIR
{
public:
  // Half length 10 (21 taps), 4000 Hz at 44100 Hz until the first reset.
  LowPassFIR();

  // Sizes the rings (keeping existing entries, zero-filling new ones) and the
  // coefficients for 2h + 1 taps, then designs for cutoffHz. Returns false and
  // changes nothing when h is outside 0..kMaxHalfLength or the sample rate
  // is not positive and finite.
  bool Configure(int halfLength, float cutoffHz, float sampleRate);

  // Recomputes the coefficients for a new cut-off at the configured length and
  // rate; unity gain at 0 Hz. Returns false and changes nothing for a cut-off
  // that is not positive and finite.
  bool Design(float cutoffHz);

  void ProcessStereo(float inL, float inR, float& outL, float& outR)
  {
    Advance();
    outL = Run(mRingL, inL);
    outR = Run(mRingR, inR);
  }

  float ProcessMono(float in)
  {
    Advance();
    return Run(mRingL, in);
  }

  // Zeroes both rings (2 x length entries each).
  void Clear();

  // True when every sample held in either ring is finite.
  bool IsFinite() const;

  int GetLength() const { return mLength; }
  int GetHalf() const { return mHalf; }
  float GetSampleRate() const { return mSampleRate; }
  float GetCutoff() const { return mCutoff; }
  const std::vector<float>& GetCoefficients() const { return mCoef; }

  static constexpr int kMaxHalfLength = 4096;

  // Raw state for the block-staged path (audio thread, no allocation): the
  // doubled ring of channel 0 (left) or 1 (right) and the write position.
  // A block routine leaves them exactly as ProcessStereo / ProcessMono would.
  float* Ring(int channel) { return channel == 0 ? mRingL.data() : mRingR.data(); }
  int& Index() { return mIndex; }

private:
  void Advance()
  {
    if (--mIndex < 0) mIndex = mWrap;
  }

  float Run(std::vector<float>& ring, float x) const
  {
    float* r = ring.data() + mIndex;
    r[0] = x;
    r[mLength] = x;
    const float* h = mCoef.data();
    float y = 0.0f;
    for (int k = 0; k < mHalf; ++k) y += h[k] * (r[mWrap - k] + r[k]);
    y += h[mHalf] * r[mHalf];
    return y;
  }

  std::vector<float> mRingL;
  std::vector<float> mRingR;
  std::vector<float> mCoef;
  int mIndex = 0;
  int mLength = 0;
  int mWrap = 0;
  int mHalf = 0;
  float mSampleRate = 0.0f;
  float mCutoff = 0.0f;
};

#include "KestrineFilters.h"

#include <cmath>

namespace
{
// 2 pi as the effect writes it; the designs depend on this exact value.
constexpr float kTwoPi = 6.28318f;

bool PositiveFinite(float v)
{
  return std::isfinite(v) && v > 0.0f;
}

bool AllFinite(const std::vector<float>& v)
{
  for (float x : v)
    if (!std::isfinite(x)) return false;
  return true;
}
} // namespace

float BesselI0(float x)
{
  const float half = x / 2.0f;
  float sum = 1.0f;
  int factorial = 1;
  for (int k = 1; k <= 9; ++k)
  {
    factorial *= k;
    const float term = powf(half, static_cast<float>(k)) / static_cast<float>(factorial);
    sum += term * term;
  }
  return sum;
}

void KaiserWindow(float* window, int order, float beta)
{
  for (int i = 0; i <= order; ++i) window[i] = 1.0f;
  ApplyKaiserWindow(window, order, beta);
}

void ApplyKaiserWindow(float* h, int order, float beta)
{
  // Order 0 is the single tap 1 (the formula would divide 0 by 0).
  if (order <= 0) return;
  const float denom = BesselI0(beta);
  for (int i = 0; i <= order; ++i)
  {
    const float t = static_cast<float>(2 * i) / static_cast<float>(order) - 1.0f;
    h[i] *= BesselI0(beta * sqrtf(1.0f - t * t)) / denom;
  }
}

void BiquadSection::Clear()
{
  mLeft = ChannelState();
  mRight = ChannelState();
  mLastL = 0.0f;
  mLastR = 0.0f;
}

bool BiquadSection::IsFinite() const
{
  const float v[] = {mLeft.x1,  mLeft.y1,  mLeft.x2,  mLeft.y2, mRight.x1,
                     mRight.y1, mRight.x2, mRight.y2, mLastL,   mLastR};
  for (float x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

bool ShelfFilter::Compute(float sampleRate, float slope, float freqHz, float gainDb, int kind,
                          BiquadCoefficients& out)
{
  if (!PositiveFinite(sampleRate) || !PositiveFinite(slope) || !PositiveFinite(freqHz) ||
      !std::isfinite(gainDb))
    return false;

  BiquadCoefficients c;
  c.w0 = freqHz * kTwoPi / sampleRate;
  const float A = sqrtf(powf(10.0f, gainDb / 20.0f));
  const float m = sinf(c.w0) * sqrtf((A * A + 1.0f) * (1.0f / slope - 1.0f) + 2.0f * A);
  const float cw = cosf(c.w0);
  c.cosw0 = cw;

  float a0, a1, a2, b0, b1, b2;
  if (kind == kLowShelf)
  {
    b0 = A * ((A + 1.0f) - (A - 1.0f) * cw + m);
    b1 = 2.0f * A * ((A - 1.0f) - (A + 1.0f) * cw);
    b2 = A * ((A + 1.0f) - (A - 1.0f) * cw - m);
    a0 = (A + 1.0f) + (A - 1.0f) * cw + m;
    a1 = -2.0f * ((A - 1.0f) + (A + 1.0f) * cw);
    a2 = (A + 1.0f) + (A - 1.0f) * cw - m;
  }
  else
  {
    b0 = A * ((A + 1.0f) + (A - 1.0f) * cw + m);
    b1 = -2.0f * A * ((A - 1.0f) + (A + 1.0f) * cw);
    b2 = A * ((A + 1.0f) + (A - 1.0f) * cw - m);
    a0 = (A + 1.0f) - (A - 1.0f) * cw + m;
    a1 = 2.0f * ((A - 1.0f) - (A + 1.0f) * cw);
    a2 = (A + 1.0f) - (A - 1.0f) * cw - m;
  }
  c.a0 = a0;
  c.b0 = b0 / a0;
  c.b1 = b1 / a0;
  c.b2 = b2 / a0;
  c.a1 = a1 / a0;
  c.a2 = a2 / a0;
  out = c;
  return true;
}

bool ShelfFilter::Design(float sampleRate, float slope, float freqHz, float gainDb, int kind)
{
  BiquadCoefficients c;
  if (!Compute(sampleRate, slope, freqHz, gainDb, kind, c)) return false;
  SetCoefficients(c);
  return true;
}

bool HighPassFilter::Compute(float sampleRate, float q, float freqHz, BiquadCoefficients& out)
{
  if (!PositiveFinite(sampleRate) || !PositiveFinite(q) || !PositiveFinite(freqHz)) return false;

  BiquadCoefficients c;
  c.w0 = freqHz * kTwoPi / sampleRate;
  c.alpha = sinf(c.w0) / (q + q);
  c.cosw0 = cosf(c.w0);
  const float cw = c.cosw0;
  c.a0 = 1.0f + c.alpha;
  c.b0 = (1.0f + cw) * 0.5f / c.a0;
  c.b2 = c.b0;
  c.b1 = (-1.0f - cw) / c.a0;
  c.a1 = -2.0f * cw / c.a0;
  c.a2 = (1.0f - c.alpha) / c.a0;
  out = c;
  return true;
}

bool HighPassFilter::Design(float sampleRate, float q, float freqHz)
{
  BiquadCoefficients c;
  if (!Compute(sampleRate, q, freqHz, c)) return false;
  SetCoefficients(c);
  return true;
}

LowPassFIR::LowPassFIR()
{
  Configure(10, 4000.0f, 44100.0f);
}

bool LowPassFIR::Configure(int halfLength, float cutoffHz, float sampleRate)
{
  if (halfLength < 0 || halfLength > kMaxHalfLength || !PositiveFinite(sampleRate) ||
      !PositiveFinite(cutoffHz))
    return false;
  mSampleRate = sampleRate;
  mLength = 2 * halfLength + 1;
  mWrap = 2 * halfLength;
  mIndex = mWrap;
  mHalf = mWrap / 2;
  mRingL.resize(2 * static_cast<size_t>(mLength), 0.0f);
  mRingR.resize(2 * static_cast<size_t>(mLength), 0.0f);
  mCoef.resize(static_cast<size_t>(mLength), 0.0f);
  return Design(cutoffHz);
}

bool LowPassFIR::Design(float cutoffHz)
{
  if (!PositiveFinite(cutoffHz)) return false;
  mCutoff = cutoffHz;
  const float wc = cutoffHz / mSampleRate * kTwoPi;
  const int centre = mWrap / 2;
  for (int i = 0; i < mLength; ++i)
  {
    const int n = i - centre;
    const float fn = static_cast<float>(n);
    mCoef[i] = n == 0 ? wc : sinf(fn * wc) / fn;
  }
  std::vector<float>& h = mCoef;
  ApplyKaiserWindow(h.data(), mWrap, 5.654862f);
  float sum = 0.0f;
  for (float v : h) sum += v;
  for (float& v : h) v = v / sum;
  return true;
}

void LowPassFIR::Clear()
{
  for (float& v : mRingL) v = 0.0f;
  for (float& v : mRingR) v = 0.0f;
}

bool LowPassFIR::IsFinite() const
{
  return AllFinite(mRingL) && AllFinite(mRingR);
}

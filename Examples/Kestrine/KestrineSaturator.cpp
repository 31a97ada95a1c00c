#include "KestrineSaturator.h"

#include <cmath>

namespace
{
constexpr float kHalfPi = 1.5707964f;
// Kaiser shape of the half-band kernels: 2 pi as a float.
constexpr float kResamplerBeta = 6.2831855f;

bool AllFinite(const std::vector<float>& v)
{
  for (float x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

void Zero(std::vector<float>& v)
{
  for (float& x : v) x = 0.0f;
}
} // namespace

HalfBandResampler::HalfBandResampler()
{
  Design(20);
}

bool HalfBandResampler::Design(int a)
{
  if (a < 0 || a > kMaxHalfOrder) return false;
  mWrap = 4 * a;
  mLength = 4 * a + 1;
  mCentre = mWrap / 2;
  mUpIndex = 0;
  mDownIndex = 0;

  const size_t ringSize = 2 * static_cast<size_t>(mLength);
  mUpL.resize(ringSize);
  mUpR.resize(ringSize);
  mDownL.resize(ringSize);
  mDownR.resize(ringSize);
  mUpCoef.resize(static_cast<size_t>(mLength));
  mDownCoef.resize(static_cast<size_t>(mLength));
  Clear();

  // Ideal half-band low-pass without the 1/pi factor; the float sine of a
  // nonzero multiple of pi is close to, not exactly, 0.
  for (int i = 0; i < mLength; ++i)
  {
    const int n = i - mCentre;
    const float fn = static_cast<float>(n);
    mUpCoef[i] = n == 0 ? kHalfPi : sinf(fn * kHalfPi) / fn;
  }
  ApplyKaiserWindow(mUpCoef.data(), mWrap, kResamplerBeta);
  mDownCoef = mUpCoef; // same size: no allocation

  float sum = 0.0f;
  for (float h : mUpCoef) sum += h;
  const float upScale = 2.0f / sum;
  for (float& h : mUpCoef) h *= upScale;
  for (float& h : mDownCoef) h = h / sum;
  return true;
}

void HalfBandResampler::Clear()
{
  Zero(mUpL);
  Zero(mUpR);
  Zero(mDownL);
  Zero(mDownR);
}

bool HalfBandResampler::IsFinite() const
{
  return AllFinite(mUpL) && AllFinite(mUpR) && AllFinite(mDownL) && AllFinite(mDownR);
}

bool DesignOversampler(HalfBandResampler& stage1, HalfBandResampler& stage2, float sampleRate)
{
  return stage1.Design(OversamplerStage1Order(sampleRate)) &&
         stage2.Design(OversamplerStage2Order(sampleRate));
}

bool ConfigureExciterOutputFilter(LowPassFIR& fir, float sampleRate)
{
  if (sampleRate > 48000.0f) return fir.Configure(14, 0.475f * sampleRate, sampleRate);
  return fir.Configure(28, 0.485f * sampleRate, sampleRate);
}

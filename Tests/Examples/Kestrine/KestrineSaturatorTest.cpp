#include "KestrineSaturator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <vector>

namespace
{
const double kPi = 3.14159265358979323846;
const float kSmallSignalGain = 1.0f / 0.860663f;

int ArgMaxAbs(const std::vector<float>& v)
{
  int best = 0;
  for (int i = 1; i < int(v.size()); ++i)
    if (std::fabs(v[i]) > std::fabs(v[best])) best = i;
  return best;
}
} // namespace

TEST(SoftClip, OddBoundedAndUnityAtOne)
{
  EXPECT_EQ(SoftClip(0.0f), 0.0f);
  EXPECT_NEAR(SoftClip(1.0f), 1.0f, 1e-6f);
  EXPECT_NEAR(SoftClip(-1.0f), -1.0f, 1e-6f);
  const float limit = 1.0f / (0.860663f * std::sqrt(0.35f));
  EXPECT_NEAR(limit, 1.964f, 1e-3f);
  float previous = 0.0f;
  for (float x : {1e-6f, 0.01f, 0.5f, 1.0f, 2.0f, 10.0f, 1e3f, 1e6f})
  {
    EXPECT_EQ(SoftClip(-x), -SoftClip(x)) << x;
    EXPECT_GT(SoftClip(x), previous) << x;
    EXPECT_LT(SoftClip(x), limit * 1.000001f) << x;
    previous = SoftClip(x);
  }
  EXPECT_NEAR(SoftClip(1e-6f) / 1e-6f, kSmallSignalGain, 1e-5f);
  EXPECT_NEAR(SoftClip(1e6f), limit, 1e-5f);
}

TEST(SoftClip, StaysAtItsLimitWhereTheSquareOverflows)
{
  // sqrt(FLT_MAX) is the largest argument whose square is finite.
  const float edge = std::sqrt(std::numeric_limits<float>::max());
  const float atEdge = SoftClip(edge);
  EXPECT_NEAR(atEdge, 1.964f, 1e-3f);
  for (float x : {std::nextafter(edge, 1e30f), 1e20f, 1e25f, 1e30f, std::numeric_limits<float>::max()})
  {
    EXPECT_EQ(SoftClip(x), atEdge) << x;
    EXPECT_EQ(SoftClip(-x), -SoftClip(x)) << x;
  }
  EXPECT_TRUE(std::isnan(SoftClip(std::numeric_limits<float>::quiet_NaN())));
  EXPECT_TRUE(std::isnan(SoftClip(std::numeric_limits<float>::infinity())));
}

TEST(SoftClip, IsTheCurveToTheBitWhereTheSquareIsFinite)
{
  auto curve = [](float x) { return x / (0.860663f * sqrtf(1.0f + 0.35f * (x * x))); };
  const float edge = std::sqrt(std::numeric_limits<float>::max());
  std::vector<float> xs = {0.0f, std::numeric_limits<float>::denorm_min(), edge, std::nextafter(edge, 0.0f)};
  for (int e = -149; e <= 63; ++e)
    for (float m : {1.0f, 1.3f, 1.7320508f, 1.9999999f}) xs.push_back(std::ldexp(m, e));
  for (float x : xs)
  {
    if (!std::isfinite(x * x)) continue;
    for (float v : {x, -x})
    {
      const float expected = curve(v), got = SoftClip(v);
      EXPECT_EQ(std::memcmp(&expected, &got, sizeof(float)), 0) << v;
    }
  }
}

TEST(GainReduction, IsTheClipperReductionAndZeroWithoutASample)
{
  for (float x : {1e-3f, 0.5f, 1.0f, -3.0f, 20.0f})
    EXPECT_NEAR(GainReduction(x, SoftClip(x)), std::sqrt(1.0 + 0.35 * double(x) * x),
                1e-5 * std::sqrt(1.0 + 0.35 * x * x))
        << x;
  EXPECT_EQ(GainReduction(0.0f, 0.0f), 0.0f);
}

// --- Resampler design: tap count, centre, kernel sums, symmetry.

struct ResamplerCase
{
  int a;
  int taps;
};

std::ostream& operator<<(std::ostream& os, const ResamplerCase& c)
{
  return os << "a=" << c.a;
}

class ResamplerDesign : public ::testing::TestWithParam<ResamplerCase>
{
};

TEST_P(ResamplerDesign, TapsSumsAndSymmetry)
{
  const ResamplerCase& p = GetParam();
  HalfBandResampler r;
  ASSERT_TRUE(r.Design(p.a));
  ASSERT_EQ(r.GetLength(), p.taps);
  EXPECT_EQ(r.GetCentre(), 2 * p.a);
  const std::vector<float>& up = r.GetUpCoefficients();
  const std::vector<float>& down = r.GetDownCoefficients();
  double upSum = 0.0, downSum = 0.0;
  for (int i = 0; i < p.taps; ++i)
  {
    upSum += up[i];
    downSum += down[i];
    // Symmetric up to the window's rounding.
    EXPECT_NEAR(up[i], up[p.taps - 1 - i], 2e-6f * std::fabs(up[i])) << i;
    EXPECT_NEAR(down[i], down[p.taps - 1 - i], 2e-6f * std::fabs(down[i])) << i;
  }
  EXPECT_NEAR(upSum, 2.0, 1e-5);
  EXPECT_NEAR(downSum, 1.0, 1e-5);
  // Half-band: the centre tap carries about half the kernel, the even taps
  // beside it almost nothing.
  if (p.a >= 6)
  {
    EXPECT_NEAR(up[p.a * 2], 1.0f, 0.01f);
    EXPECT_LT(std::fabs(up[p.a * 2 + 2]), 1e-6f);
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, ResamplerDesign,
                         ::testing::Values(ResamplerCase{24, 97}, ResamplerCase{12, 49}, ResamplerCase{6, 25},
                                           ResamplerCase{20, 81}, ResamplerCase{1, 5}));

TEST(HalfBandResampler, DefaultsAndBadOrder)
{
  HalfBandResampler r;
  EXPECT_EQ(r.GetLength(), 81);
  EXPECT_FALSE(r.Design(-1));
  EXPECT_FALSE(r.Design(HalfBandResampler::kMaxHalfOrder + 1));
  EXPECT_EQ(r.GetLength(), 81);
}

// One stage up and straight back down delays by 2a and keeps DC.
TEST(HalfBandResampler, UpThenDownDelaysByTwiceTheOrder)
{
  for (int a : {24, 12, 6})
  {
    HalfBandResampler r;
    ASSERT_TRUE(r.Design(a));
    std::vector<float> out;
    for (int n = 0; n < 8 * a; ++n)
    {
      float p, q;
      r.UpMono(n == 0 ? 1.0f : 0.0f, p, q);
      out.push_back(r.DownMono(p, q));
    }
    EXPECT_EQ(ArgMaxAbs(out), 2 * a) << a;

    HalfBandResampler dc;
    ASSERT_TRUE(dc.Design(a));
    float y = 0.0f;
    for (int n = 0; n < 8 * a; ++n)
    {
      float p, q;
      dc.UpMono(1.0f, p, q);
      y = dc.DownMono(p, q);
    }
    EXPECT_NEAR(y, 1.0f, 1e-4f) << a;
  }
}

// --- The 4x arrangement.

struct OversamplerCase
{
  float sampleRate;
  int latency;
};

std::ostream& operator<<(std::ostream& os, const OversamplerCase& c)
{
  return os << c.sampleRate << " Hz";
}

class Oversampler : public ::testing::TestWithParam<OversamplerCase>
{
protected:
  void SetUp() override { ASSERT_TRUE(DesignOversampler(mStage1, mStage2, GetParam().sampleRate)); }

  HalfBandResampler mStage1;
  HalfBandResampler mStage2;
};

TEST_P(Oversampler, TinyImpulseEmergesAfterTheLatencyWithSmallSignalGain)
{
  const int latency = GetParam().latency;
  EXPECT_EQ(OversamplerLatency(mStage1, mStage2), latency);
  const float amp = 1e-4f;
  std::vector<float> out;
  double sum = 0.0;
  for (int n = 0; n < 4 * latency + 40; ++n)
  {
    float l, r, rl, rr;
    Saturate4xStereo(mStage1, mStage2, n == 0 ? amp : 0.0f, n == 0 ? -amp : 0.0f, l, r, rl, rr);
    EXPECT_EQ(r, -l) << n;
    out.push_back(l);
    sum += l;
  }
  EXPECT_EQ(ArgMaxAbs(out), latency);
  EXPECT_NEAR(sum / amp, kSmallSignalGain, 1e-3);
}

TEST_P(Oversampler, QuietSineComesBackScaledAndDelayedWithoutReduction)
{
  const float fs = GetParam().sampleRate;
  const int latency = GetParam().latency;
  const float amp = 0.01f;
  const int frames = 4000;
  std::vector<float> in(frames), out(frames);
  float minReduction = 2.0f, maxReduction = 0.0f;
  for (int n = 0; n < frames; ++n)
  {
    in[n] = amp * float(std::sin(2.0 * kPi * 1000.0 * n / fs));
    float reduction;
    out[n] = Saturate4xMono(mStage1, mStage2, in[n], reduction);
    if (n > latency)
    {
      minReduction = std::min(minReduction, reduction);
      maxReduction = std::max(maxReduction, reduction);
    }
  }
  double maxError = 0.0;
  for (int n = 2 * latency; n < frames; ++n)
    maxError = std::max(maxError, std::fabs(double(out[n]) - double(in[n - latency]) * kSmallSignalGain));
  EXPECT_LT(maxError, 1e-3 * amp * kSmallSignalGain);
  // sqrt(1 + 0.35 x^2) for |x| <= 0.01, up to the rounding of the division.
  EXPECT_NEAR(minReduction, 1.0f, 1e-4f);
  EXPECT_NEAR(maxReduction, 1.0f, 1e-4f);
}

TEST_P(Oversampler, MonoMatchesStereoLeftAndLoudInputIsClipped)
{
  HalfBandResampler mono1, mono2;
  ASSERT_TRUE(DesignOversampler(mono1, mono2, GetParam().sampleRate));
  float peak = 0.0f, peakReduction = 0.0f;
  for (int n = 0; n < 2000; ++n)
  {
    const float x = 30.0f * std::sin(0.07f * float(n));
    float l, r, rl, rr, rm;
    Saturate4xStereo(mStage1, mStage2, x, 0.1f * x, l, r, rl, rr);
    const float m = Saturate4xMono(mono1, mono2, x, rm);
    ASSERT_EQ(m, l) << n;
    ASSERT_EQ(rm, rl) << n;
    peak = std::max(peak, std::fabs(l));
    peakReduction = std::max(peakReduction, rl);
  }
  // The clipper's ceiling is 1.964; the half-band filters add some overshoot.
  EXPECT_GT(peak, 1.8f);
  EXPECT_LT(peak, 2.4f);
  EXPECT_GT(peakReduction, 10.0f);
}

INSTANTIATE_TEST_SUITE_P(Rates, Oversampler,
                         ::testing::Values(OversamplerCase{44100.0f, 60}, OversamplerCase{48000.0f, 60},
                                           OversamplerCase{88200.0f, 30}, OversamplerCase{96000.0f, 30}));

TEST(Oversampler, NonFiniteStateIsDetectedAndCleared)
{
  HalfBandResampler s1, s2;
  ASSERT_TRUE(DesignOversampler(s1, s2, 48000.0f));
  float l, r, rl, rr;
  Saturate4xStereo(s1, s2, 0.3f, std::numeric_limits<float>::quiet_NaN(), l, r, rl, rr);
  EXPECT_FALSE(s1.IsFinite());
  EXPECT_FALSE(s2.IsFinite());
  s1.Clear();
  s2.Clear();
  EXPECT_TRUE(s1.IsFinite() && s2.IsFinite());
  for (int n = 0; n < 200; ++n)
  {
    Saturate4xStereo(s1, s2, 0.0f, 0.0f, l, r, rl, rr);
    ASSERT_EQ(l, 0.0f);
    ASSERT_EQ(r, 0.0f);
  }
}

// --- Exciter path, fed as the effect feeds it: the clean signal delayed by
// the oversampler latency beside the saturated one.

class ExciterPath : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(DesignOversampler(mStage1, mStage2, kRate));
    ASSERT_TRUE(mHighPass.Design(kRate, 0.616f, 3000.0f));
    ASSERT_TRUE(ConfigureExciterOutputFilter(mFir, kRate));
    mLatency = OversamplerLatency(mStage1, mStage2);
  }

  // Runs a sine of the given amplitude; returns the RMS of the output
  // against that of the input delayed by the full latency.
  double Run(float amp, float mixGain, bool solo, double* errorToDry = nullptr)
  {
    const int frames = 4000;
    const int total = mLatency + mFir.GetHalf();
    std::vector<float> in(frames), out(frames), history(mLatency, 0.0f);
    for (int n = 0; n < frames; ++n)
    {
      in[n] = amp * float(std::sin(2.0 * kPi * 997.0 * n / kRate));
      float reduction;
      const float s = Saturate4xMono(mStage1, mStage2, in[n], reduction);
      const float delayed = history[n % mLatency]; // clean == dry here: no drive or emphasis
      history[n % mLatency] = in[n];
      out[n] = ExciterMono(mHighPass, mFir, delayed, s, delayed, mixGain, solo);
    }
    double outSq = 0.0, errSq = 0.0;
    for (int n = 2 * total; n < frames; ++n)
    {
      outSq += double(out[n]) * out[n];
      const double e = double(out[n]) - double(in[n - total]);
      errSq += e * e;
    }
    if (errorToDry) *errorToDry = std::sqrt(errSq / (frames - 2 * total));
    return std::sqrt(outSq / (frames - 2 * total));
  }

  static constexpr float kRate = 44100.0f;
  HalfBandResampler mStage1, mStage2;
  HighPassFilter mHighPass;
  LowPassFIR mFir;
  int mLatency = 0;
};

TEST_F(ExciterPath, SoloGivesSilenceForSilenceAndAlmostSilenceForQuietInput)
{
  EXPECT_EQ(Run(0.0f, 1.0f, true), 0.0);
  const float quiet = 0.01f;
  EXPECT_LT(Run(quiet, 1.0f, true), 1e-5 * quiet);
}

TEST_F(ExciterPath, SoloOnALoudInputGivesTheDistortionProducts)
{
  EXPECT_GT(Run(2.0f, 1.0f, true), 0.01);
}

TEST_F(ExciterPath, LowMixPassesTheDryInputDelayedByTheFullLatency)
{
  double error = 0.0;
  const double rms = Run(0.5f, 0.1f, false, &error);
  EXPECT_NEAR(rms, 0.5 / std::sqrt(2.0), 0.01);
  EXPECT_LT(error, 0.01);
}

TEST(ExciterStereo, MatchesMonoPerChannel)
{
  HighPassFilter hs, hm;
  LowPassFIR fs, fm;
  ASSERT_TRUE(hs.Design(96000.0f, 0.616f, 1000.0f) && hm.Design(96000.0f, 0.616f, 1000.0f));
  ASSERT_TRUE(ConfigureExciterOutputFilter(fs, 96000.0f) && ConfigureExciterOutputFilter(fm, 96000.0f));
  for (int n = 0; n < 100; ++n)
  {
    const float c = std::sin(0.1f * float(n)), s = 0.9f * c, d = 0.3f * c;
    float l, r;
    ExciterStereo(hs, fs, c, 0.0f, s, 0.0f, d, 1.0f, 0.5f, n % 2 == 0, l, r);
    ASSERT_EQ(l, ExciterMono(hm, fm, c, s, d, 0.5f, n % 2 == 0)) << n;
  }
}

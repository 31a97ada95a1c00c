#include "KestrineFilters.h"
#include "KestrineSaturator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <ostream>
#include <vector>

namespace
{
const double kPi = 3.14159265358979323846;

// Magnitude of a biquad's response at w radians per sample, computed in
// double from its (normalised) coefficients.
double BiquadMagnitude(const BiquadCoefficients& c, double w)
{
  const std::complex<double> z1 = std::polar(1.0, -w);
  const std::complex<double> z2 = z1 * z1;
  const std::complex<double> num = double(c.b0) + double(c.b1) * z1 + double(c.b2) * z2;
  const std::complex<double> den = 1.0 + double(c.a1) * z1 + double(c.a2) * z2;
  return std::abs(num / den);
}

double FirMagnitude(const std::vector<float>& h, double w)
{
  std::complex<double> sum = 0.0;
  for (size_t i = 0; i < h.size(); ++i) sum += double(h[i]) * std::polar(1.0, -w * double(i));
  return std::abs(sum);
}

double Db(double gain)
{
  return 20.0 * std::log10(gain);
}
} // namespace

TEST(BesselI0, MatchesTheLibraryFunctionOverTheWindowRange)
{
  EXPECT_EQ(BesselI0(0.0f), 1.0f);
  for (float x : {0.5f, 1.0f, 2.5f, 5.654862f, 6.2831855f})
    EXPECT_NEAR(BesselI0(x), std::cyl_bessel_i(0.0, double(x)), 1e-4 * std::cyl_bessel_i(0.0, double(x)))
        << x;
}

TEST(KaiserWindow, IsSymmetricWithUnitCentreAndScaledEnds)
{
  const float beta = 5.654862f;
  std::vector<float> w(57);
  KaiserWindow(w.data(), 56, beta);
  EXPECT_FLOAT_EQ(w[28], 1.0f);
  EXPECT_FLOAT_EQ(w[0], 1.0f / BesselI0(beta));
  // Symmetric up to the rounding of t = 2i / N - 1, which 1 - t^2 magnifies
  // near the ends.
  for (int i = 0; i <= 56; ++i) EXPECT_NEAR(w[i], w[56 - i], 2e-6f * w[i]) << i;
  for (int i = 1; i <= 28; ++i) EXPECT_GT(w[i], w[i - 1]) << i;

  float single = 7.0f;
  KaiserWindow(&single, 0, beta);
  EXPECT_EQ(single, 1.0f);
}

// --- Shelves: response from the coefficients against the cookbook's closed
// form (gain A^2 on the shelf, A at the corner, 1 on the other side).

struct ShelfCase
{
  int kind;
  float sampleRate;
  float freq;
  float gainDb;
};

std::ostream& operator<<(std::ostream& os, const ShelfCase& c)
{
  return os << (c.kind == 0 ? "low " : "high ") << c.freq << " Hz " << c.gainDb << " dB at " << c.sampleRate;
}

class ShelfResponse : public ::testing::TestWithParam<ShelfCase>
{
};

TEST_P(ShelfResponse, MatchesTheClosedForm)
{
  const ShelfCase& p = GetParam();
  ShelfFilter f;
  ASSERT_TRUE(f.Design(p.sampleRate, 0.5f, p.freq, p.gainDb, p.kind));
  const BiquadCoefficients& c = f.GetCoefficients();

  const double shelfGainDb = p.gainDb;
  const double w0 = 2.0 * kPi * p.freq / p.sampleRate;
  EXPECT_NEAR(c.w0, w0, 1e-5);
  const double atDc = Db(BiquadMagnitude(c, 0.0));
  const double atCorner = Db(BiquadMagnitude(c, double(c.w0)));
  const double atNyquist = Db(BiquadMagnitude(c, kPi));
  const double tol = 0.02; // dB; float coefficients with poles near z = 1
  if (p.kind == ShelfFilter::kLowShelf)
  {
    EXPECT_NEAR(atDc, shelfGainDb, tol);
    EXPECT_NEAR(atNyquist, 0.0, tol);
  }
  else
  {
    EXPECT_NEAR(atDc, 0.0, tol);
    EXPECT_NEAR(atNyquist, shelfGainDb, tol);
  }
  EXPECT_NEAR(atCorner, shelfGainDb / 2.0, tol);
}

INSTANTIATE_TEST_SUITE_P(
    Shelves, ShelfResponse,
    ::testing::Values(ShelfCase{0, 44100.0f, 100.0f, 10.0f}, ShelfCase{0, 48000.0f, 150.0f, -8.6f},
                      ShelfCase{0, 96000.0f, 500.0f, 6.0f}, ShelfCase{0, 44100.0f, 300.0f, 0.0f},
                      ShelfCase{1, 44100.0f, 3000.0f, 10.0f}, ShelfCase{1, 48000.0f, 1500.0f, -8.6f},
                      ShelfCase{1, 96000.0f, 500.0f, -3.0f}, ShelfCase{7, 44100.0f, 1000.0f, 4.0f}));

TEST(ShelfFilter, ZeroGainIsAPassThrough)
{
  for (int kind : {0, 1})
  {
    ShelfFilter f;
    ASSERT_TRUE(f.Design(48000.0f, 0.5f, 1500.0f, 0.0f, kind));
    const BiquadCoefficients& c = f.GetCoefficients();
    EXPECT_NEAR(c.b0, 1.0f, 1e-6f);
    EXPECT_NEAR(c.b1, c.a1, 1e-6f);
    EXPECT_NEAR(c.b2, c.a2, 1e-6f);
  }
}

// Pre-emphasis with trim T and de-emphasis with -0.86 T at the same corner
// leave 0.14 T dB on the shelf side and half of that at the corner.
TEST(ShelfFilter, EmphasisPairNetsFourteenPercentOfTheTrim)
{
  for (int kind : {0, 1})
    for (float trim : {-10.0f, -3.3f, 4.0f, 10.0f})
    {
      const float freq = kind == 0 ? 150.0f : 1500.0f;
      ShelfFilter pre, de;
      ASSERT_TRUE(pre.Design(44100.0f, 0.5f, freq, trim, kind));
      ASSERT_TRUE(de.Design(44100.0f, 0.5f, freq, trim * -0.86f, kind));
      const double shelfSide = kind == 0 ? 0.0 : kPi;
      const double net = Db(BiquadMagnitude(pre.GetCoefficients(), shelfSide) *
                            BiquadMagnitude(de.GetCoefficients(), shelfSide));
      EXPECT_NEAR(net, 0.14 * trim, 0.02) << kind << " " << trim;
      const double w0 = pre.GetCoefficients().w0;
      const double corner =
          Db(BiquadMagnitude(pre.GetCoefficients(), w0) * BiquadMagnitude(de.GetCoefficients(), w0));
      EXPECT_NEAR(corner, 0.07 * trim, 0.02) << kind << " " << trim;
    }
}

// --- High-pass: 0 at DC, 1 at Nyquist, Q at the corner.

struct HighPassCase
{
  float sampleRate;
  float freq;
};

std::ostream& operator<<(std::ostream& os, const HighPassCase& c)
{
  return os << c.freq << " Hz at " << c.sampleRate;
}

class HighPassResponse : public ::testing::TestWithParam<HighPassCase>
{
};

TEST_P(HighPassResponse, MatchesTheClosedForm)
{
  const HighPassCase& p = GetParam();
  const float q = 0.616f;
  HighPassFilter f;
  ASSERT_TRUE(f.Design(p.sampleRate, q, p.freq));
  const BiquadCoefficients& c = f.GetCoefficients();
  EXPECT_NEAR(c.alpha, std::sin(2.0 * kPi * p.freq / p.sampleRate) / (2.0 * q), 1e-5);
  EXPECT_LT(BiquadMagnitude(c, 0.0), 1e-6);
  EXPECT_NEAR(BiquadMagnitude(c, kPi), 1.0, 1e-5);
  EXPECT_NEAR(BiquadMagnitude(c, double(c.w0)), double(q), 1e-3);
}

INSTANTIATE_TEST_SUITE_P(HighPass, HighPassResponse,
                         ::testing::Values(HighPassCase{44100.0f, 100.0f}, HighPassCase{44100.0f, 3000.0f},
                                           HighPassCase{48000.0f, 5000.0f}, HighPassCase{96000.0f, 100.0f}));

TEST(BiquadSection, BadDesignArgumentsAreRejectedAndChangeNothing)
{
  ShelfFilter s;
  ASSERT_TRUE(s.Design(44100.0f, 0.5f, 150.0f, 6.0f, 0));
  const BiquadCoefficients before = s.GetCoefficients();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(s.Design(0.0f, 0.5f, 150.0f, 6.0f, 0));
  EXPECT_FALSE(s.Design(44100.0f, 0.0f, 150.0f, 6.0f, 0));
  EXPECT_FALSE(s.Design(44100.0f, 0.5f, -1.0f, 6.0f, 0));
  EXPECT_FALSE(s.Design(44100.0f, 0.5f, 150.0f, nan, 0));
  EXPECT_EQ(s.GetCoefficients().b0, before.b0);
  EXPECT_EQ(s.GetCoefficients().a1, before.a1);

  HighPassFilter h;
  ASSERT_TRUE(h.Design(44100.0f, 0.616f, 3000.0f));
  const float b0 = h.GetCoefficients().b0;
  EXPECT_FALSE(h.Design(-44100.0f, 0.616f, 3000.0f));
  EXPECT_FALSE(h.Design(44100.0f, 0.0f, 3000.0f));
  EXPECT_FALSE(h.Design(44100.0f, 0.616f, std::numeric_limits<float>::infinity()));
  EXPECT_EQ(h.GetCoefficients().b0, b0);
}

TEST(BiquadSection, ChannelsAreIndependentAndMonoMatchesLeft)
{
  ShelfFilter stereo, mono;
  ASSERT_TRUE(stereo.Design(48000.0f, 0.5f, 1500.0f, 8.0f, 1));
  ASSERT_TRUE(mono.Design(48000.0f, 0.5f, 1500.0f, 8.0f, 1));
  for (int n = 0; n < 200; ++n)
  {
    const float x = std::sin(0.05f * float(n));
    float l, r;
    stereo.ProcessStereo(x, 0.0f, l, r);
    EXPECT_EQ(l, mono.ProcessMono(x)) << n;
    EXPECT_EQ(r, 0.0f) << n;
    EXPECT_EQ(stereo.GetLastLeft(), l);
  }
}

// The recursion reproduces the response its coefficients describe.
TEST(BiquadSection, SteadyStateSineFollowsTheDesignedMagnitude)
{
  const double fs = 44100.0;
  for (double freq : {200.0, 1000.0, 8000.0})
  {
    ShelfFilter shelf;
    HighPassFilter highPass;
    ASSERT_TRUE(shelf.Design(float(fs), 0.5f, 1000.0f, 9.0f, 1));
    ASSERT_TRUE(highPass.Design(float(fs), 0.616f, 1000.0f));
    const double w = 2.0 * kPi * freq / fs;
    double peakShelf = 0.0, peakHighPass = 0.0;
    for (int n = 0; n < 6000; ++n)
    {
      const float x = float(std::sin(w * n));
      float l, r;
      shelf.ProcessStereo(x, x, l, r);
      const float h = highPass.ProcessMono(x);
      if (n >= 4000)
      {
        peakShelf = std::max(peakShelf, double(std::fabs(l)));
        peakHighPass = std::max(peakHighPass, double(std::fabs(h)));
      }
    }
    EXPECT_NEAR(peakShelf, BiquadMagnitude(shelf.GetCoefficients(), w), 2e-3 * peakShelf) << freq;
    EXPECT_NEAR(peakHighPass, BiquadMagnitude(highPass.GetCoefficients(), w), 2e-3) << freq;
  }
}

TEST(BiquadSection, NonFiniteStateIsDetectedAndCleared)
{
  HighPassFilter f;
  ASSERT_TRUE(f.Design(44100.0f, 0.616f, 1000.0f));
  float l, r;
  f.ProcessStereo(0.5f, 0.25f, l, r);
  EXPECT_TRUE(f.IsFinite());
  f.ProcessStereo(0.0f, std::numeric_limits<float>::quiet_NaN(), l, r);
  EXPECT_FALSE(f.IsFinite());
  f.Clear();
  EXPECT_TRUE(f.IsFinite());
  EXPECT_EQ(f.GetLastRight(), 0.0f);
  f.ProcessStereo(0.0f, 0.0f, l, r);
  EXPECT_EQ(l, 0.0f);
  EXPECT_EQ(r, 0.0f);
}

// --- Output FIR: the effect's two configurations.

struct FirCase
{
  float sampleRate;
  int taps;
  float cutoff;
};

std::ostream& operator<<(std::ostream& os, const FirCase& c)
{
  return os << c.sampleRate << " Hz";
}

class OutputFir : public ::testing::TestWithParam<FirCase>
{
};

TEST_P(OutputFir, LengthCutoffSymmetryAndUnityDcGain)
{
  const FirCase& p = GetParam();
  LowPassFIR fir;
  ASSERT_TRUE(ConfigureExciterOutputFilter(fir, p.sampleRate));
  ASSERT_EQ(fir.GetLength(), p.taps);
  EXPECT_EQ(fir.GetHalf(), (p.taps - 1) / 2);
  EXPECT_FLOAT_EQ(fir.GetCutoff(), p.cutoff);

  const std::vector<float>& h = fir.GetCoefficients();
  double sum = 0.0;
  for (float v : h) sum += v;
  EXPECT_NEAR(sum, 1.0, 1e-6);
  for (int k = 0; k < p.taps; ++k) EXPECT_NEAR(h[k], h[p.taps - 1 - k], 2e-6f * std::fabs(h[k])) << k;

  // The windowed sinc is at half amplitude at its cut-off and flat well below.
  const double wc = 2.0 * kPi * p.cutoff / p.sampleRate;
  EXPECT_NEAR(FirMagnitude(h, wc), 0.5, 0.05);
  EXPECT_NEAR(FirMagnitude(h, 0.6 * wc), 1.0, 0.002);

  // The impulse response peaks after exactly half samples. The tap loop pairs
  // each first-half coefficient with its mirror sample, so the response is
  // the first half of the kernel reflected: exactly symmetric.
  std::vector<float> left, right;
  for (int n = 0; n < 3 * p.taps; ++n)
  {
    float l, r;
    fir.ProcessStereo(n == 0 ? 1.0f : 0.0f, n == 0 ? -1.0f : 0.0f, l, r);
    left.push_back(l);
    right.push_back(r);
  }
  for (int n = 0; n < 3 * p.taps; ++n)
  {
    const int half = (p.taps - 1) / 2;
    const float expected = n <= half ? h[n] : n < p.taps ? h[p.taps - 1 - n] : 0.0f;
    EXPECT_FLOAT_EQ(left[n], expected) << n;
    EXPECT_FLOAT_EQ(right[n], -expected) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, OutputFir,
                         ::testing::Values(FirCase{44100.0f, 57, 21388.5f}, FirCase{48000.0f, 57, 23280.0f},
                                           FirCase{96000.0f, 29, 45600.0f},
                                           FirCase{192000.0f, 29, 91200.0f}));

TEST(LowPassFIR, DefaultsMonoClearAndBadArguments)
{
  LowPassFIR fir;
  EXPECT_EQ(fir.GetLength(), 21);
  EXPECT_EQ(fir.GetCutoff(), 4000.0f);

  LowPassFIR stereo;
  for (int n = 0; n < 60; ++n)
  {
    const float x = float(n % 7) - 3.0f;
    float l, r;
    stereo.ProcessStereo(x, 1.0f, l, r);
    EXPECT_EQ(fir.ProcessMono(x), l) << n;
  }

  fir.ProcessMono(std::numeric_limits<float>::infinity());
  EXPECT_FALSE(fir.IsFinite());
  fir.Clear();
  EXPECT_TRUE(fir.IsFinite());
  EXPECT_EQ(fir.ProcessMono(0.0f), 0.0f);

  EXPECT_FALSE(fir.Configure(-1, 1000.0f, 44100.0f));
  EXPECT_FALSE(fir.Configure(10, 1000.0f, 0.0f));
  EXPECT_FALSE(fir.Configure(10, 0.0f, 44100.0f));
  EXPECT_FALSE(fir.Configure(LowPassFIR::kMaxHalfLength + 1, 1000.0f, 44100.0f));
  EXPECT_FALSE(fir.Design(std::numeric_limits<float>::quiet_NaN()));
  EXPECT_EQ(fir.GetLength(), 21);
  EXPECT_EQ(fir.GetCutoff(), 4000.0f);

  // A single tap is a pass-through.
  ASSERT_TRUE(fir.Configure(0, 1000.0f, 44100.0f));
  EXPECT_EQ(fir.ProcessMono(0.75f), 0.75f);
}

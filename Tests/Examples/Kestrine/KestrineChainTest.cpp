// The effect's chain, checked against closed forms where it allows them: each
// case would pass over a control that is wired to the wrong place.
#include "KestrineEffectHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <utility>

using namespace iplug;

namespace
{

using Audio = std::vector<std::vector<float>>;

Audio Render(const std::vector<std::pair<int, double>>& settings, const Audio& in, double rate = 48000.)
{
  KestrineHarness h(rate, static_cast<int>(in.size()));
  for (const auto& s : settings) h.Set(s.first, s.second);
  return h.Process(in);
}

double Db(double ratio)
{
  return 20. * std::log10(ratio);
}

// Level of out relative to in (dB), out delayed by latency, over the last half.
double GainDb(const Audio& in, const Audio& out, int latency)
{
  const int frames = static_cast<int>(in[0].size());
  return Db(Rms(out[0], frames / 2, frames) / Rms(in[0], frames / 2 - latency, frames - latency));
}

TEST(KestrineChain, EmphasisShelvesNetFourteenHundredthsOfTheTrimOnASmallSignal)
{
  // Pre-emphasis by the trim, de-emphasis by -0.86 x the trim: 0.14 x trim dB
  // far into the shelf and half of that at its corner frequency.
  struct
  {
    std::vector<std::pair<int, double>> settings;
    float hz;
    double netDb;
  } cases[] = {{{{kLowTrim, 10.}, {kLowEQ, 500.}}, 20.f, 1.4},
               {{{kLowTrim, 10.}}, 150.f, 0.7},
               {{{kLowTrim, -10.}, {kLowEQ, 300.}}, 300.f, -0.7},
               {{{kHighTrim, 10.}, {kHighEQ, 500.}}, 15000.f, 1.4},
               {{{kHighTrim, 10.}, {kHighEQ, 500.}}, 500.f, 0.7},
               {{{kHighTrim, 10.}, {kHighEQ, 3000.}}, 3000.f, 0.7},
               {{{kHighTrim, -6.}}, 1500.f, -0.42}};
  for (const auto& c : cases)
  {
    const auto in = Sine(1, 48000, 0.001f, c.hz, 48000.f);
    const double base = GainDb(in, Render({}, in), 60);
    EXPECT_NEAR(GainDb(in, Render(c.settings, in), 60) - base, c.netDb, 0.01) << c.hz << " Hz";
  }
}

TEST(KestrineChain, IOTrimIsAnExactOutputGain)
{
  const auto in = Noise(2, 6000, 0.8f);
  for (int mode : {kModeSaturator, kModeExciter})
  {
    const auto plain = Render({{kMode, mode}, {kDrive, 12.}}, in);
    for (double trim : {-10., -1.2000000476837158, 6.})
    {
      const auto trimmed = Render({{kMode, mode}, {kDrive, 12.}, {kIOTrim, trim}}, in);
      const float gain = powf(10.f, static_cast<float>(trim) / 20.f);
      for (int c = 0; c < 2; ++c)
        for (int s = 0; s < 6000; ++s)
          ASSERT_EQ(trimmed[c][s], plain[c][s] * gain) << "mode " << mode << " trim " << trim << " @" << s;
    }
  }
}

TEST(KestrineChain, ExciterAddsTheScaledResidueToTheDelayedInput)
{
  for (int channels : {1, 2})
  {
    const int ch = channels - 1; // the right channel in stereo
    // Driven 20 dB with trims, a quiet signal leaves almost no residue: Solo
    // gives near silence, otherwise the dry input comes out 88 samples late
    // (the residue is taken from the driven signal, the dry sum from the input).
    const auto in = Sine(channels, 24000, 0.001f, 1000.f, 48000.f);
    const double inRms = Rms(in[ch], 12000 - 88, 24000 - 88);
    for (int solo : {0, 1})
    {
      const auto out =
          Render({{kMode, kModeExciter}, {kDrive, 20.}, {kLowTrim, 4.}, {kHighTrim, -3.}, {kSolo, solo}}, in);
      std::vector<float> error(24000);
      for (int s = 88; s < 24000; ++s) error[s] = out[ch][s] - (solo ? 0.f : in[ch][s - 88]);
      EXPECT_LT(Rms(error, 12000, 24000), 0.01 * inRms) << channels << " channels, solo " << solo;
    }
    // Loud, the residue scales with Mix: two mixes differ by the solo output
    // times the difference of their gains.
    const auto loud = Noise(channels, 12000, 0.9f);
    const auto solo = Render({{kMode, kModeExciter}, {kDrive, 18.}, {kSolo, 1}}, loud);
    const auto high = Render({{kMode, kModeExciter}, {kDrive, 18.}, {kMix, 10.}}, loud);
    const auto low = Render({{kMode, kModeExciter}, {kDrive, 18.}, {kMix, -20.}}, loud);
    const float gains = powf(10.f, 0.5f) - powf(10.f, -1.f);
    EXPECT_GT(Rms(solo[ch], 1000, 12000), 0.01);
    for (int s = 1000; s < 12000; ++s)
      ASSERT_NEAR(high[ch][s] - low[ch][s], solo[ch][s] * gains, 1e-4 * gains)
          << channels << " channels @" << s;
  }
}

TEST(KestrineChain, HighPassSetAtAnyTimeMatchesTheOneDesignedAtReset)
{
  // HPF set before the reset is designed there; set after it, it reaches the
  // audio thread at the next block start. Both must give the same filter.
  const auto in = Noise(1, 8000, 0.9f);
  for (double hpf : {100., 700., 5000.})
  {
    KestrineHarness atReset(48000., 1), later(48000., 1);
    for (KestrineHarness* h : {&atReset, &later})
    {
      h->Set(kMode, kModeExciter);
      h->Set(kSolo, 1);
      h->Set(kDrive, 18.);
    }
    atReset.Set(kHPF, hpf);
    atReset.effect->OnReset();
    later.Set(kHPF, hpf);
    EXPECT_EQ(atReset.Process(in), later.Process(in)) << hpf;
  }
  // A 200 Hz tone's distortion products lie mostly below 5 kHz.
  const auto tone = Sine(1, 8000, 0.9f, 200.f, 48000.f);
  const double lowCorner =
      Rms(Render({{kMode, 1}, {kSolo, 1}, {kDrive, 18.}, {kHPF, 100.}}, tone)[0], 0, 8000);
  const double highCorner =
      Rms(Render({{kMode, 1}, {kSolo, 1}, {kDrive, 18.}, {kHPF, 5000.}}, tone)[0], 0, 8000);
  EXPECT_GT(lowCorner, 100. * highCorner);
}

TEST(KestrineChain, MeterFallsAboutElevenAndAHalfDecibelsPerSecond)
{
  for (double rate : {44100., 96000.})
  {
    KestrineHarness h(rate);
    h.Set(kDrive, 30.);
    h.Process(Sine(2, 4096, 0.9f, 200.f, static_cast<float>(rate)));
    h.Process(Impulse(2, 256, 0.f)); // the resamplers' tail
    const float start = h.effect->GetMeter(0);
    ASSERT_GT(Db(start), 20.);
    h.Process(Impulse(2, static_cast<int>(rate), 0.f));
    EXPECT_NEAR(Db(start) - Db(h.effect->GetMeter(0)), 11.49, 0.05) << rate;
  }
}

TEST(KestrineChain, EveryFactoryPresetHoldsItsElevenValues)
{
  // Bypass, Drive, LowTrim, HighTrim, IOTrim, LowEQ, HighEQ, Mode, HPF, Mix, Solo.
  const struct
  {
    const char* name;
    double values[kNumParams];
  } presets[] = {
      {"Default", {0, 0, 0, 0, 0, 150, 1500, 0, 3000, 0, 0}},
      {"JustaTouch", {0, -10, -1, 1, 0, 500, 500, 0, 3000, 0, 0}},
      {"SummingBus", {0, 0, -1, 1, 1, 500, 500, 0, 3000, 0, 0}},
      {"TransientSupp", {0, 4, -10, 10, 1, 500, 500, 0, 3000, 0, 0}},
      {"HotMastr1", {0, 5.5, -4, 1, 1.7999999523162842, 200, 2000, 0, 3000, 0, 0}},
      {"HotMastr2", {0, 7, -3, 1, 3, 200, 2000, 0, 3000, 0, 0}},
      {"HotMastr3", {0, 8.5, -5, 2, 2.5999999046325684, 300, 1500, 0, 3000, 0, 0}},
      {"HotVox", {0, 11, -3, 4, 4.599999904632568, 300, 1500, 0, 3000, 0, 0}},
      {"HotSnare", {0, 15, 4, 0, 4, 300, 1000, 0, 3000, 0, 0}},
      {"HotKick", {0, 12, -4, -4, 3.5, 200, 1000, 0, 3000, 0, 0}},
      {"HotBass", {0, 12, -5, 4, 4.599999904632568, 300, 1200, 0, 3000, 0, 0}},
      {"MixExciter", {0, 10, -6, 6, -1.2000000476837158, 300, 1000, 1, 3000, 0, 0}},
      {"MVoxExciter", {0, 11, -6, 4, -0.5, 300, 2500, 1, 1200, 2, 0}},
      {"FVoxExciter", {0, 14, -6, 6, -1, 300, 2000, 1, 2000, 3, 0}},
      {"KickExciter", {0, 9, -6, 6, -0.20000000298023224, 300, 1000, 1, 1000, 4, 0}},
  };
  Kestrine k(InstanceInfo{});
  ASSERT_EQ(static_cast<int>(std::size(presets)), k.NPresets());
  // Recalled in reverse so that every value is seen to change where it can.
  for (int i = k.NPresets() - 1; i >= 0; --i)
  {
    EXPECT_STREQ(k.PresetName(i), presets[i].name);
    ASSERT_TRUE(k.RecallPreset(i)) << i;
    for (int p = 0; p < kNumParams; ++p)
      EXPECT_EQ(k.GetParam(p)->Value(), presets[i].values[p]) << presets[i].name << " parameter " << p;
  }
}

} // namespace

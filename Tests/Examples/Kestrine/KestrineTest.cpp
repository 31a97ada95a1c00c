#include "KestrineEffectHarness.h"

#include <gtest/gtest.h>

#include <xmmintrin.h>

#include <cstring>
#include <limits>
#include <string>

using namespace iplug;

namespace
{

TEST(KestrineEffect, ConstructionDefinesParametersAndPresets)
{
  Kestrine k(InstanceInfo{});
  EXPECT_EQ(k.NParams(), 11);
  EXPECT_EQ(k.NPresets(), 15);
  struct
  {
    int param;
    double value;
    const char* text;
  } texts[] = {{kBypass, 0., "Process"}, {kBypass, 1., "Bypass"},  {kSolo, 0., "Normal"},
               {kSolo, 1., "Solo"},      {kMode, 0., "Saturator"}, {kMode, 1., "Exciter"}};
  for (auto& t : texts)
  {
    std::string display;
    k.GetParam(t.param)->FormatValue(t.value, false, display);
    EXPECT_EQ(display, t.text);
  }
  EXPECT_DOUBLE_EQ(k.GetParam(kHPF)->ValueFromNormal(0.5), 1325.);
  EXPECT_EQ(VersionText(k.GetPluginVersion()), "v1.0.1");
  const char* names[] = {"Default",   "JustaTouch", "SummingBus",  "TransientSupp", "HotMastr1",
                         "HotMastr2", "HotMastr3",  "HotVox",      "HotSnare",      "HotKick",
                         "HotBass",   "MixExciter", "MVoxExciter", "FVoxExciter",   "KickExciter"};
  for (int i = 0; i < 15; ++i) EXPECT_STREQ(k.PresetName(i), names[i]);
  const double defaults[] = {0., 0., 0., 0., 0., 150., 1500., 0., 3000., 0., 0.};
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(k.GetParam(i)->Value(), defaults[i]) << i;
}

TEST(KestrineEffect, PresetsStoreWidenedFloatTrimsExactly)
{
  Kestrine k(InstanceInfo{});
  const struct
  {
    const char* name;
    double ioTrim;
  } trims[] = {{"HotMastr1", 1.7999999523162842},
               {"HotMastr3", 2.5999999046325684},
               {"HotVox", 4.599999904632568},
               {"HotBass", 4.599999904632568},
               {"MixExciter", -1.2000000476837158},
               {"KickExciter", -0.20000000298023224},
               {"HotKick", 3.5}};
  for (auto& t : trims)
  {
    ASSERT_TRUE(k.RecallPreset(t.name)) << t.name;
    EXPECT_EQ(k.GetParam(kIOTrim)->Value(), t.ioTrim) << t.name;
  }
}

TEST(KestrineEffect, RecallingExciterThenSaturatorPreset)
{
  KestrineHarness h;
  Kestrine& k = *h.effect;
  ASSERT_TRUE(k.RecallPreset("MixExciter"));
  EXPECT_EQ(k.GetParam(kMode)->Value(), 1.);
  EXPECT_EQ(k.GetParam(kIOTrim)->Value(), -1.2000000476837158);
  EXPECT_EQ(k.GetParam(kBypass)->Value(), 0.);
  EXPECT_EQ(k.GetParam(kSolo)->Value(), 0.);
  EXPECT_EQ(k.GetParam(kHPF)->Value(), 3000.);
  EXPECT_EQ(k.GetParam(kMix)->Value(), 0.);
  ASSERT_TRUE(k.RecallPreset("HotKick"));
  EXPECT_EQ(k.GetParam(kMode)->Value(), 0.);
  EXPECT_EQ(k.GetParam(kDrive)->Value(), 12.);
  EXPECT_EQ(k.GetParam(kLowTrim)->Value(), -4.);
}

struct LatencyCase
{
  double sampleRate;
  int saturator, exciter;
};

class KestrineLatency : public ::testing::TestWithParam<LatencyCase>
{
};

TEST_P(KestrineLatency, ReportedLatencyMatchesImpulseDelay)
{
  const LatencyCase& c = GetParam();
  for (int mode : {kModeSaturator, kModeExciter})
  {
    KestrineHarness h(c.sampleRate);
    h.Set(kMode, mode);
    h.Process(Impulse(2, 64, 0.f)); // serves the mode change
    const int expected = mode == kModeExciter ? c.exciter : c.saturator;
    EXPECT_EQ(h.effect->GetLatency(), expected) << c.sampleRate << " mode " << mode;
    auto out = h.Process(Impulse(2, 1024, 0.01f));
    EXPECT_EQ(PeakIndex(out[0]), expected) << c.sampleRate << " mode " << mode;
    EXPECT_EQ(PeakIndex(out[1]), expected) << c.sampleRate << " mode " << mode;
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, KestrineLatency,
                         ::testing::Values(LatencyCase{44100., 60, 88}, LatencyCase{48000., 60, 88},
                                           LatencyCase{88200., 30, 44}, LatencyCase{96000., 30, 44},
                                           LatencyCase{192000., 30, 44}));

TEST(KestrineEffect, ModeSwitchReportsLatencyAtTheEndOfTheBlock)
{
  KestrineHarness h(44100.);
  EXPECT_EQ(h.effect->GetLatency(), 60);
  h.Set(kMode, 1);
  EXPECT_EQ(h.effect->GetLatency(), 60); // not before a block has run
  h.Process(Impulse(2, 32, 0.f), 32);
  EXPECT_EQ(h.effect->GetLatency(), 88);
  h.Set(kMode, 0);
  h.Process(Impulse(2, 32, 0.f), 32);
  EXPECT_EQ(h.effect->GetLatency(), 60);
}

TEST(KestrineEffect, BypassIsTheInputDelayedByTheLatencyFromTheFirstSample)
{
  // Bypass set before the first block, or between blocks after some audio has
  // run; the delay never restarts from silence when the latency is reported.
  struct
  {
    int mode, block, channels;
    bool fromStart;
  } cases[] = {{kModeSaturator, 512, 2, true}, {kModeSaturator, 64, 1, true}, {kModeExciter, 512, 2, true},
               {kModeExciter, 64, 1, true},    {kModeExciter, 1, 2, true},    {kModeSaturator, 300, 2, false},
               {kModeExciter, 100, 2, false},  {kModeExciter, 4096, 1, false}};
  for (const auto& c : cases)
  {
    KestrineHarness h(44100., c.channels);
    h.Set(kMode, c.mode);
    h.Set(kDrive, 20.);
    if (c.fromStart) h.Set(kBypass, 1);
    const auto in = Noise(c.channels, 5000, 0.9f);
    std::vector<std::vector<float>> out(static_cast<size_t>(c.channels), std::vector<float>(5000));
    int start = 0;
    for (; start < 5000; start += c.block)
    {
      if (!c.fromStart && start >= 1000) h.Set(kBypass, 1);
      h.ProcessBlock(in, out, start, std::min(c.block, 5000 - start));
    }
    const int latency = h.effect->GetLatency();
    EXPECT_EQ(latency, c.mode == kModeExciter ? 88 : 60);
    const int from = c.fromStart ? 0 : (1000 + c.block - 1) / c.block * c.block;
    for (int ch = 0; ch < c.channels; ++ch)
      for (int s = from; s < 5000; ++s)
        ASSERT_EQ(out[ch][s], s < latency ? 0.f : in[ch][s - latency])
            << "mode " << c.mode << " block " << c.block << " channels " << c.channels << " ch " << ch << " @"
            << s;
  }
}

TEST(KestrineEffect, BypassFollowsAModeChangeWithoutAGap)
{
  KestrineHarness h(44100.);
  h.Set(kBypass, 1);
  const auto in = Noise(2, 3000, 0.5f);
  std::vector<std::vector<float>> out(2, std::vector<float>(3000));
  h.ProcessBlock(in, out, 0, 1000);
  h.Set(kMode, kModeExciter);
  h.ProcessBlock(in, out, 1000, 1000);
  h.Set(kMode, kModeSaturator);
  h.ProcessBlock(in, out, 2000, 1000);
  for (int s = 100; s < 3000; ++s)
  {
    const int latency = s >= 1000 && s < 2000 ? 88 : 60;
    ASSERT_EQ(out[0][s], in[0][s - latency]) << s;
  }
}

TEST(KestrineEffect, SilenceGivesSilenceAndUnityMeters)
{
  for (int mode : {kModeSaturator, kModeExciter})
  {
    KestrineHarness h;
    h.Set(kMode, mode);
    auto out = h.Process(Impulse(2, 3000, 0.f));
    for (auto& ch : out)
      for (float v : ch) ASSERT_EQ(v, 0.f);
    EXPECT_EQ(h.effect->GetMeter(0), 1.f);
    EXPECT_EQ(h.effect->GetMeter(1), 1.f);
    EXPECT_TRUE(h.effect->TakeMeterDirty());
    EXPECT_FALSE(h.effect->TakeMeterDirty());
  }
}

TEST(KestrineEffect, MonoWritesItsSingleOutputAndHoldsTheRightMeterAtZero)
{
  KestrineHarness mono(48000., 1);
  KestrineHarness stereo(48000., 2);
  auto in = Sine(2, 4000, 0.8f, 440.f, 48000.f);
  in[1] = in[0];
  auto outMono = mono.Process({in[0]});
  auto outStereo = stereo.Process(in);
  EXPECT_EQ(outMono[0], outStereo[0]); // the mono forms compute the left channel exactly
  EXPECT_EQ(mono.effect->GetMeter(1), 0.f);
  EXPECT_GT(mono.effect->GetMeter(0), 1.f);
  EXPECT_EQ(mono.effect->GetMeter(0), stereo.effect->GetMeter(0));
}

TEST(KestrineEffect, QuietSineComesOutAboutSevenThousandthsOfADecibelLower)
{
  KestrineHarness h(48000.);
  // -40 dBFS at 100 Hz, low enough that the resamplers' pass-band ripple
  // (a few thousandths of a dB further up) does not mask the figure.
  const float amplitude = 0.01f;
  auto in = Sine(2, 48000, amplitude, 100.f, 48000.f);
  auto out = h.Process(in);
  const int latency = h.effect->GetLatency();
  const double inRms = Rms(in[0], 10000 - latency, 40000 - latency);
  const double outRms = Rms(out[0], 10000, 40000);
  const double db = 20. * std::log10(outRms / inRms);
  EXPECT_NEAR(db, 20. * std::log10(0.86 / 0.860663), 0.002);
}

TEST(KestrineEffect, DriveGlideKeepsSmallSignalLevelCompensated)
{
  KestrineHarness h(48000.);
  auto in = Sine(2, 24000, 0.001f, 1000.f, 48000.f);
  auto before = h.Process(in);
  h.Set(kDrive, 30.);
  auto during = h.Process(in);
  const double ref = Rms(before[0], 12000, 24000);
  // 30 dB more drive into the clipper, divided out again once the glide has
  // settled (0.993 per sample: within 0.1 % after about 1000 samples).
  EXPECT_NEAR(20. * std::log10(Rms(during[0], 12000, 24000) / ref), 0., 0.01);
  // While it glides the compensation follows the gain of the current sample,
  // not of the sample now leaving the clipper, so the level dips briefly.
  EXPECT_LT(Rms(during[0], 0, 600), ref);
}

TEST(KestrineEffect, HugeFiniteInputSaturatesInsteadOfFallingSilent)
{
  auto peakFor = [](float amplitude)
  {
    KestrineHarness h(48000.);
    auto out = h.Process(Sine(2, 4800, amplitude, 100.f, 48000.f));
    float peak = 0.f;
    for (int s = 480; s < 4800; ++s) peak = std::max(peak, std::fabs(out[0][s]));
    return peak;
  };
  const float reference = peakFor(1e6f);
  EXPECT_GT(reference, 1.5f);
  for (float amplitude : {1e19f, 1e20f, 1e25f, 1e30f})
    EXPECT_NEAR(peakFor(amplitude), reference, 1e-3f * reference) << amplitude;
}

TEST(KestrineEffect, OutputDoesNotDependOnBlockSize)
{
  for (int mode : {kModeSaturator, kModeExciter})
  {
    std::vector<std::vector<float>> reference;
    for (int block : {4096, 1, 17, 512})
    {
      KestrineHarness h(44100.);
      h.Set(kMode, mode);
      h.Set(kDrive, 12.);
      h.Set(kLowTrim, -4.);
      h.Set(kHighTrim, 6.);
      auto out = h.Process(Noise(2, 9000, 0.7f), block);
      if (reference.empty())
        reference = out;
      else
        EXPECT_EQ(out, reference) << "block " << block << " mode " << mode;
    }
  }
}

TEST(KestrineEffect, DenormalModesAreRestoredAfterEachBlock)
{
  const unsigned before = _mm_getcsr();
  _mm_setcsr(before & ~0x8040u);
  KestrineHarness h;
  h.Process(Noise(2, 100, 0.5f));
  EXPECT_EQ(_mm_getcsr() & 0x8040u, 0u);
  _mm_setcsr(before | 0x8040u);
  h.Process(Noise(2, 100, 0.5f));
  EXPECT_EQ(_mm_getcsr() & 0x8040u, 0x8040u);
  _mm_setcsr(before);
}

TEST(KestrineEffect, RecoversFromNonFiniteInputWithinOneBlock)
{
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    for (int mode : {kModeSaturator, kModeExciter})
      for (int bypass : {0, 1})
      {
        KestrineHarness h;
        h.Set(kMode, mode);
        h.Set(kBypass, bypass);
        auto burst = Noise(2, 512, 0.5f);
        for (int s = 100; s < 200; ++s) burst[0][s] = burst[1][s] = bad;
        h.Process(burst);
        auto out = h.Process(Noise(2, 512, 0.5f, 7));
        for (auto& ch : out)
          for (float v : ch) ASSERT_TRUE(std::isfinite(v)) << "mode " << mode << " bypass " << bypass;
      }
}

TEST(KestrineEffect, NonFiniteRecoveryDoesNotDependOnBlockSize)
{
  // One NaN just past a check point (frame 1024 = 4 x 256 since the reset):
  // the longest the output can stay non-finite is until the next one.
  constexpr int kBadFrame = 4 * kVectorChunkFrames + 1;
  for (EProcessingPath path : {kPathPlain, kPathSSE2})
    for (int mode : {kModeSaturator, kModeExciter})
    {
      std::vector<std::vector<float>> reference;
      for (int block : {512, 65536, 1, 100, 4096})
      {
        KestrineHarness h(44100., 2, 65536);
        ASSERT_TRUE(h.effect->SetProcessingPath(path));
        h.Set(kMode, mode);
        auto in = Noise(2, 20000, 0.5f);
        in[0][kBadFrame] = std::numeric_limits<float>::quiet_NaN();
        auto out = h.Process(in, block);
        int nonFinite = 0;
        for (float v : out[0]) nonFinite += !std::isfinite(v);
        EXPECT_GT(nonFinite, 0) << "path " << path << " mode " << mode << " block " << block;
        EXPECT_LT(nonFinite, kVectorChunkFrames) << "path " << path << " mode " << mode << " block " << block;
        for (int s = 0; s < 20000; ++s)
        {
          if (s >= kBadFrame && s < 5 * kVectorChunkFrames) continue;
          ASSERT_TRUE(std::isfinite(out[0][s]) && std::isfinite(out[1][s]))
              << "path " << path << " mode " << mode << " block " << block << " @" << s;
        }
        // Bit for bit, NaNs included (memcmp: NaN never compares equal).
        if (reference.empty())
          reference = out;
        else
          for (int c = 0; c < 2; ++c)
            EXPECT_EQ(std::memcmp(out[c].data(), reference[c].data(), out[c].size() * sizeof(float)), 0)
                << "path " << path << " mode " << mode << " block " << block << " ch " << c;
      }
    }
}

} // namespace

namespace
{

TEST(KestrineEffect, ResetAtANewRateLeavesNoStaleExciterHistory)
{
  KestrineHarness h(48000.);
  h.Set(kMode, kModeExciter);
  h.Process(Noise(2, 4096, 0.9f));
  h.effect->SetSampleRate(96000.);
  h.effect->OnReset();
  auto out = h.Process(Impulse(2, 512, 0.f));
  for (auto& ch : out)
    for (float v : ch) ASSERT_EQ(v, 0.f);
}

TEST(KestrineEffect, ActivationKeepsDesignsAndLatency)
{
  KestrineHarness h(96000.);
  h.Set(kMode, kModeExciter);
  h.Process(Noise(2, 1024, 0.5f));
  h.effect->OnActivate(false); // nothing
  EXPECT_EQ(h.effect->GetLatency(), 44);
  h.effect->OnActivate(true);
  EXPECT_EQ(h.effect->GetLatency(), 44);
  // Activation keeps the resampler and FIR designs: the exciter path still
  // has the 96000 Hz filter lengths once the old resampler history has played out.
  h.Process(Impulse(2, 4096, 0.f));
  auto out = h.Process(Impulse(2, 1024, 0.01f));
  EXPECT_EQ(PeakIndex(out[0]), 44);
}

} // namespace

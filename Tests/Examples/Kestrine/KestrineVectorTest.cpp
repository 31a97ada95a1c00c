// The vector paths give the plain path's samples to the last bit: every rate
// class, mono and stereo, each mode, block sizes from 1 to 4096 and random,
// parameter changes between blocks, and signals that reach the clipper's
// extremes (up to inputs whose squares overflow), the denormal range and a
// non-finite burst with its recovery.
// Each path the CPU runs is forced in turn (under Wine too).
#include "KestrineEffectHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

using namespace iplug;

namespace
{

using Signal = std::vector<std::vector<float>>;

// One stretch of the test signal.
struct Segment
{
  const char* name;
  int frames;
};

constexpr Segment kSegments[] = {{"noise", 1100},    {"hot sine", 1100},  {"huge", 600},
                                 {"impulses", 900},  {"silence", 700},    {"denormals", 700},
                                 {"NaN burst", 600}, {"noise after", 900}};

// The segments one after the other, per channel (the channels differ).
Signal TestSignal(int channels, float sampleRate)
{
  Signal x(static_cast<size_t>(channels));
  unsigned seed = 11;
  auto noise = [&seed](float amplitude)
  {
    seed = seed * 1664525u + 1013904223u;
    return amplitude * (static_cast<float>(seed >> 8) / 8388608.f - 1.f);
  };
  for (int c = 0; c < channels; ++c)
    for (const Segment& seg : kSegments)
      for (int s = 0; s < seg.frames; ++s)
      {
        const std::string name = seg.name;
        float v = 0.f;
        if (name == "noise" || name == "noise after")
          v = noise(0.8f);
        else if (name == "hot sine") // +12 dBFS: deep into the clipper
          v = 4.f * std::sin(6.2831853f * 997.f * s / sampleRate + c);
        else if (name == "huge") // finite, but the clipper's squares overflow
          v = (s < 300 ? 2e19f : 1e30f) * std::sin(6.2831853f * 613.f * s / sampleRate + c);
        else if (name == "impulses")
          v = s % (97 + 14 * c) == 0 ? (s % 2 ? -1.f : 1.f) : 0.f;
        else if (name == "denormals")
          v = (s % 3 - 1) * 3e-39f * (c + 1);
        else if (name == "NaN burst")
          v = s >= 200 && s < 230 ? std::numeric_limits<float>::quiet_NaN()
              : s == 240          ? std::numeric_limits<float>::infinity()
                                  : noise(0.5f);
        x[c].push_back(v);
      }
  return x;
}

const char* SegmentAt(int frame)
{
  for (const Segment& seg : kSegments)
  {
    if (frame < seg.frames) return seg.name;
    frame -= seg.frames;
  }
  return "end";
}

// Parameter changes made between blocks, at the first block boundary at or
// after the frame given: the drive glide, trims and corners (shelves
// redesigned at the next block), the high-pass through its mailbox, Mode with
// its latency change, and the exciter's gains.
struct Change
{
  int frame;
  int param;
  double value;
};

constexpr Change kChanges[] = {{500, kDrive, 18.},  {900, kLowTrim, -6.}, {900, kHighTrim, 7.},
                               {1500, kHPF, 800.},  {2100, kMode, -1.},   {2600, kIOTrim, -3.},
                               {2600, kMix, 4.},    {3300, kLowEQ, 420.}, {3300, kHighEQ, 900.},
                               {3900, kDrive, -4.}, {4500, kMode, -1.},   {5200, kHPF, 4000.},
                               {5600, kDrive, 24.}};

enum EStart
{
  kStartSaturator,
  kStartExciter,
  kStartSolo,
  kStartBypass
};

const char* StartName(int start)
{
  const char* names[] = {"saturator", "exciter", "exciter solo", "bypass"};
  return names[start];
}

// Block sizes: a fixed size, or (0) pseudo-random sizes from 1 to 700.
constexpr int kBlockSizes[] = {1, 3, 64, 333, 512, 4096, 0};

struct Rendered
{
  std::vector<std::vector<float>> out;
  std::vector<float> meters;  // both meters after every block
  std::vector<int> latencies; // after every block
};

// Runs the whole signal through a fresh effect. paths lists the paths the
// blocks use in turn (one entry: every block the same).
Rendered Render(double sampleRate, int channels, int start, int blockSize, const Signal& in,
                const std::vector<EProcessingPath>& paths)
{
  KestrineHarness h(sampleRate, channels, 4096);
  h.Set(kMode, start == kStartExciter || start == kStartSolo ? 1. : 0.);
  h.Set(kSolo, start == kStartSolo ? 1. : 0.);
  h.Set(kBypass, start == kStartBypass ? 1. : 0.);
  h.Set(kDrive, 9.);

  const int frames = static_cast<int>(in[0].size());
  Rendered run;
  run.out.assign(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames)));
  size_t nextChange = 0;
  unsigned seed = 3;
  int block = 0;
  for (int at = 0; at < frames; ++block)
  {
    for (; nextChange < std::size(kChanges) && kChanges[nextChange].frame <= at; ++nextChange)
    {
      const Change& c = kChanges[nextChange];
      const double value = c.param == kMode ? 1. - h.effect->GetParam(kMode)->Value() : c.value;
      h.Set(c.param, value);
    }
    int n = blockSize;
    if (n == 0)
    {
      seed = seed * 1664525u + 1013904223u;
      n = 1 + static_cast<int>((seed >> 8) % 700u);
    }
    n = std::min(n, frames - at);
    EXPECT_TRUE(h.effect->SetProcessingPath(paths[static_cast<size_t>(block) % paths.size()]));
    h.ProcessBlock(in, run.out, at, n);
    run.meters.push_back(h.effect->GetMeter(0));
    run.meters.push_back(h.effect->GetMeter(1));
    run.latencies.push_back(h.effect->GetLatency());
    at += n;
  }
  return run;
}

// Equal to the last bit; any NaN equals any NaN (the payload a NaN carries
// through an add is the compiler's choice of operand order, not the effect's).
bool SameFloat(float a, float b)
{
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  uint32_t ua, ub;
  std::memcpy(&ua, &a, 4);
  std::memcpy(&ub, &b, 4);
  return ua == ub;
}

// The first differing index, or -1.
int FirstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i)
    if (!SameFloat(a[i], b[i])) return static_cast<int>(i);
  return -1;
}

struct Candidate
{
  const char* name;
  std::vector<EProcessingPath> paths;
};

std::vector<Candidate> Candidates()
{
  std::vector<Candidate> c{{"SSE2", {kPathSSE2}}};
  if (Kestrine::IsProcessingPathAvailable(kPathAVX2))
  {
    c.push_back({"AVX2", {kPathAVX2}});
    // Block by block in turn: each path continues from the state another left.
    c.push_back({"plain, SSE2 and AVX2 in turn", {kPathPlain, kPathSSE2, kPathAVX2}});
  }
  else
  {
    c.push_back({"plain and SSE2 in turn", {kPathPlain, kPathSSE2}});
  }
  return c;
}

struct RateAndChannels
{
  double sampleRate;
  int channels;
};

void PrintTo(const RateAndChannels& r, std::ostream* os)
{
  *os << r.sampleRate << " Hz, " << (r.channels == 2 ? "stereo" : "mono");
}

class KestrineVectorPath : public ::testing::TestWithParam<RateAndChannels>
{
};

TEST_P(KestrineVectorPath, MatchesThePlainPathBitForBit)
{
  const double sampleRate = GetParam().sampleRate;
  const int channels = GetParam().channels;
  const Signal in = TestSignal(channels, static_cast<float>(sampleRate));
  const std::vector<Candidate> candidates = Candidates();
  for (int start : {kStartSaturator, kStartExciter, kStartSolo, kStartBypass})
    for (int blockSize : kBlockSizes)
    {
      const Rendered plain = Render(sampleRate, channels, start, blockSize, in, {kPathPlain});
      for (const Candidate& cand : candidates)
      {
        SCOPED_TRACE(std::string(cand.name) + ", " + StartName(start) + ", blocks of " +
                     (blockSize ? std::to_string(blockSize) : std::string("random size")));
        const Rendered vec = Render(sampleRate, channels, start, blockSize, in, cand.paths);
        for (int c = 0; c < channels; ++c)
        {
          const int at = FirstDifference(plain.out[c], vec.out[c]);
          ASSERT_EQ(at, -1) << "channel " << c << " differs at frame " << at << " (" << SegmentAt(at)
                            << "): plain " << plain.out[c][at] << ", vector " << vec.out[c][at];
        }
        ASSERT_EQ(FirstDifference(plain.meters, vec.meters), -1) << "meters";
        ASSERT_EQ(plain.latencies, vec.latencies);
      }
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, KestrineVectorPath,
                         ::testing::Values(RateAndChannels{44100., 2}, RateAndChannels{44100., 1},
                                           RateAndChannels{48000., 2}, RateAndChannels{48000., 1},
                                           RateAndChannels{88200., 2}, RateAndChannels{88200., 1},
                                           RateAndChannels{96000., 2}, RateAndChannels{96000., 1},
                                           RateAndChannels{192000., 2}, RateAndChannels{192000., 1}),
                         [](const ::testing::TestParamInfo<RateAndChannels>& info)
                         {
                           return std::to_string(static_cast<int>(info.param.sampleRate)) +
                                  (info.param.channels == 2 ? "Stereo" : "Mono");
                         });

TEST(KestrineVectorPath, PathsTheCpuCannotRunAreRefused)
{
  // Which paths the comparisons above could force here (under Wine, the
  // host CPU's).
  std::printf("vector paths on this CPU: SSE2%s\n",
              Kestrine::IsProcessingPathAvailable(kPathAVX2) ? ", AVX2" : "");
  Kestrine k(InstanceInfo{});
  EXPECT_NE(k.GetProcessingPath(), kPathPlain); // the vector path is the default
  EXPECT_TRUE(k.SetProcessingPath(kPathPlain));
  EXPECT_EQ(k.GetProcessingPath(), kPathPlain);
  EXPECT_EQ(k.SetProcessingPath(kPathAVX2), Kestrine::IsProcessingPathAvailable(kPathAVX2));
  EXPECT_FALSE(k.SetProcessingPath(static_cast<EProcessingPath>(7)));
}

} // namespace

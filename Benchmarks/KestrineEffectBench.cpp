// Cost of the effect's whole ProcessBlock (drive, emphasis, 4x clip,
// de-emphasis, exciter path, output trim, bypass delay, meters), stereo and
// mono, saturator and exciter, at 44100, 48000 and 96000 Hz, on blocks of 512
// frames of a driven sine with noise.
//
// Counters: "ns/frame" is CPU time per frame; "x_realtime" is seconds of audio
// processed per second of CPU time.
#include "Kestrine.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int kBlock = 512;

void BM_ProcessBlock(benchmark::State& state)
{
  const double sampleRate = static_cast<double>(state.range(0));
  const int channels = static_cast<int>(state.range(1));
  const int mode = static_cast<int>(state.range(2));

  Kestrine effect(iplug::InstanceInfo{});
  effect.SetSampleRate(sampleRate);
  effect.SetBlockSize(kBlock);
  effect.OnReset();
  effect.GetParam(kMode)->SetValue(mode);
  effect.OnParamChange(kMode);
  effect.GetParam(kDrive)->SetValue(12.);
  effect.OnParamChange(kDrive);
  effect.SetChannelsConnected(iplug::kOutput, 0, 2, true);
  effect.SetChannelsConnected(iplug::kOutput, channels, 2 - channels, false);

  std::vector<double> in[2], out[2];
  unsigned seed = 1;
  for (int c = 0; c < 2; ++c)
  {
    in[c].resize(kBlock);
    out[c].resize(kBlock);
    for (int n = 0; n < kBlock; ++n)
    {
      seed = seed * 1664525u + 1013904223u;
      in[c][n] = 0.5 * std::sin(6.283185 * 441.0 * n / sampleRate) + 0.05 * ((seed >> 8) / 8388608.0 - 1.0);
    }
  }
  double* inPtrs[] = {in[0].data(), in[1].data()};
  double* outPtrs[] = {out[0].data(), out[1].data()};

  for (auto _ : state)
  {
    effect.ProcessBlock(inPtrs, outPtrs, kBlock);
    benchmark::DoNotOptimize(out[0].data());
  }
  state.counters["ns/frame"] = benchmark::Counter(
      kBlock * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["x_realtime"] =
      benchmark::Counter(kBlock / sampleRate, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_ProcessBlock)
    ->ArgNames({"rate", "channels", "exciter"})
    ->ArgsProduct({{44100, 48000, 96000}, {2, 1}, {0, 1}});

} // namespace

BENCHMARK_MAIN();

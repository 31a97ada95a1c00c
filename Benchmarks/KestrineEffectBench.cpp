// Cost of the effect's whole ProcessBlock (drive, emphasis, 4x clip,
// de-emphasis, exciter path, output trim, bypass delay, meters), stereo and
// mono, saturator and exciter, at 44100, 48000 and 96000 Hz, on blocks of 512
// frames of a driven sine with noise; each case on the plain path and on the
// vector paths this CPU runs, side by side in one run. After the usual
// output a table gives each vector path's speed-up over the plain path.
//
// Counters: "ns/frame" is CPU time per frame; "x_realtime" is seconds of audio
// processed per second of CPU time.
#include "Kestrine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace
{
constexpr int kBlock = 512;

const char* PathName(int path)
{
  const char* names[] = {"plain", "SSE2", "AVX2"};
  return names[path];
}

void BM_ProcessBlock(benchmark::State& state, int rate, int channels, int mode, EProcessingPath path)
{
  const double sampleRate = rate;
  Kestrine effect(iplug::InstanceInfo{});
  if (!effect.SetProcessingPath(path))
  {
    state.SkipWithError("path not available on this CPU");
    return;
  }
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

using CaseKey = std::tuple<int, int, int>; // rate, channels, mode

// The console output as usual, plus closing tables of the speed-ups: one
// from the median of the repetitions and one from the fastest (on a shared
// machine the fastest is the least disturbed), or from the single run when
// there are no repetitions.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
    {
      if (run.error_occurred) continue;
      const auto it = mCases.find(run.run_name.function_name);
      if (it == mCases.end()) continue;
      std::string table = "single run";
      if (run.run_type == Run::RT_Aggregate)
      {
        if (run.aggregate_name != "median" && run.aggregate_name != "fastest") continue;
        table = run.aggregate_name;
      }
      const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      mFigures[table][it->second.first][it->second.second] = seconds * 1e9 / kBlock;
    }
  }

  void Finalize() override
  {
    ConsoleReporter::Finalize();
    for (const auto& [table, figures] : mFigures)
      if (table != "single run" || mFigures.size() == 1) PrintTable(table, figures);
  }

  void AddCase(const std::string& name, const CaseKey& key, int path) { mCases[name] = {key, path}; }

private:
  using Figures = std::map<CaseKey, std::map<int, double>>; // ns/frame per case and path

  static void PrintTable(const std::string& table, const Figures& figures)
  {
    std::printf("\n%s: ns/frame and x real time per path; speed-up = plain / vector\n", table.c_str());
    std::printf("%-6s %-3s %-9s | %-16s | %-16s %-8s | %-16s %-8s\n", "rate", "ch", "mode", "plain", "SSE2",
                "speed-up", "AVX2", "speed-up");
    for (const auto& [key, paths] : figures)
    {
      const auto [rate, channels, mode] = key;
      std::printf("%-6d %-3d %-9s |", rate, channels, mode ? "exciter" : "saturator");
      const auto plain = paths.find(kPathPlain);
      for (int path : {kPathPlain, kPathSSE2, kPathAVX2})
      {
        const auto f = paths.find(path);
        if (f == paths.end())
        {
          std::printf(path == kPathPlain ? " %-16s |" : " %-16s %-8s |", "-", "-");
          continue;
        }
        char cell[64];
        std::snprintf(cell, sizeof cell, "%.1f (%.0fx)", f->second, 1e9 / (f->second * rate));
        if (path == kPathPlain)
          std::printf(" %-16s |", cell);
        else if (plain != paths.end())
          std::printf(" %-16s %-8.2f |", cell, plain->second / f->second);
        else
          std::printf(" %-16s %-8s |", cell, "-");
      }
      std::printf("\n");
    }
  }

  std::map<std::string, std::pair<CaseKey, int>> mCases;
  std::map<std::string, Figures> mFigures; // per table
};

} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  RatioReporter reporter;
  for (int mode : {kModeSaturator, kModeExciter})
    for (int channels : {2, 1})
      for (int rate : {44100, 48000, 96000})
        for (int path : {kPathPlain, kPathSSE2, kPathAVX2})
        {
          if (!Kestrine::IsProcessingPathAvailable(static_cast<EProcessingPath>(path))) continue;
          const std::string name = std::string("BM_ProcessBlock/rate:") + std::to_string(rate) +
                                   "/channels:" + std::to_string(channels) +
                                   "/exciter:" + std::to_string(mode) + "/" + PathName(path);
          benchmark::RegisterBenchmark(name.c_str(), BM_ProcessBlock, rate, channels, mode,
                                       static_cast<EProcessingPath>(path))
              ->ComputeStatistics("fastest", [](const std::vector<double>& v)
                                  { return v.empty() ? 0. : *std::min_element(v.begin(), v.end()); });
          reporter.AddCase(name, CaseKey{rate, channels, mode}, path);
        }
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

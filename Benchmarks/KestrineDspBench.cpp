// Per-frame cost of the effect's saturator: the 4x soft-clip arrangement
// alone, and the whole per-sample saturator chain (drive glide, low and high
// pre-emphasis, 4x clip, low and high de-emphasis, gain compensation), stereo
// and mono, at 44100, 48000 and 96000 Hz.
//
// Each iteration processes one block of kBlock frames of a driven sine, with
// flush-to-zero and denormals-are-zero set as the effect sets them per block.
// Counters: "ns/frame" is CPU time per frame; "x_realtime" is seconds of audio
// processed per second of CPU time.
#include "KestrineFilters.h"
#include "KestrineSaturator.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace
{
constexpr int kBlock = 512;

class DenormalGuard
{
public:
#if defined(__x86_64__) || defined(_M_X64)
  DenormalGuard() : mSaved(_mm_getcsr())
  {
    _mm_setcsr(mSaved | 0x8040u);
  }
  ~DenormalGuard()
  {
    _mm_setcsr(mSaved);
  }

private:
  unsigned mSaved;
#endif
};

std::vector<float> DrivenSine(float sampleRate, float phaseOffset)
{
  std::vector<float> x(kBlock);
  for (int n = 0; n < kBlock; ++n)
    x[n] = 0.5f * std::sin(6.28318f * 441.0f * float(n) / sampleRate + phaseOffset);
  return x;
}

void SetCounters(benchmark::State& state, float sampleRate)
{
  const double frames = kBlock;
  // Inverting a rate of (frames x 1e-9) per second gives nanoseconds per frame.
  state.counters["ns/frame"] = benchmark::Counter(
      frames * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["x_realtime"] =
      benchmark::Counter(frames / double(sampleRate), benchmark::Counter::kIsIterationInvariantRate);
}

// The saturator chain of one effect instance, without the delay lines and
// the exciter path.
struct SaturatorChain
{
  explicit SaturatorChain(float sampleRate)
  {
    DesignOversampler(stage1, stage2, sampleRate);
    lowPre.Design(sampleRate, 0.5f, 150.0f, 6.0f, ShelfFilter::kLowShelf);
    lowDe.Design(sampleRate, 0.5f, 150.0f, 6.0f * -0.86f, ShelfFilter::kLowShelf);
    highPre.Design(sampleRate, 0.5f, 1500.0f, -4.0f, ShelfFilter::kHighShelf);
    highDe.Design(sampleRate, 0.5f, 1500.0f, -4.0f * -0.86f, ShelfFilter::kHighShelf);
  }

  void Stereo(float inL, float inR, float& outL, float& outR)
  {
    g = g * 0.993f + target * 0.007f;
    const float compensation = 0.86f / g;
    float xL = inL * g, xR = inR * g;
    lowPre.ProcessStereo(xL, xR, xL, xR);
    highPre.ProcessStereo(xL, xR, xL, xR);
    float sL, sR, rL, rR;
    Saturate4xStereo(stage1, stage2, xL, xR, sL, sR, rL, rR);
    meterL = rL > meterL ? rL : meterL * 0.99997f;
    meterR = rR > meterR ? rR : meterR * 0.99997f;
    lowDe.ProcessStereo(sL, sR, sL, sR);
    highDe.ProcessStereo(sL, sR, sL, sR);
    outL = sL * compensation;
    outR = sR * compensation;
  }

  float Mono(float in)
  {
    g = g * 0.993f + target * 0.007f;
    const float compensation = 0.86f / g;
    float x = in * g;
    x = highPre.ProcessMono(lowPre.ProcessMono(x));
    float r;
    float s = Saturate4xMono(stage1, stage2, x, r);
    meterL = r > meterL ? r : meterL * 0.99997f;
    s = highDe.ProcessMono(lowDe.ProcessMono(s));
    return s * compensation;
  }

  HalfBandResampler stage1, stage2;
  ShelfFilter lowPre, lowDe, highPre, highDe;
  float g = 1.0f;
  float target = 3.9810717f; // 12 dB of drive
  float meterL = 1.0f, meterR = 1.0f;
};

void BM_Oversampler4x(benchmark::State& state)
{
  const float sampleRate = float(state.range(0));
  const bool stereo = state.range(1) == 2;
  HalfBandResampler stage1, stage2;
  DesignOversampler(stage1, stage2, sampleRate);
  const std::vector<float> inL = DrivenSine(sampleRate, 0.0f), inR = DrivenSine(sampleRate, 1.0f);
  std::vector<float> outL(kBlock), outR(kBlock);
  DenormalGuard guard;
  for (auto _ : state)
  {
    if (stereo)
    {
      for (int n = 0; n < kBlock; ++n)
      {
        float rL, rR;
        Saturate4xStereo(stage1, stage2, 4.0f * inL[n], 4.0f * inR[n], outL[n], outR[n], rL, rR);
      }
    }
    else
    {
      for (int n = 0; n < kBlock; ++n)
      {
        float r;
        outL[n] = Saturate4xMono(stage1, stage2, 4.0f * inL[n], r);
      }
    }
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(outR.data());
    benchmark::ClobberMemory();
  }
  SetCounters(state, sampleRate);
}

void BM_SaturatorChain(benchmark::State& state)
{
  const float sampleRate = float(state.range(0));
  const bool stereo = state.range(1) == 2;
  SaturatorChain chain(sampleRate);
  const std::vector<float> inL = DrivenSine(sampleRate, 0.0f), inR = DrivenSine(sampleRate, 1.0f);
  std::vector<float> outL(kBlock), outR(kBlock);
  DenormalGuard guard;
  for (auto _ : state)
  {
    if (stereo)
      for (int n = 0; n < kBlock; ++n) chain.Stereo(inL[n], inR[n], outL[n], outR[n]);
    else
      for (int n = 0; n < kBlock; ++n) outL[n] = chain.Mono(inL[n]);
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(outR.data());
    benchmark::ClobberMemory();
  }
  SetCounters(state, sampleRate);
}

void Rates(benchmark::internal::Benchmark* b)
{
  b->ArgNames({"rate", "channels"});
  for (int channels : {2, 1})
    for (int rate : {44100, 48000, 96000}) b->Args({rate, channels});
}
} // namespace

BENCHMARK(BM_Oversampler4x)->Apply(Rates);
BENCHMARK(BM_SaturatorChain)->Apply(Rates);

BENCHMARK_MAIN();

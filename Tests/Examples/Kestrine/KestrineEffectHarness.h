// Drives a Kestrine instance through the processing frame the way the host
// binding does: reset at a sample rate, then blocks of float audio attached
// to the frame's channels and run with RunBlock.
#pragma once

#include "Kestrine.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

struct KestrineHarness
{
  explicit KestrineHarness(double sampleRate = 48000., int channels = 2, int maxBlock = 4096)
      : effect(std::make_unique<Kestrine>(iplug::InstanceInfo{})), nChans(channels)
  {
    effect->SetSampleRate(sampleRate);
    effect->SetBlockSize(maxBlock);
    effect->OnReset();
  }

  void Set(int paramIdx, double value)
  {
    effect->GetParam(paramIdx)->SetValue(value);
    effect->OnParamChange(paramIdx);
  }

  // Processes in into a new buffer of the same shape, in blocks of blockSize.
  std::vector<std::vector<float>> Process(const std::vector<std::vector<float>>& in, int blockSize = 512)
  {
    const int frames = static_cast<int>(in[0].size());
    std::vector<std::vector<float>> out(static_cast<size_t>(nChans), std::vector<float>(frames));
    for (int start = 0; start < frames; start += blockSize)
      ProcessBlock(in, out, start, std::min(blockSize, frames - start));
    return out;
  }

  void ProcessBlock(const std::vector<std::vector<float>>& in, std::vector<std::vector<float>>& out,
                    int start, int n)
  {
    using namespace iplug;
    float* inPtrs[2];
    float* outPtrs[2];
    for (int c = 0; c < nChans; ++c)
    {
      inPtrs[c] = const_cast<float*>(in[c].data()) + start;
      outPtrs[c] = out[c].data() + start;
    }
    effect->SetChannelsConnected(kInput, 0, nChans, true);
    effect->SetChannelsConnected(kInput, nChans, 2 - nChans, false);
    effect->AttachHostBuffers(kInput, 0, nChans, inPtrs, n);
    effect->SetChannelsConnected(kOutput, 0, 2, true);
    effect->SetChannelsConnected(kOutput, nChans, 2 - nChans, false);
    effect->AttachHostBuffers(kOutput, 0, nChans, outPtrs, n);
    effect->RunBlock(n);
  }

  std::unique_ptr<Kestrine> effect;
  int nChans;
};

inline std::vector<std::vector<float>> Impulse(int channels, int frames, float height, int at = 0)
{
  std::vector<std::vector<float>> x(static_cast<size_t>(channels), std::vector<float>(frames, 0.f));
  for (auto& ch : x) ch[at] = height;
  return x;
}

inline std::vector<std::vector<float>> Sine(int channels, int frames, float amplitude, float hz,
                                            float sampleRate)
{
  std::vector<std::vector<float>> x(static_cast<size_t>(channels), std::vector<float>(frames));
  for (int c = 0; c < channels; ++c)
    for (int s = 0; s < frames; ++s)
      x[c][s] = amplitude * std::sin(6.283185307179586 * hz * s / sampleRate + 0.3 * c);
  return x;
}

// Deterministic noise in [-amplitude, amplitude].
inline std::vector<std::vector<float>> Noise(int channels, int frames, float amplitude, unsigned seed = 1)
{
  std::vector<std::vector<float>> x(static_cast<size_t>(channels), std::vector<float>(frames));
  for (auto& ch : x)
    for (auto& v : ch)
    {
      seed = seed * 1664525u + 1013904223u;
      v = amplitude * (static_cast<float>(seed >> 8) / 8388608.f - 1.f);
    }
  return x;
}

inline int PeakIndex(const std::vector<float>& x)
{
  int best = 0;
  for (int i = 1; i < static_cast<int>(x.size()); ++i)
    if (std::fabs(x[i]) > std::fabs(x[best])) best = i;
  return best;
}

inline double Rms(const std::vector<float>& x, int from, int to)
{
  double sum = 0.;
  for (int i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / (to - from));
}

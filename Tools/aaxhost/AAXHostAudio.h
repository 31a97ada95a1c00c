// Audio buffers and helpers shared by the verbs: block-wise rendering through
// an instance, level measurement, test signals and the demo signal.
#pragma once

#include "AAXHostSession.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace aaxhost
{

// One vector of samples per channel, all of the same length.
using AudioBuffer = std::vector<std::vector<float>>;

AudioBuffer MakeBuffer(int channels, size_t frames);
inline size_t Frames(const AudioBuffer& b)
{
  return b.empty() ? 0 : b[0].size();
}

// Renders in through the instance into a new buffer of the instance's
// output width, in blocks of blockSize frames; blockSize 0 draws a random
// size from 1 to 4096 per call (seeded). progress (may be empty) is called
// with the fraction done after every block.
AudioBuffer RenderBuffer(Instance& instance, const AudioBuffer& in, int blockSize, uint32_t seed = 1,
                         const std::function<void(double)>& progress = {});

struct ChannelLevels
{
  double peak = 0.;
  double rms = 0.;
};
std::vector<ChannelLevels> Measure(const AudioBuffer& b, size_t from = 0, size_t to = SIZE_MAX);
// 20 log10(x), or -inf text-friendly floor of -999 for silence.
double ToDb(double x);
bool AllFinite(const AudioBuffer& b, size_t from = 0);

AudioBuffer Impulse(int channels, size_t frames, size_t at, float height);
AudioBuffer Noise(int channels, size_t frames, float amplitude, uint32_t seed);
// A few seconds of drum-like transients, a bass line and a bright voice-like
// tone, stereo, made in code.
AudioBuffer MakeDemoSignal(double sampleRate, double seconds);

} // namespace aaxhost

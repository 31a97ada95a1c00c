#include "AAXHostAudio.h"

#include <algorithm>
#include <cmath>

namespace aaxhost
{

AudioBuffer MakeBuffer(int channels, size_t frames)
{
  return AudioBuffer(static_cast<size_t>(std::max(channels, 0)), std::vector<float>(frames, 0.f));
}

AudioBuffer RenderBuffer(Instance& instance, const AudioBuffer& in, int blockSize, uint32_t seed,
                         const std::function<void(double)>& progress)
{
  const size_t frames = Frames(in);
  AudioBuffer out = MakeBuffer(instance.OutputChannels(), frames);
  std::vector<const float*> inPtrs(static_cast<size_t>(instance.InputChannels()));
  std::vector<float*> outPtrs(static_cast<size_t>(instance.OutputChannels()));
  // Input channels beyond the buffer's read silence.
  std::vector<float> silence(4096, 0.f);
  uint32_t rng = seed ? seed : 1;
  size_t pos = 0;
  while (pos < frames)
  {
    int n = blockSize;
    if (n <= 0)
    {
      rng = rng * 1664525u + 1013904223u;
      n = 1 + static_cast<int>((rng >> 8) % 4096u);
    }
    n = static_cast<int>(std::min<size_t>(static_cast<size_t>(n), frames - pos));
    if (static_cast<size_t>(n) > silence.size()) silence.resize(static_cast<size_t>(n), 0.f);
    for (size_t c = 0; c < inPtrs.size(); ++c)
      inPtrs[c] = c < in.size() ? in[c].data() + pos : silence.data();
    for (size_t c = 0; c < outPtrs.size(); ++c) outPtrs[c] = out[c].data() + pos;
    instance.Process(inPtrs.data(), outPtrs.data(), n);
    pos += static_cast<size_t>(n);
    if (progress) progress(static_cast<double>(pos) / static_cast<double>(frames));
  }
  return out;
}

std::vector<ChannelLevels> Measure(const AudioBuffer& b, size_t from, size_t to)
{
  std::vector<ChannelLevels> levels;
  for (const auto& ch : b)
  {
    ChannelLevels l;
    const size_t end = std::min(to, ch.size());
    double sum = 0.;
    size_t count = 0;
    for (size_t i = from; i < end; ++i)
    {
      const double v = ch[i];
      l.peak = std::max(l.peak, std::fabs(v));
      sum += v * v;
      ++count;
    }
    l.rms = count ? std::sqrt(sum / static_cast<double>(count)) : 0.;
    levels.push_back(l);
  }
  return levels;
}

double ToDb(double x)
{
  if (!(x > 0.)) return -999.;
  return 20. * std::log10(x);
}

bool AllFinite(const AudioBuffer& b, size_t from)
{
  for (const auto& ch : b)
    for (size_t i = from; i < ch.size(); ++i)
      if (!std::isfinite(ch[i])) return false;
  return true;
}

AudioBuffer Impulse(int channels, size_t frames, size_t at, float height)
{
  AudioBuffer b = MakeBuffer(channels, frames);
  for (auto& ch : b)
    if (at < ch.size()) ch[at] = height;
  return b;
}

AudioBuffer Noise(int channels, size_t frames, float amplitude, uint32_t seed)
{
  AudioBuffer b = MakeBuffer(channels, frames);
  uint32_t s = seed ? seed : 1;
  for (auto& ch : b)
    for (auto& v : ch)
    {
      s = s * 1664525u + 1013904223u;
      v = amplitude * (static_cast<float>(s >> 8) / 8388608.f - 1.f);
    }
  return b;
}

AudioBuffer MakeDemoSignal(double sampleRate, double seconds)
{
  const double twoPi = 6.283185307179586;
  const size_t frames = static_cast<size_t>(sampleRate * seconds);
  AudioBuffer b = MakeBuffer(2, frames);
  const double beat = 60. / 120.; // 120 beats per minute
  // Bass line: one note per beat, A1 C2 E2 G1.
  const double bassNotes[4] = {55.0, 65.41, 82.41, 49.0};
  uint32_t rng = 12345;
  double bassPhase = 0., voicePhase = 0., kickPhase = 0., lastNoise = 0.;
  for (size_t i = 0; i < frames; ++i)
  {
    const double t = static_cast<double>(i) / sampleRate;
    const double inBeat = std::fmod(t, beat);
    const int beatIndex = static_cast<int>(t / beat);

    // Kick on every beat: a sine falling from 150 Hz to 45 Hz with a fast decay.
    const double kickFreq = 45. + 105. * std::exp(-inBeat * 30.);
    kickPhase += twoPi * kickFreq / sampleRate;
    const double kick = 0.9 * std::sin(kickPhase) * std::exp(-inBeat * 9.);

    // Snare on the off-beats: noise burst plus a 190 Hz body.
    rng = rng * 1664525u + 1013904223u;
    const double noise = static_cast<double>(rng >> 8) / 8388608. - 1.;
    const double offBeat = std::fmod(t + beat / 2., beat);
    const double snare = (0.45 * noise + 0.25 * std::sin(twoPi * 190. * offBeat)) * std::exp(-offBeat * 22.);
    // Hi-hat every eighth: short high-passed noise (difference of noise).
    const double eighth = std::fmod(t, beat / 2.);
    const double hat = 0.12 * (noise - lastNoise) * std::exp(-eighth * 90.);
    lastNoise = noise;

    // Bass: a soft-edged saw.
    const double bassFreq = bassNotes[beatIndex % 4];
    bassPhase += bassFreq / sampleRate;
    bassPhase -= std::floor(bassPhase);
    const double saw = 2. * bassPhase - 1.;
    const double bass = 0.35 * std::tanh(1.5 * saw) * (1. - std::exp(-inBeat * 40.));

    // Voice-like tone: a pulse with vibrato through a pair of resonances
    // approximated by summing harmonics weighted around 700 Hz and 1200 Hz.
    const double f0 = 220. * (1. + 0.01 * std::sin(twoPi * 5.5 * t));
    voicePhase += twoPi * f0 / sampleRate;
    double voice = 0.;
    for (int h = 1; h <= 24; ++h)
    {
      const double f = f0 * h;
      const double w1 = std::exp(-std::pow((f - 700.) / 250., 2.));
      const double w2 = 0.6 * std::exp(-std::pow((f - 1200.) / 300., 2.));
      const double w3 = 0.25 * std::exp(-std::pow((f - 2800.) / 600., 2.));
      voice += (w1 + w2 + w3 + 0.02) * std::sin(h * voicePhase) / std::sqrt(static_cast<double>(h));
    }
    voice *= 0.12 * (0.6 + 0.4 * std::sin(twoPi * 0.25 * t));

    const double left = kick + 0.8 * snare + hat + bass + 0.7 * voice;
    const double right = kick + 0.6 * snare + 0.8 * hat + bass + 1.0 * voice;
    b[0][i] = static_cast<float>(0.7 * left);
    b[1][i] = static_cast<float>(0.7 * right);
  }
  return b;
}

} // namespace aaxhost

// The block routines against the per-sample calls they replace: the same
// outputs to the last bit, and the rings and write positions left exactly as
// the per-sample calls leave them (every slot, including those no later tap
// reads: the non-finite recovery inspects all of them).
#include "KestrineSaturator.h"
#include "KestrineVector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{

std::vector<const VectorKernels*> KernelSets()
{
  std::vector<const VectorKernels*> sets{&kVectorKernelsSSE2};
  if (CpuHasAVX2()) sets.push_back(&kVectorKernelsAVX2);
  return sets;
}

bool SameBits(float a, float b)
{
  uint32_t ua, ub;
  std::memcpy(&ua, &a, 4);
  std::memcpy(&ub, &b, 4);
  return ua == ub;
}

void ExpectSameRing(float* expected, float* actual, int length, const std::string& what)
{
  for (int i = 0; i < 2 * length; ++i) ASSERT_TRUE(SameBits(expected[i], actual[i])) << what << " slot " << i;
}

ResamplerRings RingsOf(HalfBandResampler& r)
{
  return {{r.UpRing(0), r.UpRing(1)},
          {r.DownRing(0), r.DownRing(1)},
          r.GetUpCoefficients().data(),
          r.GetDownCoefficients().data(),
          &r.UpIndex(),
          &r.DownIndex(),
          r.GetLength(),
          r.GetCentre()};
}

// Sub-block sizes in turn: single frames, sizes around the lane counts, a
// whole sub-block, and sizes that are not multiples of anything.
constexpr int kChunkSizes[] = {1, 3, 8, 9, 64, 5, 31, 33, 2, kVectorChunkFrames, 17, kVectorChunkFrames - 1};

// Up to +-amplitude, and exact zeros now and then.
float NextSample(unsigned& seed, float amplitude = 6.f)
{
  seed = seed * 1664525u + 1013904223u;
  return (seed >> 28) == 0 ? 0.f : amplitude * (static_cast<float>(seed >> 8) / 8388608.f - 1.f);
}

TEST(KestrineVectorKernels, Saturate4xMatchesPerSampleCallsAndLeavesTheSameRings)
{
  struct Orders
  {
    int a1, a2;
  } orders[] = {{24, 12}, {12, 6}, {20, 20}, {1, 1}};
  // Input amplitudes: the clipper's whole range (+-6); around sqrt(FLT_MAX),
  // where some 4x samples' squares overflow and some do not; and far beyond,
  // where the clipper holds its limit.
  const float amplitudes[] = {6.f, 2e19f, 1e30f};
  for (const VectorKernels* kernels : KernelSets())
    for (const Orders& o : orders)
      for (int channels : {1, 2})
        for (float amplitude : amplitudes)
        {
          SCOPED_TRACE(std::string(kernels->name) + " a1 " + std::to_string(o.a1) + " a2 " +
                       std::to_string(o.a2) + " channels " + std::to_string(channels) + " amplitude " +
                       std::to_string(amplitude));
          HalfBandResampler ref1, ref2, vec1, vec2;
          for (HalfBandResampler* r : {&ref1, &vec1}) ASSERT_TRUE(r->Design(o.a1));
          for (HalfBandResampler* r : {&ref2, &vec2}) ASSERT_TRUE(r->Design(o.a2));
          std::vector<float> scratch(kernels->scratchFloats(ref1.GetLength(), ref2.GetLength(), 1));
          unsigned seed = 5;
          for (int round = 0; round < 3; ++round)
            for (int frames : kChunkSizes)
            {
              float in[2][kVectorChunkFrames], out[2][kVectorChunkFrames], red[2][kVectorChunkFrames];
              for (int s = 0; s < frames; ++s)
                for (int c = 0; c < 2; ++c) in[c][s] = NextSample(seed, amplitude);
              const float* ins[] = {in[0], in[1]};
              float* outs[] = {out[0], out[1]};
              float* reds[] = {red[0], red[1]};
              ResamplerRings s1 = RingsOf(vec1), s2 = RingsOf(vec2);
              kernels->saturate4x(s1, s2, channels, frames, ins, outs, reds, scratch.data());

              for (int s = 0; s < frames; ++s)
              {
                float y[2], r[2] = {0.f, 0.f};
                if (channels == 2)
                  Saturate4xStereo(ref1, ref2, in[0][s], in[1][s], y[0], y[1], r[0], r[1]);
                else
                  y[0] = Saturate4xMono(ref1, ref2, in[0][s], r[0]);
                for (int c = 0; c < channels; ++c)
                {
                  ASSERT_TRUE(SameBits(y[c], out[c][s])) << "output, frame " << s << " of " << frames;
                  ASSERT_TRUE(SameBits(r[c], red[c][s])) << "reduction, frame " << s << " of " << frames;
                }
              }
              for (auto [ref, vec] : {std::pair{&ref1, &vec1}, std::pair{&ref2, &vec2}})
              {
                ASSERT_EQ(ref->UpIndex(), vec->UpIndex());
                ASSERT_EQ(ref->DownIndex(), vec->DownIndex());
                for (int c = 0; c < 2; ++c)
                {
                  ExpectSameRing(ref->UpRing(c), vec->UpRing(c), ref->GetLength(), "up ring");
                  ExpectSameRing(ref->DownRing(c), vec->DownRing(c), ref->GetLength(), "down ring");
                }
              }
            }
        }
}

TEST(KestrineVectorKernels, LowPassFirMatchesPerSampleCallsAndLeavesTheSameRings)
{
  for (const VectorKernels* kernels : KernelSets())
    for (int half : {28, 14, 10, 0})
      for (int channels : {1, 2})
      {
        SCOPED_TRACE(std::string(kernels->name) + " half " + std::to_string(half) + " channels " +
                     std::to_string(channels));
        LowPassFIR ref, vec;
        for (LowPassFIR* f : {&ref, &vec}) ASSERT_TRUE(f->Configure(half, 20000.f, 44100.f));
        std::vector<float> scratch(kernels->scratchFloats(1, 1, ref.GetLength()));
        unsigned seed = 9;
        for (int round = 0; round < 3; ++round)
          for (int frames : kChunkSizes)
          {
            float in[2][kVectorChunkFrames], out[2][kVectorChunkFrames];
            for (int s = 0; s < frames; ++s)
              for (int c = 0; c < 2; ++c) in[c][s] = NextSample(seed);
            const float* ins[] = {in[0], in[1]};
            float* outs[] = {out[0], out[1]};
            FirRings rings{{vec.Ring(0), vec.Ring(1)},
                           vec.GetCoefficients().data(),
                           &vec.Index(),
                           vec.GetLength(),
                           vec.GetHalf()};
            kernels->lowPassFir(rings, channels, frames, ins, outs, scratch.data());
            for (int s = 0; s < frames; ++s)
            {
              float y[2];
              if (channels == 2)
                ref.ProcessStereo(in[0][s], in[1][s], y[0], y[1]);
              else
                y[0] = ref.ProcessMono(in[0][s]);
              for (int c = 0; c < channels; ++c)
                ASSERT_TRUE(SameBits(y[c], out[c][s])) << "frame " << s << " of " << frames;
            }
            ASSERT_EQ(ref.Index(), vec.Index());
            for (int c = 0; c < 2; ++c) ExpectSameRing(ref.Ring(c), vec.Ring(c), ref.GetLength(), "ring");
          }
      }
}

} // namespace

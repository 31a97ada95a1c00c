// The effect's audio path allocates nothing, on every processing path,
// including the block that serves a Mode change (the bypass delay is resized
// within storage reserved at reset).
#include "KestrineEffectHarness.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <string>

using namespace iplug;

TEST(KestrineRealtime, ProcessingAllocatesNothing)
{
  for (EProcessingPath path : {kPathPlain, kPathSSE2, kPathAVX2})
    for (int channels : {1, 2})
    {
      if (!Kestrine::IsProcessingPathAvailable(path)) continue;
      SCOPED_TRACE("path " + std::to_string(path) + ", channels " + std::to_string(channels));
      KestrineHarness h(44100., channels, 512);
      ASSERT_TRUE(h.effect->SetProcessingPath(path));
      auto in = Noise(channels, 512, 0.8f);
      std::vector<std::vector<float>> out(static_cast<size_t>(channels), std::vector<float>(512));
      h.ProcessBlock(in, out, 0, 512); // first block serves the initial latency update

      struct Step
      {
        int param;
        double value;
      } steps[] = {{kMode, 1},     {kDrive, 20.}, {kHPF, 250.}, {kMode, 0},
                   {kLowEQ, 400.}, {kBypass, 1},  {kMode, 1}};
      for (const Step& step : steps)
      {
        h.Set(step.param, step.value); // parameter thread: may allocate
        kestrine_test::AllocationCounter counter;
        h.ProcessBlock(in, out, 0, 512);
        EXPECT_EQ(counter.Count(), 0u) << "after setting parameter " << step.param << " to " << step.value;
      }
      EXPECT_EQ(h.effect->GetLatency(), 88);
    }
}

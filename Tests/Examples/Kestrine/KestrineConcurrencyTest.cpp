// One thread keeps changing HPF and Drive (redesigning the exciter high-pass
// on that thread) while another processes audio. Run under ThreadSanitizer
// this proves the hand-over is race-free; natively it checks the output
// stays finite and bounded throughout.
#include "KestrineEffectHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace iplug;

TEST(KestrineConcurrency, ParameterChangesWhileProcessing)
{
  KestrineHarness h(48000.);
  h.Set(kMode, kModeExciter);
  std::atomic<bool> done{false};

  std::thread changer(
      [&]
      {
        int i = 0;
        while (!done.load())
        {
          h.Set(kHPF, 100. + (i * 37) % 4900);
          h.Set(kDrive, -10. + (i * 7) % 40);
          ++i;
        }
      });

  auto in = Noise(2, 256, 0.5f);
  std::vector<std::vector<float>> out(2, std::vector<float>(256));
  bool bounded = true;
  for (int block = 0; block < 400; ++block)
  {
    h.ProcessBlock(in, out, 0, 256);
    for (auto& ch : out)
      for (float v : ch) bounded &= std::isfinite(v) && std::fabs(v) < 100.f;
  }
  done = true;
  changer.join();
  EXPECT_TRUE(bounded);
}

#include "KestrineDelayLine.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

class DelayLineLength : public ::testing::TestWithParam<int>
{
};

TEST_P(DelayLineLength, DelaysByExactlyTheLength)
{
  const int length = GetParam();
  DelayLine d;
  ASSERT_TRUE(d.SetLength(length));
  for (int n = 0; n < 3 * length + 5; ++n)
  {
    float l, r;
    d.Process(float(n + 1), -float(n + 1), l, r);
    const float expected = n < length ? 0.0f : float(n + 1 - length);
    ASSERT_EQ(l, expected) << n;
    ASSERT_EQ(r, -expected) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, DelayLineLength, ::testing::Values(0, 1, 10, 30, 44, 60, 88));

TEST(DelayLine, StartsAtTenSamplesAndSetLengthZeroes)
{
  DelayLine d;
  EXPECT_EQ(d.GetLength(), 10);
  float l, r;
  for (int n = 0; n < 10; ++n) d.Process(1.0f, 1.0f, l, r);
  d.Process(0.0f, 0.0f, l, r);
  EXPECT_EQ(l, 1.0f);

  ASSERT_TRUE(d.Reserve(88));
  ASSERT_TRUE(d.SetLength(5));
  for (int n = 0; n < 5; ++n)
  {
    d.Process(0.0f, 0.0f, l, r);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, 0.0f);
  }
  EXPECT_FALSE(d.SetLength(-1));
  EXPECT_FALSE(d.SetLength(DelayLine::kMaxLength + 1));
  EXPECT_FALSE(d.Reserve(-1));
  EXPECT_EQ(d.GetLength(), 5);
}

TEST(DelayLine, NonFiniteContentIsDetectedAndCleared)
{
  DelayLine d;
  ASSERT_TRUE(d.SetLength(3));
  float l, r;
  d.Process(1.0f, std::numeric_limits<float>::infinity(), l, r);
  EXPECT_FALSE(d.IsFinite());
  d.Clear();
  EXPECT_TRUE(d.IsFinite());
  EXPECT_EQ(d.GetLength(), 3);
  for (int n = 0; n < 3; ++n)
  {
    d.Process(0.0f, 0.0f, l, r);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, 0.0f);
  }
}

TEST(DelayLine, SetDelayMovesTheReadPointAndKeepsTheHistory)
{
  DelayLine d;
  ASSERT_TRUE(d.SetLength(88));
  float l, r;
  int n = 0;
  auto step = [&]
  {
    ++n;
    d.Process(float(n), -float(n), l, r);
  };
  for (int i = 0; i < 200; ++i) step();
  for (int delay : {60, 88, 1, 88, 30})
  {
    ASSERT_TRUE(d.SetDelay(delay));
    EXPECT_EQ(d.GetLength(), delay);
    for (int i = 0; i < 100; ++i)
    {
      step();
      ASSERT_EQ(l, float(n - delay)) << delay;
      ASSERT_EQ(r, -float(n - delay)) << delay;
    }
  }
  for (int bad : {0, 89, -1}) EXPECT_FALSE(d.SetDelay(bad)) << bad;
  EXPECT_EQ(d.GetLength(), 30);
}

TEST(DelayLine, ProcessBlockGivesWhatProcessGivesFrameByFrame)
{
  // Block sizes shorter and longer than the delay and the storage, with the
  // read point moved between blocks (so the read and write runs wrap at
  // different places), and the pass-through length.
  struct
  {
    int length, block;
  } cases[] = {{88, 1}, {88, 7}, {88, 59}, {88, 60}, {88, 89}, {88, 300}, {3, 5}, {0, 16}};
  for (const auto& c : cases)
  {
    DelayLine frames, blocks;
    ASSERT_TRUE(frames.SetLength(c.length));
    ASSERT_TRUE(blocks.SetLength(c.length));
    std::vector<float> inL(static_cast<size_t>(c.block)), inR(inL.size()), outL(inL.size()), outR(inL.size());
    const int delays[] = {60, 88, 1, 30, 88, 2};
    int n = 0;
    for (int round = 0; round < 24; ++round)
    {
      const int delay = delays[round % 6];
      if (c.length > 0 && delay <= c.length)
      {
        ASSERT_TRUE(frames.SetDelay(delay));
        ASSERT_TRUE(blocks.SetDelay(delay));
      }
      for (int s = 0; s < c.block; ++s)
      {
        ++n;
        inL[static_cast<size_t>(s)] = float(n);
        inR[static_cast<size_t>(s)] = -float(n);
      }
      blocks.ProcessBlock(inL.data(), inR.data(), outL.data(), outR.data(), c.block);
      for (int s = 0; s < c.block; ++s)
      {
        float l, r;
        frames.Process(inL[static_cast<size_t>(s)], inR[static_cast<size_t>(s)], l, r);
        ASSERT_EQ(outL[static_cast<size_t>(s)], l)
            << "length " << c.length << " block " << c.block << " @" << n - c.block + s;
        ASSERT_EQ(outR[static_cast<size_t>(s)], r)
            << "length " << c.length << " block " << c.block << " @" << n - c.block + s;
      }
    }
    // Both lines hold the same history: the next frame agrees too.
    float l1, r1, l2, r2;
    frames.Process(0.f, 0.f, l1, r1);
    blocks.Process(0.f, 0.f, l2, r2);
    EXPECT_EQ(l1, l2);
    EXPECT_EQ(r1, r2);
  }
}

#include "KestrineDelayLine.h"

#include <gtest/gtest.h>

#include <limits>

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

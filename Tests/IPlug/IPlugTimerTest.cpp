// The run-loop timer (systems without timer messages), driven with explicit times.
#include "IPlugAPIBase.h"

#include <gtest/gtest.h>

using namespace iplug;

TEST(Timer, TicksWhenDueAndNeverNested)
{
  const int before = Timer::NumRunning();
  int ticks = 0;
  int nested = 0;
  auto t = Timer::Create(
      [&](Timer&)
      {
        ++ticks;
        nested += Timer::PumpAll(UINT64_MAX); // a pump inside a tick runs nothing
      },
      20);
  EXPECT_EQ(Timer::NumRunning(), before + 1);
  const uint64_t t0 = Timer::NowMs();
  Timer::PumpAll(t0 + 5);
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(Timer::PumpAll(t0 + 25), 1);
  EXPECT_EQ(Timer::PumpAll(t0 + 25), 0) << "not due again yet";
  EXPECT_EQ(Timer::PumpAll(t0 + 500), 1) << "a late pump runs one tick, not a burst";
  EXPECT_EQ(nested, 0);
  t->Stop();
  t->Stop();
  EXPECT_EQ(Timer::NumRunning(), before);
  EXPECT_EQ(Timer::PumpAll(t0 + 10000), 0);
}

TEST(Timer, TickMayStopAndStartTimers)
{
  std::unique_ptr<Timer> other;
  int otherTicks = 0;
  auto self = Timer::Create(
      [&](Timer& me)
      {
        me.Stop();
        other = Timer::Create([&](Timer&) { ++otherTicks; }, 10);
      },
      0);
  const uint64_t t0 = Timer::NowMs();
  Timer::PumpAll(t0 + 1);
  ASSERT_TRUE(other);
  Timer::PumpAll(t0 + 100);
  EXPECT_EQ(otherTicks, 1);
  other.reset();
  self.reset();
}

namespace
{
class Idler : public IPlugAPIBase
{
public:
  explicit Idler(const PluginConfig& c) : IPlugAPIBase(c, kAPIAAX) {}
  void OnIdle() override { ++idles; }
  int idles = 0;
};
} // namespace

TEST(Timer, APIBaseTimerCallsTimerTick)
{
  PluginConfig c;
  c.nParams = 1;
  Idler p(c);
  EXPECT_EQ(p.GetTimer(), nullptr);
  p.StartTimer();
  ASSERT_NE(p.GetTimer(), nullptr);
  const uint64_t t0 = Timer::NowMs();
  Timer::PumpAll(t0 + 20);
  Timer::PumpAll(t0 + 40);
  EXPECT_EQ(p.idles, 2);
  p.StartTimer(); // replaces the previous one
  Timer::PumpAll(t0 + 60);
  Timer::PumpAll(t0 + 60);
  EXPECT_LE(p.idles, 3);
}

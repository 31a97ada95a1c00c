// The Windows timer: thread timer messages dispatched by the pump of the
// thread that started them. Waits poll with a generous deadline; nothing here
// measures speed.
#include "IPlugTimer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using namespace iplug;

namespace
{
// Pumps the calling thread's timer messages until done() or two seconds.
template <typename Done> bool PumpUntil(Done done)
{
  const ULONGLONG deadline = GetTickCount64() + 2000;
  while (!done())
  {
    if (GetTickCount64() > deadline) return false;
    Timer::PumpAll();
    Sleep(1);
  }
  return true;
}
} // namespace

TEST(WindowsTimer, TicksUntilStoppedAndLeavesTheList)
{
  const int before = Timer::NumRunning();
  int ticks = 0;
  auto t = Timer::Create([&](Timer&) { ++ticks; }, 10);
  EXPECT_EQ(Timer::NumRunning(), before + 1);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; })) << ticks << " ticks";
  t->Stop();
  t->Stop();
  EXPECT_EQ(Timer::NumRunning(), before);
  const int atStop = ticks;
  Sleep(50);
  Timer::PumpAll();
  EXPECT_EQ(ticks, atStop) << "a tick after Stop";
}

TEST(WindowsTimer, TicksNeverNestAndMayStopThemselves)
{
  int ticks = 0, depth = 0, deepest = 0, otherTicks = 0;
  std::unique_ptr<Timer> other;
  auto self = Timer::Create(
      [&](Timer& me)
      {
        ++ticks;
        deepest = std::max(deepest, ++depth);
        if (!other)
          other = Timer::Create(
              [&](Timer&)
              {
                ++otherTicks;
                deepest = std::max(deepest, ++depth);
                --depth;
              },
              5);
        Sleep(20); // both timers come due while this tick runs
        Timer::PumpAll();
        me.Stop();
        --depth;
      },
      5);
  ASSERT_TRUE(PumpUntil([&] { return otherTicks >= 2; }));
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(deepest, 1);
  other.reset();
  self.reset();
}

TEST(WindowsTimer, DestroyingARunningTimerStopsIt)
{
  const int before = Timer::NumRunning();
  int ticks = 0;
  {
    auto t = Timer::Create([&](Timer&) { ++ticks; }, 5);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
  }
  EXPECT_EQ(Timer::NumRunning(), before);
  const int atEnd = ticks;
  Sleep(30);
  Timer::PumpAll();
  EXPECT_EQ(ticks, atEnd);
}

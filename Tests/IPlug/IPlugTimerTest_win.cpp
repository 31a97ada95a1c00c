// The Windows timer: thread timer messages dispatched by the pump of the
// thread that started them. Waits poll with a generous deadline; nothing here
// measures speed.
#include "IPlugTimer.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using namespace iplug;

namespace
{
// Pumps the calling thread's timer messages until done() or the deadline.
template <typename Done> bool PumpUntil(Done done)
{
  return kestrine_test::WaitUntil(
      done, [] { Timer::PumpAll(); }, 1);
}

// Pumps until a timer of intervalMs that still runs has ticked twice: a
// stopped timer of that interval would have come due meanwhile as well.
void PumpUntilATimerOfTheSameIntervalTicksTwice(uint32_t intervalMs)
{
  int witnessTicks = 0;
  auto witness = Timer::Create([&](Timer&) { ++witnessTicks; }, intervalMs);
  EXPECT_TRUE(PumpUntil([&] { return witnessTicks >= 2; })) << "a running timer did not tick";
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
  PumpUntilATimerOfTheSameIntervalTicksTwice(10);
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
  PumpUntilATimerOfTheSameIntervalTicksTwice(5);
  EXPECT_EQ(ticks, atEnd);
}

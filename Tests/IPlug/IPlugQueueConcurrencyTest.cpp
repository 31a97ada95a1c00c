// One producer and one consumer thread hammer a small queue; every element
// must arrive once, in order, intact. Run under ThreadSanitizer as well.
#include "IPlugQueue.h"
#include "IPlugTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace iplug;

namespace
{
struct Item
{
  int64_t seq = 0;
  int64_t check = 0; // -seq: a torn element shows as a mismatch
};
} // namespace

TEST(RingQueueConcurrency, ProducerConsumerStress)
{
  constexpr int64_t kCount = 200000;
  for (int capacity : {1, 7, 512})
  {
    RingQueue<Item> q(capacity);
    std::thread producer(
        [&]
        {
          for (int64_t i = 0; i < kCount;)
          {
            Item it;
            it.seq = i;
            it.check = -i;
            if (q.Push(it))
              ++i;
            else
              std::this_thread::yield();
          }
        });
    int64_t expected = 0;
    bool intact = true;
    while (expected < kCount)
    {
      Item it;
      if (q.Pop(it))
      {
        intact = intact && it.seq == expected && it.check == -expected;
        ++expected;
        int avail = q.ElementsAvailable();
        intact = intact && avail >= 0 && avail <= capacity;
      }
      else
        std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(intact) << capacity;
    Item rest;
    EXPECT_FALSE(q.Pop(rest));
  }
}

TEST(TimerConcurrency, StopFromAnotherThreadWaitsForTheTick)
{
  std::atomic<bool> inTick{false};
  std::atomic<bool> overlapped{false};
  std::atomic<int> ticks{0};
  auto timer = Timer::Create(
      [&](Timer&)
      {
        if (inTick.exchange(true)) overlapped = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++ticks;
        inTick = false;
      },
      0);
  std::atomic<bool> stop{false};
  std::thread pumpA(
      [&]
      {
        while (!stop) Timer::PumpAll(Timer::NowMs() + 1000);
      });
  std::thread pumpB(
      [&]
      {
        while (!stop) Timer::PumpAll(Timer::NowMs() + 1000);
      });
  while (ticks < 20) std::this_thread::yield();
  timer->Stop();
  int after = ticks;
  EXPECT_FALSE(inTick.load()) << "Stop returned while a tick was running";
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(ticks.load(), after);
  stop = true;
  pumpA.join();
  pumpB.join();
  EXPECT_FALSE(overlapped.load());
}

#include "AAX_CAtomicQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
using Queue = AAX_CAtomicQueue<int, 256>;

TEST(AAX_CAtomicQueue, KeepsOrderAndWrapsAround)
{
  Queue q;
  std::vector<int> values(600);
  for (int round = 0; round < 3; ++round)
  {
    for (int i = 0; i < 200; ++i)
      ASSERT_EQ(q.Push(&values[round * 200 + i]), AAX_IContainer::eStatus_Success);
    EXPECT_EQ(q.Peek(), &values[round * 200]);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(q.Pop(), &values[round * 200 + i]);
    EXPECT_EQ(q.Pop(), nullptr);
    EXPECT_EQ(q.Peek(), nullptr);
  }
}

TEST(AAX_CAtomicQueue, PushAnswers)
{
  Queue q;
  int v[257];
  EXPECT_EQ(q.Push(nullptr), AAX_IContainer::eStatus_Unsupported);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(q.Push(&v[i]), AAX_IContainer::eStatus_Success) << i;
  const uint32_t writeIndex = q.WriteIndex();
  EXPECT_EQ(q.Push(&v[256]), AAX_IContainer::eStatus_Overflow);
  EXPECT_EQ(q.WriteIndex(), writeIndex) << "a refused push leaves the write index where it was";
  EXPECT_EQ(q.Pop(), &v[0]);
  EXPECT_EQ(q.Push(&v[256]), AAX_IContainer::eStatus_Success);
  for (int i = 1; i <= 256; ++i) ASSERT_EQ(q.Pop(), &v[i]);
  EXPECT_EQ(q.Pop(), nullptr);
}

// Two producers and one consumer: every element arrives exactly once.
TEST(AAX_CAtomicQueue, ProducersAndOneConsumer)
{
  Queue q;
  constexpr int kPerProducer = 5000;
  std::vector<int> values(2 * kPerProducer);
  std::atomic<bool> done{false};
  std::vector<int> seen(values.size(), 0);
  std::thread consumer(
      [&]
      {
        int received = 0;
        while (received < static_cast<int>(values.size()))
        {
          if (int* p = q.Pop())
          {
            ++seen[static_cast<size_t>(p - values.data())];
            ++received;
          }
          else if (done.load())
            std::this_thread::yield();
        }
      });
  auto produce = [&](int first)
  {
    for (int i = first; i < first + kPerProducer; ++i)
      while (q.Push(&values[static_cast<size_t>(i)]) != AAX_IContainer::eStatus_Success)
        std::this_thread::yield();
  };
  std::thread a(produce, 0), b(produce, kPerProducer);
  a.join();
  b.join();
  done = true;
  consumer.join();
  for (int s : seen) EXPECT_EQ(s, 1);
}
} // namespace

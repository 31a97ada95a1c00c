// Fixed-size lock-free pointer queue with N slots (N a power of two).
//
// Pushes are serialised by a push lock (an owner-thread mutex, so a thread
// that already holds it does not take it again); the consumer side takes no
// lock and never allocates, so the real-time thread may pop and peek. One
// consumer thread only. The queue does not own its elements: whoever pops
// an element (or clears the queue) is responsible for it.
//
// The write index names the last slot written, the read index the last slot
// read; both start at 0 with every slot empty, so the first element lands in
// slot 1.
#pragma once

#include "AAX_CMutex.h"
#include "AAX_IPointerQueue.h"

#include <atomic>
#include <cstdint>

template <typename T, uint32_t N> class AAX_CAtomicQueue : public AAX_IPointerQueue<T>
{
  static_assert(N > 1 && (N & (N - 1)) == 0, "slot count must be a power of two");

public:
  using typename AAX_IPointerQueue<T>::value_type;
  using EStatus = AAX_IContainer::EStatus;

  AAX_CAtomicQueue()
  {
    for (auto& slot : mSlots) slot.store(nullptr, std::memory_order_relaxed);
  }
  AAX_CAtomicQueue(const AAX_CAtomicQueue&) = delete;
  AAX_CAtomicQueue& operator=(const AAX_CAtomicQueue&) = delete;

  static constexpr uint32_t Capacity() { return N; }

  // Producer threads. Never allocates.
  EStatus Push(value_type element) override
  {
    if (!element) return AAX_IContainer::eStatus_Unsupported;
    AAX_StLock_Guard guard(mPushLock);

    const uint32_t w = mWriteIdx.fetch_add(1, std::memory_order_acq_rel);
    const uint32_t s = (w + 1) % N;
    value_type expected = nullptr;
    if (!mSlots[s].compare_exchange_strong(expected, element, std::memory_order_acq_rel))
    {
      // Full: take the increment back so the index keeps naming the last
      // slot written.
      uint32_t current = w + 1;
      mWriteIdx.compare_exchange_strong(current, w == UINT32_MAX ? N : w, std::memory_order_acq_rel);
      return AAX_IContainer::eStatus_Overflow;
    }
    if (s < w + 1)
    {
      // Wrapped: keep the index inside 0..N-1.
      uint32_t current = w + 1;
      mWriteIdx.compare_exchange_strong(current, s, std::memory_order_acq_rel);
    }
    return AAX_IContainer::eStatus_Success;
  }

  // Consumer thread only. Lock-free.
  value_type Pop() override
  {
    const uint32_t r = mReadIdx.load(std::memory_order_relaxed);
    const uint32_t next = (r + 1) % N;
    mReadIdx.store(next, std::memory_order_relaxed);
    value_type element = mSlots[next].exchange(nullptr, std::memory_order_acq_rel);
    if (!element) mReadIdx.store(r, std::memory_order_relaxed);
    return element;
  }

  value_type Peek() const override
  {
    return mSlots[(mReadIdx.load(std::memory_order_relaxed) + 1) % N].load(std::memory_order_acquire);
  }

  // Consumer thread: drops every element without releasing it.
  void Clear() override
  {
    while (Pop())
    {
    }
  }

  uint32_t WriteIndex() const { return mWriteIdx.load(); }
  uint32_t ReadIndex() const { return mReadIdx.load(); }

private:
  std::atomic<value_type> mSlots[N];
  std::atomic<uint32_t> mReadIdx{0};
  std::atomic<uint32_t> mWriteIdx{0};
  AAX_CMutex mPushLock;
};

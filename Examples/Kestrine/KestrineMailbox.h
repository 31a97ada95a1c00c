// Hands a value (for example a set of filter coefficients) from the threads
// that change parameters to the audio thread, without locks on the audio side
// and without ever letting the reader see a half-written value.
//
// Three slots: the writer owns one, the reader owns one, and the third is the
// hand-over slot. Publishing swaps the writer's slot with the hand-over slot
// and marks it fresh; Take swaps the reader's slot with it when it is fresh.
// Both swaps are single atomic exchanges, so the slot a side writes or reads is
// never touched by the other side.
//
// Threads: Publish may be called from several non-real-time threads (they are
// serialised by a mutex that the reader never takes). Take runs on the audio
// thread only; it never blocks and never allocates.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

template <typename T> class KestrineMailbox
{
public:
  // Writer side (any non-real-time thread).
  void Publish(const T& value)
  {
    std::lock_guard<std::mutex> lock(mWriterMutex);
    mSlots[mWriteSlot] = value;
    const uint8_t previous =
        mHandOver.exchange(static_cast<uint8_t>(mWriteSlot | kFresh), std::memory_order_acq_rel);
    mWriteSlot = previous & kSlotMask;
  }

  // Reader side (audio thread). Copies the newest published value into out and
  // returns true when one arrived since the last call.
  bool Take(T& out)
  {
    if (!(mHandOver.load(std::memory_order_relaxed) & kFresh)) return false;
    const uint8_t previous = mHandOver.exchange(static_cast<uint8_t>(mReadSlot), std::memory_order_acq_rel);
    mReadSlot = previous & kSlotMask;
    out = mSlots[mReadSlot];
    return true;
  }

  // Drops a published value that has not been taken (reset, audio side).
  void Discard()
  {
    T ignored;
    Take(ignored);
  }

private:
  static constexpr uint8_t kFresh = 0x4;
  static constexpr uint8_t kSlotMask = 0x3;

  T mSlots[3] = {};
  int mWriteSlot = 0; // writer's own slot (under mWriterMutex)
  int mReadSlot = 1;  // reader's own slot (audio thread)
  std::atomic<uint8_t> mHandOver{2};
  std::mutex mWriterMutex;
};

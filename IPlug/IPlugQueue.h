// Single-producer single-consumer ring queue that carries parameter values,
// MIDI and system-exclusive records between the processing side and the
// editor side.
//
// Threads: exactly one thread pushes and exactly one thread pops. Neither
// operation allocates or locks, so the audio thread may be either end.
// Resize allocates and must run before either end is in use.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace iplug
{

// One parameter value travelling to the editor (plain, not normalised).
struct ParamChange
{
  int32_t mIdx = 0;
  double mValue = 0.0;
};

template <typename T> class RingQueue
{
public:
  explicit RingQueue(int capacity = 0) { Resize(capacity); }
  RingQueue(const RingQueue&) = delete;
  RingQueue& operator=(const RingQueue&) = delete;

  // Construction time only: no thread may be pushing or popping.
  void Resize(int capacity)
  {
    mBuffer.assign(static_cast<size_t>(capacity < 0 ? 0 : capacity) + 1, T{});
    mWrite.store(0, std::memory_order_relaxed);
    mRead.store(0, std::memory_order_relaxed);
  }

  // Producer thread. Returns false (and drops the element) when full.
  bool Push(const T& item)
  {
    const uint64_t write = mWrite.load(std::memory_order_relaxed);
    const uint64_t next = Next(write);
    if (next == mRead.load(std::memory_order_acquire)) return false;
    mBuffer[static_cast<size_t>(write)] = item;
    mWrite.store(next, std::memory_order_release);
    return true;
  }

  // Consumer thread. Returns false when empty.
  bool Pop(T& item)
  {
    const uint64_t read = mRead.load(std::memory_order_relaxed);
    if (read == mWrite.load(std::memory_order_acquire)) return false;
    item = mBuffer[static_cast<size_t>(read)];
    mRead.store(Next(read), std::memory_order_release);
    return true;
  }

  // Either thread; a snapshot that may be stale by the time it is used.
  int ElementsAvailable() const
  {
    const uint64_t size = mBuffer.size();
    const uint64_t write = mWrite.load(std::memory_order_acquire);
    const uint64_t read = mRead.load(std::memory_order_acquire);
    return static_cast<int>((write + size - read) % size);
  }

  int Capacity() const { return static_cast<int>(mBuffer.size()) - 1; }

private:
  uint64_t Next(uint64_t pos) const { return (pos + 1) % mBuffer.size(); }

  std::vector<T> mBuffer;
  alignas(64) std::atomic<uint64_t> mWrite{0};
  alignas(64) std::atomic<uint64_t> mRead{0};
};

} // namespace iplug

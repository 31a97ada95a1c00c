// Counts heap allocations made by the current thread, so a test can assert
// that a region allocates nothing:
//
//   AllocationCounter counter;
//   queue.Push(x);
//   EXPECT_EQ(counter.Count(), 0);
//
// Linking kestrine_test_support replaces operator new/delete (every form)
// and, where the C library allows it (glibc, no sanitizer), malloc, free,
// calloc and realloc. Under AddressSanitizer or ThreadSanitizer the sanitizer
// owns malloc, and on Windows the C runtime cannot be interposed: there only
// operator new/delete are counted (MallocCounted() says which).
#pragma once

#include <cstdint>

namespace kestrine_test
{

// Allocations (new, new[], malloc, calloc, realloc) made so far by this thread.
uint64_t ThreadAllocationCount();
// True when malloc and friends are counted too, not just operator new.
bool MallocCounted();

class AllocationCounter
{
public:
  AllocationCounter() : mStart(ThreadAllocationCount()) {}
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;
  // Allocations by this thread since the counter was made.
  uint64_t Count() const { return ThreadAllocationCount() - mStart; }

private:
  uint64_t mStart;
};

// While it lives, operator new on this thread (every form that may throw)
// throws std::bad_alloc once `allowed` more allocations have succeeded, as
// when memory runs out part-way through an operation. The nothrow forms
// answer null instead. Not nested.
class ScopedOutOfMemory
{
public:
  explicit ScopedOutOfMemory(uint64_t allowed);
  ~ScopedOutOfMemory();
  ScopedOutOfMemory(const ScopedOutOfMemory&) = delete;
  ScopedOutOfMemory& operator=(const ScopedOutOfMemory&) = delete;
};

} // namespace kestrine_test

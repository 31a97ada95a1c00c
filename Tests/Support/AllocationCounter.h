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
// Operator new calls alone made so far by this thread: what C++ code
// allocates, without the C libraries it calls into (an OpenGL driver
// mallocs for its own bookkeeping on every draw).
uint64_t ThreadNewCount();
// True when malloc and friends are counted too, not just operator new.
bool MallocCounted();

class AllocationCounter
{
public:
  AllocationCounter() : mStart(ThreadAllocationCount()), mNewStart(ThreadNewCount()) {}
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;
  // Allocations by this thread since the counter was made.
  uint64_t Count() const { return ThreadAllocationCount() - mStart; }
  // Operator new calls by this thread since the counter was made.
  uint64_t NewCount() const { return ThreadNewCount() - mNewStart; }

private:
  uint64_t mStart;
  uint64_t mNewStart;
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

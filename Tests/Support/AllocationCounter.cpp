// Replacement allocation functions that count per thread. The counter is a
// plain thread_local integer in the executable's static TLS block, so reading
// it never allocates.
#include "AllocationCounter.h"

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(_WIN32)
#include <malloc.h> // _aligned_malloc
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KESTRINE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KESTRINE_SANITIZED 1
#endif
#endif

#if !defined(KESTRINE_SANITIZED) && defined(__GLIBC__) && !defined(_WIN32)
#define KESTRINE_COUNT_MALLOC 1
#endif

namespace
{
thread_local uint64_t tAllocations = 0;
thread_local uint64_t tNewAllocations = 0;
thread_local int64_t tAllowedNew = -1; // -1: no limit

void CheckOutOfMemory()
{
  if (tAllowedNew == 0) throw std::bad_alloc();
  if (tAllowedNew > 0) --tAllowedNew;
}
} // namespace

namespace kestrine_test
{

uint64_t ThreadAllocationCount()
{
  return tAllocations;
}

uint64_t ThreadNewCount()
{
  return tNewAllocations;
}

ScopedOutOfMemory::ScopedOutOfMemory(uint64_t allowed)
{
  tAllowedNew = static_cast<int64_t>(allowed);
}

ScopedOutOfMemory::~ScopedOutOfMemory()
{
  tAllowedNew = -1;
}

bool MallocCounted()
{
#if defined(KESTRINE_COUNT_MALLOC)
  return true;
#else
  return false;
#endif
}

} // namespace kestrine_test

#if defined(KESTRINE_COUNT_MALLOC)
// glibc's own entry points, which the replacements forward to.
extern "C" void* __libc_malloc(size_t);
extern "C" void __libc_free(void*);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

extern "C" void* malloc(size_t size)
{
  ++tAllocations;
  return __libc_malloc(size);
}
extern "C" void free(void* p)
{
  __libc_free(p);
}
extern "C" void* calloc(size_t n, size_t size)
{
  ++tAllocations;
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t size)
{
  ++tAllocations;
  return __libc_realloc(p, size);
}
#endif

namespace
{

void* CountedNew(size_t size)
{
  CheckOutOfMemory();
  ++tNewAllocations;
#if !defined(KESTRINE_COUNT_MALLOC)
  ++tAllocations; // malloc below counts itself otherwise
#endif
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}

void* CountedAlignedNew(size_t size, std::align_val_t align)
{
  CheckOutOfMemory();
  ++tAllocations;
  ++tNewAllocations;
  size_t a = static_cast<size_t>(align);
  if (a < sizeof(void*)) a = sizeof(void*);
#if defined(_WIN32)
  void* p = _aligned_malloc(size ? size : 1, a);
#else
  void* p = nullptr;
  if (posix_memalign(&p, a, size ? size : 1) != 0) p = nullptr;
#endif
  if (!p) throw std::bad_alloc();
  return p;
}

void AlignedFree(void* p)
{
#if defined(_WIN32)
  _aligned_free(p);
#else
  std::free(p);
#endif
}

} // namespace

void* operator new(size_t size)
{
  return CountedNew(size);
}
void* operator new[](size_t size)
{
  return CountedNew(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
  try
  {
    return CountedNew(size);
  }
  catch (...)
  {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
  try
  {
    return CountedNew(size);
  }
  catch (...)
  {
    return nullptr;
  }
}
void* operator new(size_t size, std::align_val_t align)
{
  return CountedAlignedNew(size, align);
}
void* operator new[](size_t size, std::align_val_t align)
{
  return CountedAlignedNew(size, align);
}
void* operator new(size_t size, std::align_val_t align, const std::nothrow_t&) noexcept
{
  try
  {
    return CountedAlignedNew(size, align);
  }
  catch (...)
  {
    return nullptr;
  }
}
void* operator new[](size_t size, std::align_val_t align, const std::nothrow_t&) noexcept
{
  try
  {
    return CountedAlignedNew(size, align);
  }
  catch (...)
  {
    return nullptr;
  }
}

void operator delete(void* p) noexcept
{
  std::free(p);
}
void operator delete[](void* p) noexcept
{
  std::free(p);
}
void operator delete(void* p, size_t) noexcept
{
  std::free(p);
}
void operator delete[](void* p, size_t) noexcept
{
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
  std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
  AlignedFree(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
  AlignedFree(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept
{
  AlignedFree(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept
{
  AlignedFree(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
  AlignedFree(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
  AlignedFree(p);
}

// The real-time probe of the Linux executable. It replaces the allocators
// (malloc, calloc, realloc, free, the aligned allocators and every operator
// new and delete) and the blocking pthread calls (mutex, read-write lock and
// condition waits, semaphores, sleeps) for the whole process, including a
// module opened later (the executable exports them). Each replacement
// forwards to the C library; on the render thread, between BeginWatch and
// EndWatch, it also records the call with a backtrace into a fixed table.
// Recording neither allocates nor locks.
#include "AAXHostRealtime.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <pthread.h>
#include <semaphore.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

extern "C"
{
  void* __libc_malloc(size_t);
  void* __libc_calloc(size_t, size_t);
  void* __libc_realloc(void*, size_t);
  void __libc_free(void*);
  void* __libc_memalign(size_t, size_t);
  void* __libc_valloc(size_t);
  void* __libc_pvalloc(size_t);
}

namespace
{
thread_local bool tWatching = false;
thread_local bool tRecording = false;

struct Violation
{
  const char* what;
  int depth;
  void* frames[32];
};
constexpr int kMaxViolations = 16;
Violation gViolations[kMaxViolations];
std::atomic<int> gCount{0};

inline void Note(const char* what)
{
  if (!tWatching || tRecording) return;
  tRecording = true;
  const int i = gCount.fetch_add(1);
  if (i < kMaxViolations)
  {
    gViolations[i].what = what;
    gViolations[i].depth = backtrace(gViolations[i].frames, 32);
  }
  tRecording = false;
}

std::string Demangle(const char* line)
{
  // backtrace_symbols lines look like "module(symbol+0x1f) [0x...]".
  std::string s(line);
  const size_t open = s.find('('), plus = s.find('+', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || plus == std::string::npos || plus <= open + 1) return s;
  const std::string mangled = s.substr(open + 1, plus - open - 1);
  int status = 0;
  char* d = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
  if (status != 0 || !d) return s;
  std::string out = s.substr(0, open + 1) + d + s.substr(plus);
  std::free(d);
  return out;
}

class LinuxProbe final : public aaxhost::RealtimeProbe
{
public:
  void BeginWatch() override { tWatching = true; }
  void EndWatch() override { tWatching = false; }
  int NumViolations() const override { return gCount.load(); }
  void Reset() override { gCount.store(0); }
  std::string Describe(int index) const override
  {
    if (index < 0 || index >= std::min(gCount.load(), kMaxViolations)) return std::string();
    const Violation& v = gViolations[index];
    std::string out = std::string("  ") + v.what + " on the render thread\n";
    char** lines = backtrace_symbols(v.frames, v.depth);
    for (int i = 1; lines && i < v.depth; ++i) out += "    " + Demangle(lines[i]) + "\n";
    std::free(lines);
    return out;
  }
};

LinuxProbe gProbe;

struct Installer
{
  Installer()
  {
    // The first backtrace loads the unwinder (allocating); do it now.
    void* frames[2];
    backtrace(frames, 2);
    aaxhost::RealtimeProbe::Install(&gProbe);
  }
} gInstaller;

// The C library's function of that name, looked up once. No function-local
// static: its guard could itself lock.
template <typename F> F Next(std::atomic<void*>& slot, const char* name)
{
  void* p = slot.load(std::memory_order_acquire);
  if (!p)
  {
    p = dlsym(RTLD_NEXT, name);
    slot.store(p, std::memory_order_release);
  }
  return reinterpret_cast<F>(p);
}

void* NewOrThrow(size_t n)
{
  Note("operator new");
  for (;;)
  {
    if (void* p = __libc_malloc(n ? n : 1)) return p;
    std::new_handler h = std::get_new_handler();
    if (!h) throw std::bad_alloc();
    h();
  }
}

void* NewAligned(size_t n, size_t align)
{
  Note("operator new (aligned)");
  if (void* p = __libc_memalign(align, n ? n : 1)) return p;
  throw std::bad_alloc();
}

void DeleteIt(void* p)
{
  if (!p) return;
  Note("operator delete");
  __libc_free(p);
}
} // namespace

extern "C"
{
  void* malloc(size_t n)
  {
    Note("malloc");
    return __libc_malloc(n);
  }
  void free(void* p)
  {
    if (p) Note("free");
    __libc_free(p);
  }
  void* calloc(size_t count, size_t size)
  {
    Note("calloc");
    return __libc_calloc(count, size);
  }
  void* realloc(void* p, size_t n)
  {
    Note("realloc");
    return __libc_realloc(p, n);
  }
  void* memalign(size_t align, size_t n)
  {
    Note("memalign");
    return __libc_memalign(align, n);
  }
  void* aligned_alloc(size_t align, size_t n)
  {
    Note("aligned_alloc");
    return __libc_memalign(align, n);
  }
  int posix_memalign(void** out, size_t align, size_t n)
  {
    Note("posix_memalign");
    if (align < sizeof(void*) || (align & (align - 1)) != 0) return EINVAL;
    void* p = __libc_memalign(align, n);
    if (!p && n) return ENOMEM;
    *out = p;
    return 0;
  }
  void* valloc(size_t n)
  {
    Note("valloc");
    return __libc_valloc(n);
  }
  void* pvalloc(size_t n)
  {
    Note("pvalloc");
    return __libc_pvalloc(n);
  }

  int pthread_mutex_lock(pthread_mutex_t* m)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(pthread_mutex_t*)>(slot, "pthread_mutex_lock");
    Note("pthread_mutex_lock");
    return real(m);
  }
  int pthread_mutex_trylock(pthread_mutex_t* m)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(pthread_mutex_t*)>(slot, "pthread_mutex_trylock");
    Note("pthread_mutex_trylock");
    return real(m);
  }
  int pthread_mutex_timedlock(pthread_mutex_t* m, const struct timespec* t)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real =
        Next<int (*)(pthread_mutex_t*, const struct timespec*)>(slot, "pthread_mutex_timedlock");
    Note("pthread_mutex_timedlock");
    return real(m, t);
  }
  int pthread_rwlock_rdlock(pthread_rwlock_t* l)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(pthread_rwlock_t*)>(slot, "pthread_rwlock_rdlock");
    Note("pthread_rwlock_rdlock");
    return real(l);
  }
  int pthread_rwlock_wrlock(pthread_rwlock_t* l)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(pthread_rwlock_t*)>(slot, "pthread_rwlock_wrlock");
    Note("pthread_rwlock_wrlock");
    return real(l);
  }
  int pthread_cond_wait(pthread_cond_t* c, pthread_mutex_t* m)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(pthread_cond_t*, pthread_mutex_t*)>(slot, "pthread_cond_wait");
    Note("pthread_cond_wait");
    return real(c, m);
  }
  int pthread_cond_timedwait(pthread_cond_t* c, pthread_mutex_t* m, const struct timespec* t)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(pthread_cond_t*, pthread_mutex_t*, const struct timespec*)>(
        slot, "pthread_cond_timedwait");
    Note("pthread_cond_timedwait");
    return real(c, m, t);
  }
  int sem_wait(sem_t* s)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(sem_t*)>(slot, "sem_wait");
    Note("sem_wait");
    return real(s);
  }
  int nanosleep(const struct timespec* req, struct timespec* rem)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(const struct timespec*, struct timespec*)>(slot, "nanosleep");
    Note("nanosleep");
    return real(req, rem);
  }
  int usleep(useconds_t us)
  {
    static std::atomic<void*> slot{nullptr};
    const auto real = Next<int (*)(useconds_t)>(slot, "usleep");
    Note("usleep");
    return real(us);
  }
}

void* operator new(size_t n)
{
  return NewOrThrow(n);
}
void* operator new[](size_t n)
{
  return NewOrThrow(n);
}
void* operator new(size_t n, const std::nothrow_t&) noexcept
{
  Note("operator new (nothrow)");
  return __libc_malloc(n ? n : 1);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept
{
  Note("operator new[] (nothrow)");
  return __libc_malloc(n ? n : 1);
}
void* operator new(size_t n, std::align_val_t a)
{
  return NewAligned(n, static_cast<size_t>(a));
}
void* operator new[](size_t n, std::align_val_t a)
{
  return NewAligned(n, static_cast<size_t>(a));
}
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
  Note("operator new (aligned, nothrow)");
  return __libc_memalign(static_cast<size_t>(a), n ? n : 1);
}
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
  Note("operator new[] (aligned, nothrow)");
  return __libc_memalign(static_cast<size_t>(a), n ? n : 1);
}
void operator delete(void* p) noexcept
{
  DeleteIt(p);
}
void operator delete[](void* p) noexcept
{
  DeleteIt(p);
}
void operator delete(void* p, size_t) noexcept
{
  DeleteIt(p);
}
void operator delete[](void* p, size_t) noexcept
{
  DeleteIt(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
  DeleteIt(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
  DeleteIt(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
  DeleteIt(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
  DeleteIt(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept
{
  DeleteIt(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept
{
  DeleteIt(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
  DeleteIt(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
  DeleteIt(p);
}

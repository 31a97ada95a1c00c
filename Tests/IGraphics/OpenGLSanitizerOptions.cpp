// Address-sanitizer settings for the tests that make OpenGL contexts. Mesa's
// software driver keeps some allocations until the process ends, and its
// JIT-compiled code has no frame pointers: full unwinding lets the leak
// checker see through it to the driver and to the loader's thread-local
// storage, which are not ours and are suppressed; leaks of our own code
// still fail. Unused in builds without the sanitizer.
extern "C" const char* __asan_default_options();
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __asan_default_options()
{
  return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
  return "leak:swrast_dri.so\n";
}

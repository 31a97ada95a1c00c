// Address-sanitizer settings for the tests that make OpenGL contexts. Mesa's
// software driver keeps some allocations until the process ends (suppressed
// by its module name). Tests that create and destroy contexts repeatedly
// (KESTRINE_NO_LEAK_CHECK) also meet allocations made from the driver's
// JIT-compiled code, which has no frame pointers and no module: they cannot
// be told from ours without full unwinding, which makes those tests run for
// many minutes, so their leak check is off (memory errors are still caught).
// Unused in builds without the sanitizer.
extern "C" const char* __asan_default_options();
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __asan_default_options()
{
#if defined(KESTRINE_NO_LEAK_CHECK)
  return "detect_leaks=0";
#else
  return "";
#endif
}

extern "C" const char* __lsan_default_suppressions()
{
  return "leak:swrast_dri.so\n";
}

// Where the tests find the module this project builds, and what they do
// while it is not built.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#ifndef AAXHOST_TEST_MODULE_REQUIRED
#define AAXHOST_TEST_MODULE_REQUIRED 0
#endif

inline std::string ModulePath()
{
  return AAXHOST_TEST_MODULE;
}

inline bool ModuleBuilt()
{
  return std::ifstream(ModulePath()).good();
}

// Skips the test while the build makes no module; fails when it should have.
#define REQUIRE_MODULE()                                                                                     \
  do                                                                                                         \
  {                                                                                                          \
    if (!ModuleBuilt())                                                                                      \
    {                                                                                                        \
      if (AAXHOST_TEST_MODULE_REQUIRED) FAIL() << "module not built: " << ModulePath();                      \
      GTEST_SKIP() << "no module in this build: " << ModulePath();                                           \
    }                                                                                                        \
  } while (0)

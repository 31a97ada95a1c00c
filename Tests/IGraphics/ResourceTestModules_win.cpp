#include "ResourceTestModules.h"

#include <windows.h>

namespace kestrine_test
{
void* OwnModule()
{
  return GetModuleHandleA(nullptr);
}

void* KestrineModule()
{
  // Loaded once and kept for the whole run, as a host keeps it.
  static HMODULE module = LoadLibraryA(KESTRINE_MODULE_PATH);
  return module;
}
} // namespace kestrine_test

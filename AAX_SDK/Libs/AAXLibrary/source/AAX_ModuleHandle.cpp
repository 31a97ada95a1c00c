// The module instance handle, stored by the DLL entry point when the module
// is loaded (null in programs that link the library without being a module:
// resource lookups then search the program itself).
#include "AAX_Exports.h"

#include <atomic>

namespace
{
std::atomic<void*> sModuleHandle{nullptr};
}

namespace AAX
{
void* ModuleHandle()
{
  return sModuleHandle.load();
}
void SetModuleHandle(void* handle)
{
  sModuleHandle.store(handle);
}
} // namespace AAX

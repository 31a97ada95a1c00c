#include "ModuleLoader.h"

#include <windows.h>

LoadedModule::LoadedModule(const char* path)
{
  // The build passes a Unix path when the tests run under Wine: its root is drive Z:.
  std::string p = path;
  if (!p.empty() && p[0] == '/') p = "Z:" + p;
  for (char& c : p)
    if (c == '/') c = '\\';
  mHandle = reinterpret_cast<void*>(LoadLibraryA(p.c_str()));
  if (!mHandle) mError = "LoadLibrary failed with error " + std::to_string(GetLastError()) + " for " + p;
}

LoadedModule::~LoadedModule()
{
  if (mHandle) FreeLibrary(reinterpret_cast<HMODULE>(mHandle));
}

void* LoadedModule::Symbol(const char* name) const
{
  return mHandle ? reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(mHandle), name))
                 : nullptr;
}

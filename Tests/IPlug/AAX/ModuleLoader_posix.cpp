#include "ModuleLoader.h"

#include <dlfcn.h>

LoadedModule::LoadedModule(const char* path)
{
  // RTLD_LOCAL: the module's symbols stay out of the test's namespace, as in a host.
  mHandle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!mHandle)
  {
    const char* e = dlerror();
    mError = e ? e : "dlopen failed";
  }
}

LoadedModule::~LoadedModule()
{
  if (mHandle) dlclose(mHandle);
}

void* LoadedModule::Symbol(const char* name) const
{
  return mHandle ? dlsym(mHandle, name) : nullptr;
}

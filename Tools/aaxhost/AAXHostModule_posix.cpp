// Module loading with dlopen (Linux and other POSIX systems).
#include "AAXHostModule.h"

#include <dlfcn.h>
#include <unistd.h>

namespace aaxhost
{

std::unique_ptr<Module> Module::Open(const std::string& path, std::string& error)
{
  // A plain file name would be searched on the library path; the user means a file.
  std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  if (access(file.c_str(), R_OK) != 0)
  {
    error = "cannot read module " + path;
    return nullptr;
  }
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle)
  {
    const char* why = dlerror();
    error = "cannot load module " + path + ": " + (why ? why : "unknown error");
    return nullptr;
  }
  std::unique_ptr<Module> m(new Module);
  m->mHandle = handle;
  m->mPath = path;
  std::string missing;
  if (!m->ResolveExports(missing))
  {
    error = "not a plug-in module: " + path + ": " + missing;
    return nullptr; // the destructor closes the handle
  }
  return m;
}

void* Module::Symbol(const char* name) const
{
  return dlsym(mHandle, name);
}

Module::~Module()
{
  if (mHandle) dlclose(mHandle);
}

void Module::PumpUserInterface()
{
  // No message loop here, and a module shows the host nothing but its seven
  // exports: a module's framework timer has nothing to pump it on this system.
}

bool StandardErrorIsTerminal()
{
  return isatty(STDERR_FILENO) != 0;
}

} // namespace aaxhost

// Module loading with LoadLibrary (64-bit Windows, also run under Wine).
#include "AAXHostModule.h"

#include <windows.h>

#include <io.h>
#include <stdio.h>

namespace aaxhost
{

namespace
{

std::wstring Widen(const std::string& s)
{
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}
} // namespace

std::unique_ptr<Module> Module::Open(const std::string& path, std::string& error)
{
  std::wstring wide = Widen(path);
  if (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)
  {
    error = "cannot read module " + path;
    return nullptr;
  }
  HMODULE handle = LoadLibraryW(wide.c_str());
  if (!handle)
  {
    error = "cannot load module " + path + ": error " + std::to_string(GetLastError());
    return nullptr;
  }
  std::unique_ptr<Module> m(new Module);
  m->mHandle = handle;
  m->mPath = path;
  std::string missing;
  if (!m->ResolveExports(missing))
  {
    error = "not a plug-in module: " + path + ": " + missing;
    return nullptr;
  }
  return m;
}

void* Module::Symbol(const char* name) const
{
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(mHandle), name));
}

Module::~Module()
{
  if (mHandle) FreeLibrary(static_cast<HMODULE>(mHandle));
}

void Module::PumpUserInterface()
{
  // The framework timer is a thread timer delivered by this thread's message loop.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
  {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool StandardErrorIsTerminal()
{
  return _isatty(_fileno(stderr)) != 0;
}

} // namespace aaxhost

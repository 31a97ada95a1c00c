// Loads a module the way a host does (dlopen / LoadLibrary) and finds its
// exports by name. One implementation per operating system, chosen by the build.
#pragma once

#include <string>

class LoadedModule
{
public:
  explicit LoadedModule(const char* path);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool IsLoaded() const { return mHandle != nullptr; }
  const std::string& Error() const { return mError; }
  // Null when the module has no such export.
  void* Symbol(const char* name) const;
  template <typename F> F Function(const char* name) const { return reinterpret_cast<F>(Symbol(name)); }

private:
  void* mHandle = nullptr;
  std::string mError;
};

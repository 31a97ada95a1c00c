// Embedded resources from a Windows module's resource section (compiled in
// with windres from the resource list).
#include "IGraphicsResources.h"

#include <windows.h>

namespace iplug
{
namespace igraphics
{

EmbeddedResource LoadEmbeddedResource(const char* name, const char* type, void* module)
{
  if (!name || !*name || !type || !*type || !module) return {};
  // The system compares string names and types without regard to case; the
  // stored names are upper-case with their quotes.
  const std::string storedName = EmbeddedResourceName(name);
  HMODULE handle = static_cast<HMODULE>(module);
  HRSRC info = FindResourceA(handle, storedName.c_str(), type);
  if (!info) return {};
  const DWORD size = SizeofResource(handle, info);
  if (size < kMinEmbeddedResourceSize) return {};
  HGLOBAL loaded = LoadResource(handle, info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return {data, static_cast<size_t>(size)};
}

} // namespace igraphics
} // namespace iplug

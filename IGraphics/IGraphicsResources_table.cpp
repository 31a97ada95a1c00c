// Embedded resources from the table linked into this binary (systems without
// module resources).
#include "IGraphicsResourceTable.h"

#include <string>

namespace iplug
{
namespace igraphics
{

// Binaries built without a resource list link this empty table; the
// generated table of a list replaces it.
__attribute__((weak)) EmbeddedResourceTable LinkedResourceTable()
{
  return {nullptr, 0};
}

EmbeddedResource FindInTable(const EmbeddedResourceTable& table, const char* name, const char* type)
{
  if (!name || !*name || !type || !*type) return {};
  const std::string storedName = EmbeddedResourceName(name);
  std::string storedType(type);
  for (char& c : storedType) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  for (size_t i = 0; i < table.count; ++i)
  {
    const EmbeddedResourceEntry& entry = table.entries[i];
    // The table holds upper-case names and types; the wanted ones are upper-cased.
    if (storedName != entry.name || storedType != entry.type) continue;
    if (entry.size < kMinEmbeddedResourceSize) return {};
    return {entry.data, entry.size};
  }
  return {};
}

EmbeddedResource LoadEmbeddedResource(const char* name, const char* type, void*)
{
  return FindInTable(LinkedResourceTable(), name, type);
}

} // namespace igraphics
} // namespace iplug

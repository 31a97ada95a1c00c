// Lookup of the resources embedded in a module: the pictures and fonts the
// editor loads by file name. The build embeds them from one resource list
// (IGraphics/Resources.cmake): on Windows as module resources, elsewhere as a
// table linked into the binary. Both answer the same way: names compare
// without regard to case, and a resource shorter than
// kMinEmbeddedResourceSize bytes is treated as absent.
//
// Any thread may look up; the bytes are read-only and live as long as the
// module is loaded.
#pragma once

#include <cstddef>
#include <string>

namespace iplug
{
namespace igraphics
{

// Nothing shorter can be a picture or a font (a PNG signature alone is 8 bytes).
constexpr size_t kMinEmbeddedResourceSize = 8;

// Bytes of an embedded resource; data is null when nothing was found.
struct EmbeddedResource
{
  const void* data = nullptr;
  size_t size = 0;

  explicit operator bool() const { return data != nullptr; }
};

// The stored name of a resource: the file name upper-cased and enclosed in
// double quotes ("Knob@2x.png" -> "\"KNOB@2X.PNG\""). A name that already
// starts with a quote is only upper-cased. Empty for an empty name.
std::string EmbeddedResourceName(const char* fileName);

// The resource type of a file: its extension upper-cased without the dot
// ("Knob@2x.png" -> "PNG"); empty when the file name has no extension.
std::string EmbeddedResourceType(const char* fileName);

// Finds the embedded resource `name` (a file name such as "Knob@2x.png", or
// its stored quoted form) of type `type` ("PNG", "TTF"; any case).
// `module` is the module instance handle on Windows (the DLL's own handle, or
// that of any loaded module to look into); elsewhere the table linked into
// this binary is searched and `module` is not used. Null or empty arguments,
// unknown names, other types and resources below the minimum size give the
// empty result.
EmbeddedResource LoadEmbeddedResource(const char* name, const char* type, void* module);

} // namespace igraphics
} // namespace iplug

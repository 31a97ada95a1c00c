// Name and type rules shared by every form of embedded resources.
#include "IGraphicsResources.h"

#include <cstring>

namespace iplug
{
namespace igraphics
{
namespace
{
// ASCII only: resource names are file names from the resource list, and a
// locale must not change what is found.
char Upper(char c)
{
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperCase(const char* text)
{
  std::string upper(text);
  for (char& c : upper) c = Upper(c);
  return upper;
}
} // namespace

std::string EmbeddedResourceName(const char* fileName)
{
  if (!fileName || !*fileName) return {};
  if (fileName[0] == '"') return UpperCase(fileName);
  return "\"" + UpperCase(fileName) + "\"";
}

std::string EmbeddedResourceType(const char* fileName)
{
  if (!fileName) return {};
  const char* dot = std::strrchr(fileName, '.');
  const char* slash = std::strpbrk(dot ? dot : fileName, "/\\");
  if (!dot || slash || !dot[1]) return {};
  std::string type = UpperCase(dot + 1);
  // A stored quoted name ends with its closing quote.
  if (!type.empty() && type.back() == '"') type.pop_back();
  return type;
}

} // namespace igraphics
} // namespace iplug

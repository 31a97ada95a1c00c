#include "IPlugPluginConfig.h"

#include <algorithm>
#include <cstdio>

namespace iplug
{

std::string VersionText(VersionWord v)
{
  char buf[33];
  std::snprintf(buf, sizeof(buf), "v%d.%d.%d", VersionMajor(v), VersionMinor(v), VersionPatch(v));
  return buf;
}

int VersionDecimal(VersionWord v)
{
  return VersionMajor(v) * 1000 + VersionMinor(v) * 100 + VersionPatch(v) * 10;
}

EditorLimits OrderedEditorLimits(const PluginConfig& c)
{
  return {std::min(c.plugMinWidth, c.plugMaxWidth), std::max(c.plugMinWidth, c.plugMaxWidth),
          std::min(c.plugMinHeight, c.plugMaxHeight), std::max(c.plugMinHeight, c.plugMaxHeight)};
}

} // namespace iplug

#include "SVGDocument.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace iplug
{
namespace igraphics
{
namespace svg
{
namespace
{
bool Fail(std::string* error, const char* why)
{
  if (error) *error = why;
  return false;
}

bool IsSpace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Pixels per unit at dpi; 0 for an unknown unit.
double PixelsPer(const std::string& unit, double dpi)
{
  if (unit.empty() || unit == "px") return 1.0;
  if (unit == "pt") return dpi / 72.0;
  if (unit == "pc") return dpi / 6.0;
  if (unit == "mm") return dpi / 25.4;
  if (unit == "cm") return dpi / 2.54;
  if (unit == "in") return dpi;
  return 0.0;
}

// A length attribute ("12", "12.5mm") in pixels; false for percentages,
// unknown units and text that is no number.
bool ParseLength(const std::string& text, double dpi, double& px)
{
  const char* begin = text.c_str();
  char* end = nullptr;
  double v = std::strtod(begin, &end);
  if (end == begin) return false;
  std::string unit(end);
  while (!unit.empty() && IsSpace(unit.back())) unit.pop_back();
  double per = PixelsPer(unit, dpi);
  if (per == 0.0) return false;
  px = v * per;
  return true;
}

// Value of attribute name inside the tag [begin, end), if present.
bool Attribute(const char* begin, const char* end, const char* name, std::string& value)
{
  size_t nameLen = std::strlen(name);
  for (const char* p = begin; p + nameLen < end; ++p)
  {
    if (std::strncmp(p, name, nameLen) != 0 || (p > begin && !IsSpace(p[-1]))) continue;
    const char* q = p + nameLen;
    while (q < end && IsSpace(*q)) ++q;
    if (q >= end || *q != '=') continue;
    ++q;
    while (q < end && IsSpace(*q)) ++q;
    if (q >= end || (*q != '"' && *q != '\'')) continue;
    char quote = *q++;
    const char* close = static_cast<const char*>(std::memchr(q, quote, static_cast<size_t>(end - q)));
    if (!close) return false;
    value.assign(q, close);
    return true;
  }
  return false;
}
} // namespace

std::unique_ptr<SVGImage> ParseSVG(const char* text, size_t size, const char* units, float dpi,
                                   std::string* error)
{
  if (!text || size == 0)
  {
    Fail(error, "no data");
    return nullptr;
  }
  const char* end = text + size;
  const char* tag = nullptr;
  for (const char* p = text; p + 4 < end; ++p)
    if (std::memcmp(p, "<svg", 4) == 0 && (IsSpace(p[4]) || p[4] == '>' || p[4] == '/'))
    {
      tag = p + 4;
      break;
    }
  const char* tagEnd =
      tag ? static_cast<const char*>(std::memchr(tag, '>', static_cast<size_t>(end - tag))) : nullptr;
  if (!tagEnd)
  {
    Fail(error, "no <svg> element");
    return nullptr;
  }

  double d = (dpi > 0.f && std::isfinite(dpi)) ? static_cast<double>(dpi) : 96.0;
  double w = 0.0, h = 0.0;
  std::string value;
  bool haveW = Attribute(tag, tagEnd, "width", value) && ParseLength(value, d, w);
  bool haveH = Attribute(tag, tagEnd, "height", value) && ParseLength(value, d, h);
  if ((!haveW || !haveH) && Attribute(tag, tagEnd, "viewBox", value))
  {
    double box[4] = {};
    const char* p = value.c_str();
    int n = 0;
    for (; n < 4; ++n)
    {
      char* next = nullptr;
      box[n] = std::strtod(p, &next);
      if (next == p) break;
      p = next;
      while (*p == ',' || IsSpace(*p)) ++p;
    }
    if (n == 4)
    {
      if (!haveW) w = box[2];
      if (!haveH) h = box[3];
      haveW = haveH = true;
    }
  }
  if (!haveW || !haveH || !(w > 0.0) || !(h > 0.0) || !std::isfinite(w) || !std::isfinite(h))
  {
    Fail(error, "no positive size");
    return nullptr;
  }
  double per = PixelsPer(units ? units : "px", d);
  if (per == 0.0) per = 1.0;
  auto image = std::make_unique<SVGImage>();
  image->width = static_cast<float>(w / per);
  image->height = static_cast<float>(h / per);
  return image;
}

} // namespace svg
} // namespace igraphics
} // namespace iplug

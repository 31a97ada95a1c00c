// Our own stand-in SVG reader, written for this project: it reads only what
// the graphics context needs to hold an SVG picture by name, the size of the
// root <svg> element (width and height, or the viewBox when they are absent)
// converted to the caller's units. Shapes are not parsed; nothing renders
// SVG yet. Input is untrusted bytes: every read stays inside them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace iplug
{
namespace igraphics
{
namespace svg
{

struct SVGImage
{
  float width = 0.f;
  float height = 0.f;
};

// Parses size bytes of SVG text. units: "px", "pt", "pc", "mm", "cm" or "in"
// (anything else counts as "px"); dpi: pixels per inch for the conversions.
// Nothing (and the reason in *error when given) for text without an <svg>
// root element or without a positive finite size.
std::unique_ptr<SVGImage> ParseSVG(const char* text, size_t size, const char* units, float dpi,
                                   std::string* error = nullptr);

} // namespace svg
} // namespace igraphics
} // namespace iplug

// UTF-8 and UTF-16 conversions for the Windows layer's files (the framework
// speaks UTF-8, Win32 UTF-16). Any thread.
#pragma once

#include <string>

namespace iplug
{
namespace igraphics
{
namespace wintext
{
// UTF-8 to UTF-16, cut to maxChars code units when maxChars >= 0; empty for
// null or empty text.
std::wstring Widen(const char* utf8, int maxChars = -1);
// UTF-16 to UTF-8; empty for null or empty text.
std::string Narrow(const wchar_t* w);
} // namespace wintext
} // namespace igraphics
} // namespace iplug

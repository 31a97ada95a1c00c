// Fixed-point text with Precision decimals followed by SpaceAfter spaces.
// Parsing reads the leading decimal number of the text (leading white space
// skipped); integer types truncate it toward zero.
#pragma once

#include "AAX_IDisplayDelegate.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <type_traits>

namespace AAX
{
// Cuts text to maxNumChars characters (negative counts as 0). When a cut to
// a positive limit leaves a trailing dot, the dot goes too ("2.5" at 2 -> "2").
inline void LimitNumberText(std::string& text, int32_t maxNumChars)
{
  const size_t limit = maxNumChars < 0 ? 0u : static_cast<size_t>(maxNumChars);
  if (text.size() <= limit) return;
  text.resize(limit);
  if (limit > 0 && text.back() == '.') text.pop_back();
}
} // namespace AAX

template <typename T, int32_t Precision = 2, int32_t SpaceAfter = 0>
class AAX_CNumberDisplayDelegate : public AAX_IDisplayDelegate<T>
{
  static_assert(Precision >= 0 && Precision <= 20, "precision out of range");
  static_assert(SpaceAfter >= 0 && SpaceAfter <= 16, "padding out of range");

public:
  AAX_CNumberDisplayDelegate* Clone() const override { return new AAX_CNumberDisplayDelegate(*this); }

  bool ValueToString(T value, AAX_CString* valueString) const override
  {
    if (!valueString) return false;
    valueString->Set(Format(value).c_str());
    return true;
  }

  bool ValueToString(T value, int32_t maxNumChars, AAX_CString* valueString) const override
  {
    if (!valueString) return false;
    std::string text = Format(value);
    AAX::LimitNumberText(text, maxNumChars);
    valueString->Set(text.c_str());
    return true;
  }

  bool StringToValue(const AAX_CString& valueString, T* value) const override
  {
    if (!value) return false;
    *value = T(0);
    const char* begin = valueString.Get();
    char* end = nullptr;
    const double parsed = std::strtod(begin, &end);
    if (end == begin) return false;
    if constexpr (std::is_integral_v<T>)
    {
      // Truncation of a value outside T's range (or NaN) is not defined: refuse it.
      const double truncated = std::trunc(parsed);
      if (!(truncated >= static_cast<double>(std::numeric_limits<T>::min()) &&
            truncated <= static_cast<double>(std::numeric_limits<T>::max())))
        return false;
      *value = static_cast<T>(truncated);
    }
    else
    {
      *value = static_cast<T>(parsed);
    }
    return true;
  }

private:
  static std::string Format(T value)
  {
    char buffer[400]; // enough for any double in %f form
    const int n = std::snprintf(buffer, sizeof(buffer), "%.*f", static_cast<int>(Precision),
                                static_cast<double>(value));
    std::string text = n < 0 ? std::string() : std::string(buffer);
    text.append(static_cast<size_t>(SpaceAfter), ' ');
    return text;
  }
};

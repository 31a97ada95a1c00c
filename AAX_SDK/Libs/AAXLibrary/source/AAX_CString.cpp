#include "AAX_CString.h"

#include <limits>

uint32_t AAX_CString::Length() const
{
  return mString.size() > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                               : static_cast<uint32_t>(mString.size());
}

uint32_t AAX_CString::MaxLength() const
{
  return std::numeric_limits<uint32_t>::max();
}

void AAX_CString::Set(const char* text)
{
  if (text)
    mString.assign(text);
  else
    mString.clear();
}

void AAX_CString::Set(const AAX_IString& other)
{
  if (&other == this) return;
  Set(other.Get());
}

void AAX_CString::Append(const char* text)
{
  if (text) mString.append(text);
}

void AAX_CString::Truncate(uint32_t n)
{
  if (n < mString.size()) mString.resize(n);
}

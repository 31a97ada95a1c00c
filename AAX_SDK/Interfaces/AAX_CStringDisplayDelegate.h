// Values shown as texts from a map; values without an entry show
// "String Not Found". Parsing is an exact match against the map's texts.
#pragma once

#include "AAX_IDisplayDelegate.h"

#include <map>

template <typename T> class AAX_CStringDisplayDelegate : public AAX_IDisplayDelegate<T>
{
public:
  explicit AAX_CStringDisplayDelegate(const std::map<T, AAX_CString>& strings) : mStrings(strings) {}

  AAX_CStringDisplayDelegate* Clone() const override { return new AAX_CStringDisplayDelegate(*this); }

  bool ValueToString(T value, AAX_CString* valueString) const override
  {
    if (!valueString) return false;
    const auto it = mStrings.find(value);
    if (it == mStrings.end())
    {
      valueString->Set("String Not Found");
      return false;
    }
    valueString->Set(it->second);
    return true;
  }

  // The mapped texts are shown whole: the limit is not applied.
  bool ValueToString(T value, int32_t, AAX_CString* valueString) const override
  {
    return ValueToString(value, valueString);
  }

  // The first entry in key order whose text matches.
  bool StringToValue(const AAX_CString& valueString, T* value) const override
  {
    if (!value) return false;
    for (const auto& entry : mStrings)
    {
      if (entry.second == valueString)
      {
        *value = entry.first;
        return true;
      }
    }
    *value = T(0);
    return false;
  }

private:
  std::map<T, AAX_CString> mStrings;
};

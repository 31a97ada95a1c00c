// Appends a unit text to the text of an inner display delegate, and strips
// it again before parsing.
#pragma once

#include "AAX_IDisplayDelegate.h"

#include <memory>

template <typename T> class AAX_CUnitDisplayDelegateDecorator : public AAX_IDisplayDelegate<T>
{
public:
  AAX_CUnitDisplayDelegateDecorator(const AAX_IDisplayDelegate<T>& inner, const AAX_CString& unit)
      : mInner(inner.Clone()), mUnit(unit)
  {
  }
  AAX_CUnitDisplayDelegateDecorator(const AAX_CUnitDisplayDelegateDecorator& other)
      : AAX_IDisplayDelegate<T>(), mInner(other.mInner->Clone()), mUnit(other.mUnit)
  {
  }
  AAX_CUnitDisplayDelegateDecorator& operator=(const AAX_CUnitDisplayDelegateDecorator&) = delete;

  AAX_CUnitDisplayDelegateDecorator* Clone() const override
  {
    return new AAX_CUnitDisplayDelegateDecorator(*this);
  }

  bool ValueToString(T value, AAX_CString* valueString) const override
  {
    if (!valueString) return false;
    const bool ok = mInner->ValueToString(value, valueString);
    valueString->Append(mUnit.Get());
    return ok;
  }

  // The unit is appended only when it fits completely after the inner text.
  bool ValueToString(T value, int32_t maxNumChars, AAX_CString* valueString) const override
  {
    if (!valueString) return false;
    const bool ok = mInner->ValueToString(value, maxNumChars, valueString);
    const int64_t length = valueString->Length();
    if (length < maxNumChars && maxNumChars - length >= static_cast<int64_t>(mUnit.Length()))
      valueString->Append(mUnit.Get());
    return ok;
  }

  bool StringToValue(const AAX_CString& valueString, T* value) const override
  {
    const std::string& text = valueString.StdString();
    const std::string& unit = mUnit.StdString();
    if (text.size() > unit.size() && text.compare(text.size() - unit.size(), unit.size(), unit) == 0)
      return mInner->StringToValue(AAX_CString(text.substr(0, text.size() - unit.size())), value);
    return mInner->StringToValue(valueString, value);
  }

private:
  std::unique_ptr<AAX_IDisplayDelegate<T>> mInner;
  AAX_CString mUnit;
};

// Two texts, one per state. Parsing is an exact, case-sensitive match.
#pragma once

#include "AAX_IDisplayDelegate.h"

template <typename T> class AAX_CBinaryDisplayDelegate : public AAX_IDisplayDelegate<T>
{
public:
  AAX_CBinaryDisplayDelegate(const char* falseString, const char* trueString)
      : mFalseString(falseString), mTrueString(trueString)
  {
  }

  AAX_CBinaryDisplayDelegate* Clone() const override { return new AAX_CBinaryDisplayDelegate(*this); }

  bool ValueToString(T value, AAX_CString* valueString) const override
  {
    if (!valueString) return false;
    valueString->Set(value ? mTrueString : mFalseString);
    return true;
  }

  // There are no shortened texts: the limit is not applied.
  bool ValueToString(T value, int32_t, AAX_CString* valueString) const override
  {
    return ValueToString(value, valueString);
  }

  bool StringToValue(const AAX_CString& valueString, T* value) const override
  {
    if (!value) return false;
    if (valueString == mTrueString)
    {
      *value = true;
      return true;
    }
    *value = false;
    return valueString == mFalseString;
  }

private:
  AAX_CString mFalseString;
  AAX_CString mTrueString;
};

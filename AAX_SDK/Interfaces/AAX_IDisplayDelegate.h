// Display delegates convert between a parameter's real value and text.
// A parameter owns a Clone of the display it was given. They hold no mutable
// state; failures are answered with false and never touch memory outside the
// given strings.
#pragma once

#include "AAX_CString.h"

#include <cstdint>

class AAX_IDisplayDelegateBase
{
public:
  virtual ~AAX_IDisplayDelegateBase() = default;
};

template <typename T> class AAX_IDisplayDelegate : public AAX_IDisplayDelegateBase
{
public:
  virtual AAX_IDisplayDelegate* Clone() const = 0;
  // Text of a value without a length limit.
  virtual bool ValueToString(T value, AAX_CString* valueString) const = 0;
  // Text of a value for a field of at most maxNumChars characters (a
  // negative limit counts as 0), where the delegate honours a limit.
  virtual bool ValueToString(T value, int32_t maxNumChars, AAX_CString* valueString) const = 0;
  // On failure *value is the type's zero (false, 0) and the answer false.
  virtual bool StringToValue(const AAX_CString& valueString, T* value) const = 0;
};

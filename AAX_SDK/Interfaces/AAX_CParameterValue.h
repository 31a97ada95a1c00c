#pragma once

#include "AAX_Assert.h"
#include "AAX_IParameterValue.h"

#include <cstring>
#include <type_traits>

template <typename T> class AAX_CParameterValue : public AAX_IParameterValue
{
public:
  // Identifiers of 32 or more characters are reported and cut to 31.
  AAX_CParameterValue(AAX_CParamID identifier, const T& value) : mValue(value)
  {
    const size_t len = identifier ? std::strlen(identifier) : 0;
    AAX_ASSERT(len < eParemeterDefaultMaxIdentifierSize);
    const size_t n = len < eParemeterDefaultMaxIdentifierSize ? len : eParemeterDefaultMaxIdentifierSize - 1;
    if (n) std::memcpy(mIdentifier, identifier, n);
    mIdentifier[n] = '\0';
  }

  AAX_CParameterValue* Clone() const override { return new AAX_CParameterValue(*this); }
  AAX_CParamID Identifier() const override { return mIdentifier; }

  const T& Get() const { return mValue; }
  void Set(const T& value) { mValue = value; }

  bool GetValueAsBool(bool* value) const override { return GetAs(value); }
  bool GetValueAsInt32(int32_t* value) const override { return GetAs(value); }
  bool GetValueAsFloat(float* value) const override { return GetAs(value); }
  bool GetValueAsDouble(double* value) const override { return GetAs(value); }

private:
  template <typename U> bool GetAs(U* value) const
  {
    if constexpr (std::is_same_v<U, T>)
    {
      if (!value) return false;
      *value = mValue;
      return true;
    }
    else
    {
      (void)value;
      return false;
    }
  }

  char mIdentifier[eParemeterDefaultMaxIdentifierSize] = {};
  T mValue;
};

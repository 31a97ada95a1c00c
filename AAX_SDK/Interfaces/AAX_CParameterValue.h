#pragma once

#include "AAX_Assert.h"
#include "AAX_IParameterValue.h"

#include <atomic>
#include <cstring>
#include <type_traits>

// One parameter's identifier and current value. The value is written by the
// host's parameter threads and read by the render thread (for example the
// master bypass in every render call), so it is held as a relaxed atomic: a
// reader sees either the old or the new value, never a torn one.
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

  AAX_CParameterValue(const AAX_CParameterValue& other) : mValue(other.Get())
  {
    std::memcpy(mIdentifier, other.mIdentifier, sizeof(mIdentifier));
  }
  AAX_CParameterValue& operator=(const AAX_CParameterValue&) = delete;

  AAX_CParameterValue* Clone() const override { return new AAX_CParameterValue(*this); }
  AAX_CParamID Identifier() const override { return mIdentifier; }

  T Get() const { return mValue.load(std::memory_order_relaxed); }
  void Set(const T& value) { mValue.store(value, std::memory_order_relaxed); }

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
      *value = Get();
      return true;
    }
    else
    {
      (void)value;
      return false;
    }
  }

  char mIdentifier[eParemeterDefaultMaxIdentifierSize] = {};
  std::atomic<T> mValue;
};

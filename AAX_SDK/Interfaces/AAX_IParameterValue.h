// A parameter's identifier together with one value of it: the copy that
// travels to the render thread (synchronized parameters). Owned by whoever
// cloned it; read-only once made, so it may be read from any thread.
#pragma once

#include "AAX.h"

class AAX_IParameterValue
{
public:
  virtual ~AAX_IParameterValue() = default;
  virtual AAX_IParameterValue* Clone() const = 0;
  virtual AAX_CParamID Identifier() const = 0;
  // Each answers false and leaves *value alone when the value is of another type.
  virtual bool GetValueAsBool(bool* value) const = 0;
  virtual bool GetValueAsInt32(int32_t* value) const = 0;
  virtual bool GetValueAsFloat(float* value) const = 0;
  virtual bool GetValueAsDouble(double* value) const = 0;
};

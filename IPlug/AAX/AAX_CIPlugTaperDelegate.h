// Taper over a framework parameter: keeps no range or shape of its own and
// asks the IParam at every call, so the host sees exactly the parameter's
// shape, snapping and clamping. The IParam must outlive every copy (the
// plug-in owns both the IParam and the AAX parameter holding this taper).
// Any thread that reads the parameter; holds no mutable state.
#pragma once

#include "AAX_ITaperDelegate.h"
#include "IPlugParameter.h"

template <typename T> class AAX_CIPlugTaperDelegate : public AAX_ITaperDelegate<T>
{
public:
  explicit AAX_CIPlugTaperDelegate(const iplug::IParam& param) : mParam(param) {}

  AAX_CIPlugTaperDelegate* Clone() const override { return new AAX_CIPlugTaperDelegate(*this); }
  T GetMaximumValue() const override { return static_cast<T>(mParam.GetMax()); }
  T GetMinimumValue() const override { return static_cast<T>(mParam.GetMin()); }
  T ConstrainRealValue(T value) const override
  {
    return static_cast<T>(mParam.SnapAndClamp(static_cast<double>(value)));
  }
  T NormalizedToReal(double normalizedValue) const override
  {
    return static_cast<T>(mParam.SnapAndClamp(mParam.GetShape().MapToValue(normalizedValue, mParam)));
  }
  double RealToNormalized(T realValue) const override
  {
    return mParam.NormalFromValue(static_cast<double>(realValue));
  }

private:
  const iplug::IParam& mParam;
};

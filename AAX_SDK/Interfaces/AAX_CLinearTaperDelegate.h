// Linear taper between min and max, with real values rounded to a grid of
// 1 / RealPrecision (RealPrecision 1 rounds to whole numbers; 0 leaves the
// value unrounded). min and max may come in either order.
#pragma once

#include "AAX_ITaperDelegate.h"

#include <cmath>
#include <cstdint>

template <typename T, int32_t RealPrecision = 1> class AAX_CLinearTaperDelegate : public AAX_ITaperDelegate<T>
{
public:
  AAX_CLinearTaperDelegate(T minValue, T maxValue) : mMinValue(minValue), mMaxValue(maxValue) {}

  AAX_CLinearTaperDelegate* Clone() const override { return new AAX_CLinearTaperDelegate(*this); }
  T GetMaximumValue() const override { return mMaxValue; }
  T GetMinimumValue() const override { return mMinValue; }

  T ConstrainRealValue(T value) const override
  {
    if (mMinValue == mMaxValue) return mMinValue;
    const T lo = mMinValue < mMaxValue ? mMinValue : mMaxValue;
    const T hi = mMinValue < mMaxValue ? mMaxValue : mMinValue;
    if (value < lo) return lo;
    if (value > hi) return hi;
    return value;
  }

  T NormalizedToReal(double normalizedValue) const override
  {
    const double minValue = static_cast<double>(mMinValue);
    const double maxValue = static_cast<double>(mMaxValue);
    double real = (maxValue - minValue) * normalizedValue + minValue;
    if (RealPrecision > 0) real = std::floor(real * RealPrecision + 0.5) / RealPrecision;
    // Clamp before converting: a value outside T's range (or NaN, from a
    // host value outside 0..1) must not reach the conversion.
    const double lo = minValue < maxValue ? minValue : maxValue;
    const double hi = minValue < maxValue ? maxValue : minValue;
    if (!(real >= lo)) real = lo;
    if (real > hi) real = hi;
    return ConstrainRealValue(static_cast<T>(real));
  }

  double RealToNormalized(T realValue) const override
  {
    if (mMaxValue == mMinValue) return 0.5;
    const T constrained = ConstrainRealValue(realValue);
    return (static_cast<double>(constrained) - static_cast<double>(mMinValue)) /
           (static_cast<double>(mMaxValue) - static_cast<double>(mMinValue));
  }

private:
  T mMinValue;
  T mMaxValue;
};

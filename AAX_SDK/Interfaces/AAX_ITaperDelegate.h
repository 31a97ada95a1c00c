// Taper delegates convert between a parameter's real value (in the value
// type's own units) and the host's normalized range 0..1.
//
// Concrete tapers derive from AAX_ITaperDelegate<T>; one may keep no range
// of its own and ask another object at every call (the binding's taper over
// a framework parameter does). A parameter owns a Clone of the taper it was
// given. Calls come from whichever thread uses the parameter; tapers hold no
// mutable state.
#pragma once

class AAX_ITaperDelegateBase
{
public:
  virtual ~AAX_ITaperDelegateBase() = default;
};

template <typename T> class AAX_ITaperDelegate : public AAX_ITaperDelegateBase
{
public:
  // A new copy owned by the caller.
  virtual AAX_ITaperDelegate* Clone() const = 0;
  virtual T GetMaximumValue() const = 0;
  virtual T GetMinimumValue() const = 0;
  // The nearest value the taper allows.
  virtual T ConstrainRealValue(T value) const = 0;
  virtual T NormalizedToReal(double normalizedValue) const = 0;
  virtual double RealToNormalized(T realValue) const = 0;
};

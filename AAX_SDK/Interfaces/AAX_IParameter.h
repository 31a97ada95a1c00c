// One host parameter as the effect-parameters object manages it. The host
// reaches parameters only through the effect-parameters operations (by
// identifier); this interface is the module's own.
//
// Threads: the host's non-real-time threads and the binding's user-interface
// thread; the render thread only reads values (GetValueAs*). Nothing here is
// locked: callers keep writes on one thread at a time.
#pragma once

#include "AAX.h"
#include "AAX_CString.h"
#include "AAX_HostInterfaces.h"
#include "AAX_IParameterValue.h"

class AAX_IParameter
{
public:
  virtual ~AAX_IParameter() = default;

  virtual AAX_IParameterValue* CloneValue() const = 0;
  virtual AAX_CParamID Identifier() const = 0;

  virtual void SetName(const AAX_CString& name) = 0;
  virtual const AAX_CString& Name() const = 0;
  virtual void AddShortenedName(const AAX_CString& name) = 0;
  // The longest shortened name of at most length characters (else the
  // shortest one); the full name when there are no shortened names.
  virtual const AAX_CString& ShortenedName(int32_t length) const = 0;
  virtual void ClearShortenedNames() = 0;

  virtual bool Automatable() const = 0;
  // Unregisters from the previous delegate and registers with the new one
  // (either may be null). The delegate is not owned.
  virtual void SetAutomationDelegate(AAX_IAutomationDelegate* delegate) = 0;
  virtual void Touch() = 0;
  virtual void Release() = 0;

  // With an automation delegate this posts a set request and the value
  // changes only when the host answers through UpdateNormalizedValue.
  virtual void SetNormalizedValue(double normalizedValue) = 0;
  virtual double GetNormalizedValue() const = 0;
  // Stores the value (and, with an automation delegate, reports it to the
  // host) when it differs from the current one or a notification is pending.
  virtual void UpdateNormalizedValue(double normalizedValue) = 0;
  virtual void SetNormalizedDefaultValue(double normalizedDefault) = 0;
  virtual double GetNormalizedDefaultValue() const = 0;
  virtual void SetToDefaultValue() = 0;

  virtual void SetNumberOfSteps(uint32_t numSteps) = 0;
  virtual uint32_t GetNumberOfSteps() const = 0;
  virtual uint32_t GetStepValue() const = 0;
  virtual double GetNormalizedValueFromStep(uint32_t step) const = 0;
  virtual uint32_t GetStepValueFromNormalizedValue(double normalizedValue) const = 0;

  virtual void SetType(AAX_EParameterType type) = 0;
  virtual AAX_EParameterType GetType() const = 0;
  virtual void SetOrientation(AAX_EParameterOrientation orientation) = 0;
  virtual AAX_EParameterOrientation GetOrientation() const = 0;

  // Text of the stored value (the limit is not applied).
  virtual bool GetValueString(int32_t maxNumChars, AAX_CString* valueString) const = 0;
  virtual bool GetStringFromNormalizedValue(double normalizedValue, int32_t maxNumChars,
                                            AAX_CString& valueString) const = 0;
  virtual bool GetNormalizedValueFromString(const AAX_CString& valueString,
                                            double* normalizedValue) const = 0;

  // Each answers false when the parameter is of another value type.
  virtual bool GetValueAsBool(bool* value) const = 0;
  virtual bool GetValueAsInt32(int32_t* value) const = 0;
  virtual bool GetValueAsFloat(float* value) const = 0;
  virtual bool GetValueAsDouble(double* value) const = 0;
};

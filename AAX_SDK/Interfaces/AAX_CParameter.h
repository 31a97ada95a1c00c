// A host parameter holding a value of type T (bool, int or double), with a
// taper to and from the normalized range and a display to and from text.
// See AAX_IParameter for the threads.
#pragma once

#include "AAX_Assert.h"
#include "AAX_CParameterValue.h"
#include "AAX_IDisplayDelegate.h"
#include "AAX_IParameter.h"
#include "AAX_ITaperDelegate.h"

#include <cmath>
#include <iterator>
#include <map>
#include <memory>

template <typename T> class AAX_CParameter : public AAX_IParameter
{
public:
  // Keeps clones of taper and display. Number of steps from the type
  // (continuous at construction: 128), orientation 0, no automation
  // delegate; the value starts at the default.
  AAX_CParameter(AAX_CParamID identifier, const AAX_CString& name, T defaultValue,
                 const AAX_ITaperDelegate<T>& taperDelegate, const AAX_IDisplayDelegate<T>& displayDelegate,
                 bool automatable)
      : mValue(identifier, defaultValue), mName(name), mAutomatable(automatable),
        mTaperDelegate(taperDelegate.Clone()), mDisplayDelegate(displayDelegate.Clone()),
        mDefaultValue(defaultValue)
  {
    if (mNumSteps == 0) mNumSteps = mType == AAX_eParameterType_Discrete ? 2 : 128;
    SetValue(mDefaultValue);
  }

  ~AAX_CParameter() override
  {
    if (mAutomationDelegate) mAutomationDelegate->UnregisterParameter(Identifier());
  }

  AAX_CParameter(const AAX_CParameter&) = delete;
  AAX_CParameter& operator=(const AAX_CParameter&) = delete;

  AAX_IParameterValue* CloneValue() const override
  {
    return new AAX_CParameterValue<T>(Identifier(), mValue.Get());
  }
  AAX_CParamID Identifier() const override { return mValue.Identifier(); }

  void SetName(const AAX_CString& name) override { mName = name; }
  const AAX_CString& Name() const override { return mName; }
  void AddShortenedName(const AAX_CString& name) override { mShortenedNames[name.Length()] = name; }
  const AAX_CString& ShortenedName(int32_t length) const override
  {
    if (mShortenedNames.empty()) return mName;
    if (length < 0) return mShortenedNames.begin()->second;
    auto it = mShortenedNames.upper_bound(static_cast<uint32_t>(length));
    if (it == mShortenedNames.begin()) return it->second;
    return std::prev(it)->second;
  }
  void ClearShortenedNames() override { mShortenedNames.clear(); }

  bool Automatable() const override { return mAutomatable; }
  void SetAutomationDelegate(AAX_IAutomationDelegate* delegate) override
  {
    if (mAutomationDelegate) mAutomationDelegate->UnregisterParameter(Identifier());
    mAutomationDelegate = delegate;
    if (mAutomationDelegate) mAutomationDelegate->RegisterParameter(Identifier());
  }
  void Touch() override
  {
    if (mAutomationDelegate) mAutomationDelegate->PostTouchRequest(Identifier());
  }
  void Release() override
  {
    if (mAutomationDelegate) mAutomationDelegate->PostReleaseRequest(Identifier());
  }

  void SetNormalizedValue(double normalizedValue) override
  {
    SetValue(mTaperDelegate->NormalizedToReal(normalizedValue));
  }
  double GetNormalizedValue() const override { return mTaperDelegate->RealToNormalized(mValue.Get()); }

  void UpdateNormalizedValue(double normalizedValue) override
  {
    const T newValue = mTaperDelegate->NormalizedToReal(normalizedValue);
    if (!mNeedNotify && newValue == mValue.Get()) return;
    mValue.Set(newValue);
    if (mAutomationDelegate) mAutomationDelegate->PostCurrentValue(Identifier(), normalizedValue);
    mNeedNotify = false;
  }

  void SetNormalizedDefaultValue(double normalizedDefault) override
  {
    mDefaultValue = mTaperDelegate->ConstrainRealValue(mTaperDelegate->NormalizedToReal(normalizedDefault));
  }
  double GetNormalizedDefaultValue() const override
  {
    return mTaperDelegate->RealToNormalized(mDefaultValue);
  }
  void SetToDefaultValue() override { SetValue(mDefaultValue); }

  void SetNumberOfSteps(uint32_t numSteps) override
  {
    AAX_ASSERT(0 < numSteps);
    if (numSteps > 0) mNumSteps = numSteps;
  }
  uint32_t GetNumberOfSteps() const override { return mNumSteps; }
  uint32_t GetStepValue() const override { return GetStepValueFromNormalizedValue(GetNormalizedValue()); }

  double GetNormalizedValueFromStep(uint32_t step) const override
  {
    if (mNumSteps < 2) return 0.0;
    const double x = static_cast<double>(step) / static_cast<double>(mNumSteps - 1);
    return x > 1.0 ? 1.0 : x;
  }

  uint32_t GetStepValueFromNormalizedValue(double normalizedValue) const override
  {
    if (mNumSteps < 2) return 0;
    const double step = std::trunc(normalizedValue * static_cast<double>(mNumSteps - 1) + 0.5);
    if (!(step >= 0.0)) return 0; // also NaN
    if (step > static_cast<double>(mNumSteps - 1)) return mNumSteps - 1;
    return static_cast<uint32_t>(step);
  }

  void SetType(AAX_EParameterType type) override { mType = type; }
  AAX_EParameterType GetType() const override { return mType; }
  void SetOrientation(AAX_EParameterOrientation orientation) override { mOrientation = orientation; }
  AAX_EParameterOrientation GetOrientation() const override { return mOrientation; }

  bool GetValueString(int32_t, AAX_CString* valueString) const override
  {
    return mDisplayDelegate->ValueToString(mValue.Get(), valueString);
  }

  bool GetStringFromNormalizedValue(double normalizedValue, int32_t maxNumChars,
                                    AAX_CString& valueString) const override
  {
    const T value = mTaperDelegate->NormalizedToReal(normalizedValue);
    if (!mDisplayDelegate->ValueToString(value, maxNumChars, &valueString)) return false;
    return mTaperDelegate->GetMinimumValue() <= value && value <= mTaperDelegate->GetMaximumValue();
  }

  bool GetNormalizedValueFromString(const AAX_CString& valueString, double* normalizedValue) const override
  {
    if (!normalizedValue) return false;
    T value{};
    if (!mDisplayDelegate->StringToValue(valueString, &value)) return false;
    *normalizedValue = mTaperDelegate->RealToNormalized(value);
    return true;
  }

  bool GetValueAsBool(bool* value) const override { return mValue.GetValueAsBool(value); }
  bool GetValueAsInt32(int32_t* value) const override { return mValue.GetValueAsInt32(value); }
  bool GetValueAsFloat(float* value) const override { return mValue.GetValueAsFloat(value); }
  bool GetValueAsDouble(double* value) const override { return mValue.GetValueAsDouble(value); }

  // Real value access for the owner of the typed object.
  T GetValue() const { return mValue.Get(); }
  T GetDefaultValue() const { return mDefaultValue; }
  const AAX_ITaperDelegate<T>& TaperDelegate() const { return *mTaperDelegate; }
  const AAX_IDisplayDelegate<T>& DisplayDelegate() const { return *mDisplayDelegate; }

private:
  // With an automation delegate: touch, post a set request, release; the
  // host's answer stores the value. Without one: store it directly.
  void SetValue(T newValue)
  {
    const double normalizedValue = mTaperDelegate->RealToNormalized(newValue);
    if (mAutomationDelegate)
    {
      Touch();
      mAutomationDelegate->PostSetValueRequest(Identifier(), normalizedValue);
      Release();
    }
    else
    {
      mNeedNotify = true;
      UpdateNormalizedValue(normalizedValue);
    }
  }

  AAX_CParameterValue<T> mValue;
  AAX_CString mName;
  std::map<uint32_t, AAX_CString> mShortenedNames; // maximum length -> text
  bool mAutomatable;
  uint32_t mNumSteps = 0;
  AAX_EParameterType mType = AAX_eParameterType_Continuous;
  AAX_EParameterOrientation mOrientation = AAX_eParameterOrientation_Default;
  std::unique_ptr<AAX_ITaperDelegate<T>> mTaperDelegate;
  std::unique_ptr<AAX_IDisplayDelegate<T>> mDisplayDelegate;
  AAX_IAutomationDelegate* mAutomationDelegate = nullptr;
  bool mNeedNotify = true;
  T mDefaultValue;
};

// One automatable parameter: range, step, default, unit label, the shape that
// maps plain values to and from the normalised 0..1 range hosts and controls
// use, and the rules that turn a value into display text and back.
//
// Threads: the setup operations (Define...) run once in the plug-in's
// constructor, before any host or editor access. Afterwards only the value
// changes; it is a 64-bit atomic read and written from the audio thread, the
// host's parameter thread and the editor's timer. Value, SetValue, SetNormal,
// GetNormal and the conversions allocate nothing and take no lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace iplug
{

class IParam;

// Fixed text fields of a parameter: 31 characters plus NUL.
constexpr int kMaxParamTextLen = 32;
// FormatValue writes at most this many characters plus NUL.
constexpr int kMaxParamDisplayLen = 32;

enum ParamType
{
  kTypeNone = 0,
  kTypeBool = 1,
  kTypeInt = 2,
  kTypeEnum = 3,
  kTypeDouble = 4
};

enum ParamUnit
{
  kUnitPercent = 0,
  kUnitSeconds = 1,
  kUnitMilliseconds = 2,
  kUnitDecibels = 4,
  kUnitDegrees = 8,
  kUnitFrequency = 12,
  kUnitGeneric = 21
};

enum ParamFlags
{
  kFlagsNone = 0,
  kFlagNotAutomatable = 1,
  kFlagStepped = 2,
  kFlagNegatedDisplay = 4,
  kFlagSignedDisplay = 8
};

// The curve between normalised and plain values.
class Shape
{
public:
  virtual ~Shape() = default;
  virtual Shape* Clone() const = 0;
  // Derives internal constants from the owning parameter's min and max.
  virtual void Prepare(const IParam& param) { (void)param; }
  // Small code describing the curve, for hosts that draw it.
  virtual int DisplayKind() const = 0;
  // Normalised to plain, no clamping.
  virtual double MapToValue(double normal, const IParam& param) const = 0;
  // Plain to normalised, no clamping.
  virtual double MapToNormal(double value, const IParam& param) const = 0;
};

class ShapeLinear : public Shape
{
public:
  Shape* Clone() const override { return new ShapeLinear(*this); }
  int DisplayKind() const override { return 0; }
  double MapToValue(double normal, const IParam& param) const override;
  double MapToNormal(double value, const IParam& param) const override;
};

class ShapePowCurve : public Shape
{
public:
  explicit ShapePowCurve(double exponent) : mExponent(exponent) {}
  Shape* Clone() const override { return new ShapePowCurve(*this); }
  int DisplayKind() const override;
  double MapToValue(double normal, const IParam& param) const override;
  double MapToNormal(double value, const IParam& param) const override;
  double Exponent() const { return mExponent; }

private:
  double mExponent;
};

class ShapeExp : public Shape
{
public:
  Shape* Clone() const override { return new ShapeExp(*this); }
  void Prepare(const IParam& param) override;
  int DisplayKind() const override { return 1; }
  double MapToValue(double normal, const IParam& param) const override;
  double MapToNormal(double value, const IParam& param) const override;

private:
  double mMul = 1.0;
  double mAdd = 1.0;
};

// Writes the display text for a value into a caller-owned buffer of
// kMaxParamDisplayLen + 1 bytes.
using DisplayFunction = std::function<void(double value, char* out)>;

struct DisplayText
{
  double mValue = 0.0;
  char mText[kMaxParamTextLen] = {};
};

class IParam
{
public:
  IParam();
  ~IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // --- Setup (constructor thread only)
  void DefineDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                    const char* label = "", int flags = 0, const char* group = "",
                    const Shape& shape = ShapeLinear(), int unit = kUnitGeneric,
                    DisplayFunction displayFunc = nullptr);
  void DefineInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
                 int flags = 0, const char* group = "");
  // Counted form: either no texts, or exactly nEnums texts.
  template <typename... Texts>
  void DefineEnum(const char* name, int defaultVal, int nEnums, const char* label, int flags,
                  const char* group, Texts... texts)
  {
    const char* list[] = {static_cast<const char*>(texts)..., nullptr};
    DefineEnumCounted(name, defaultVal, nEnums, label, flags, group, list,
                      static_cast<int>(sizeof...(Texts)));
  }
  void DefineEnum(const char* name, int defaultVal, int nEnums, const char* label = "", int flags = 0,
                  const char* group = "")
  {
    DefineEnumCounted(name, defaultVal, nEnums, label, flags, group, nullptr, 0);
  }
  // List form.
  void DefineEnum(const char* name, int defaultVal, std::initializer_list<const char*> texts, int flags = 0,
                  const char* group = "");
  void DefineBool(const char* name, bool defaultVal, const char* label = "", int flags = 0,
                  const char* group = "", const char* offText = "off", const char* onText = "on");
  void DefineSeconds(const char* name, double defaultVal, double minVal, double maxVal, double step,
                     int flags = 0, const char* group = "");
  void DefineMilliseconds(const char* name, double defaultVal, double minVal, double maxVal, int flags = 0,
                          const char* group = "");
  void DefineFrequency(const char* name, double defaultVal, double minVal, double maxVal, double step,
                       int flags = 0, const char* group = "");
  void DefineGain(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  int flags = 0, const char* group = "");
  void DefinePercentage(const char* name, double defaultVal, double minVal, double maxVal, int flags = 0,
                        const char* group = "");
  void DefineAngle(const char* name, double defaultVal, double minVal, double maxVal, int flags = 0,
                   const char* group = "");
  // defaultVal is an index into lowestNote..highestNote. middleCIsOctave4:
  // note 60 reads as "C 4" when true, "C 3" when false.
  void DefinePitch(const char* name, int defaultVal, int lowestNote, int highestNote, int flags = 0,
                   const char* group = "", bool middleCIsOctave4 = false);
  void DefineFromCopy(const IParam& source, const char* searchStr, const char* replaceStr,
                      const char* newGroup = "");

  // --- Value access (any thread; atomic, no allocation)
  double Value() const { return mValue.load(std::memory_order_relaxed); }
  bool AsBool() const { return Value() >= 0.5; }
  int AsInt() const;
  void SetValue(double value) { mValue.store(SnapAndClamp(value), std::memory_order_relaxed); }
  void SetNormal(double normal) { mValue.store(ValueFromNormal(normal), std::memory_order_relaxed); }
  double GetNormal() const { return NormalFromValue(Value()); }
  void ResetToDefault() { mValue.store(mDefault, std::memory_order_relaxed); }
  double GetDefault(bool normalised = false) const
  {
    return normalised ? NormalFromValue(mDefault) : mDefault;
  }

  // --- Conversions
  double SnapAndClamp(double value) const;
  double ValueFromNormal(double normal) const;
  double NormalFromValue(double value) const;
  // Normalised value quantised through the shape and the step, clipped to 0..1.
  double ConstrainNormalized(double normal) const;

  // --- Fields
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetRange() const { return mMax - mMin; }
  double GetStep() const { return mStep; }
  void GetBounds(double& lo, double& hi) const
  {
    lo = mMin;
    hi = mMax;
  }
  ParamType Type() const { return static_cast<ParamType>(mType); }
  int Unit() const { return mUnit; }
  int GetFlags() const { return mFlags; }
  bool GetStepped() const { return (mFlags & kFlagStepped) != 0; }
  bool GetCanAutomate() const { return (mFlags & kFlagNotAutomatable) == 0; }
  bool GetNegateDisplay() const { return (mFlags & kFlagNegatedDisplay) != 0; }
  bool GetSignDisplay() const { return (mFlags & kFlagSignedDisplay) != 0; }
  const char* GetName() const { return mName; }
  const char* GetLabel() const { return mLabel; }
  const char* GetGroup() const { return mGroup; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  void SetPrecision(int precision) { mDisplayPrecision = precision; }
  const Shape& GetShape() const { return *mShape; }
  bool HasDisplayFunction() const { return static_cast<bool>(mDisplayFunction); }

  // --- Display
  // out must hold kMaxParamDisplayLen + 1 bytes.
  void FormatValue(double value, bool isNormalised, char* out, bool useDisplayTexts = true) const;
  void FormatValue(double value, bool isNormalised, std::string& out, bool useDisplayTexts = true) const;
  // Text shown after the number: empty when the value has its own display text.
  const char* UnitLabel() const;
  double ParseValue(const char* text) const;

  int DisplayTextCount() const { return static_cast<int>(mDisplayTexts.size()); }
  void AddDisplayText(double value, const char* text);
  // Text of the first entry with exactly this value, or "".
  const char* DisplayTextFor(double value) const;
  // index must be below DisplayTextCount().
  const char* DisplayTextAt(int index, double* outValue = nullptr) const;
  bool FindDisplayText(const char* text, double* outValue) const;

  void AppendJSON(std::string& out, int id) const;

private:
  void DefineEnumCounted(const char* name, int defaultVal, int nEnums, const char* label, int flags,
                         const char* group, const char* const* texts, int nTexts);

  int mType = kTypeNone;
  int mUnit = kUnitGeneric;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  int mFlags = 0;
  char mName[kMaxParamTextLen] = {};
  char mLabel[kMaxParamTextLen] = {};
  char mGroup[kMaxParamTextLen] = {};
  std::unique_ptr<Shape> mShape;
  DisplayFunction mDisplayFunction;
  std::vector<DisplayText> mDisplayTexts;
};

static_assert(std::atomic<double>::is_always_lock_free, "parameter values must be lock-free atomics");

} // namespace iplug

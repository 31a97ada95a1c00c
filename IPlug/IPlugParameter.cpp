#include "IPlugParameter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace iplug
{

namespace
{

// Copies at most size - 1 characters and always terminates; a null source
// gives an empty text.
void CopyText(char* dst, const char* src, size_t size)
{
  if (!src) src = "";
  size_t n = std::strlen(src);
  if (n >= size) n = size - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

// A double brought into int range before the conversion, so that an
// out-of-range value can never make the cast undefined.
int ToIntSaturated(double v)
{
  if (!(v == v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

// NaN ends at 0 rather than propagating into a host.
double Clip01(double n)
{
  if (!(n >= 0.0)) return 0.0;
  return n > 1.0 ? 1.0 : n;
}

} // namespace

// --- Shapes

double ShapeLinear::MapToValue(double normal, const IParam& param) const
{
  return param.GetMin() + normal * (param.GetMax() - param.GetMin());
}

double ShapeLinear::MapToNormal(double value, const IParam& param) const
{
  return (value - param.GetMin()) / (param.GetMax() - param.GetMin());
}

int ShapePowCurve::DisplayKind() const
{
  if (mExponent > 2.5) return 6;
  if (mExponent > 1.5) return 4;
  if (mExponent < 0.4) return 5;
  if (mExponent < 2.0 / 3.0) return 3;
  return 0;
}

double ShapePowCurve::MapToValue(double normal, const IParam& param) const
{
  return param.GetMin() + std::pow(normal, mExponent) * (param.GetMax() - param.GetMin());
}

double ShapePowCurve::MapToNormal(double value, const IParam& param) const
{
  return std::pow((value - param.GetMin()) / (param.GetMax() - param.GetMin()), 1.0 / mExponent);
}

void ShapeExp::Prepare(const IParam& param)
{
  // An exponential curve cannot start at 0: a range from 0 or below starts at 1e-8.
  double lo = param.GetMin() > 0.0 ? param.GetMin() : 1e-8;
  mAdd = std::log(lo);
  mMul = std::log(param.GetMax() / lo);
}

double ShapeExp::MapToValue(double normal, const IParam&) const
{
  return std::exp(normal * mMul + mAdd);
}

double ShapeExp::MapToNormal(double value, const IParam&) const
{
  return (std::log(value) - mAdd) / mMul;
}

// --- IParam

IParam::IParam() : mShape(new ShapeLinear) {}

IParam::~IParam() = default;

void IParam::DefineDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                          const char* label, int flags, const char* group, const Shape& shape, int unit,
                          DisplayFunction displayFunc)
{
  if (mType == kTypeNone) mType = kTypeDouble;
  CopyText(mName, name, sizeof(mName));
  CopyText(mLabel, label, sizeof(mLabel));
  CopyText(mGroup, group, sizeof(mGroup));
  mMin = minVal;
  mMax = std::max(minVal + step, maxVal);
  mStep = step;
  mDefault = defaultVal;
  mUnit = unit;
  mFlags = flags;
  mDisplayFunction = std::move(displayFunc);
  mValue.store(SnapAndClamp(defaultVal));

  mDisplayPrecision = 0;
  for (double s = step; mDisplayPrecision < 6 && std::floor(s) != s; s *= 10.0) ++mDisplayPrecision;

  mShape.reset(shape.Clone());
  mShape->Prepare(*this);
}

void IParam::DefineInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label, int flags,
                       const char* group)
{
  if (mType == kTypeNone) mType = kTypeInt;
  DefineDouble(name, defaultVal, minVal, maxVal, 1.0, label, flags | kFlagStepped, group, ShapeLinear(),
               kUnitGeneric, nullptr);
}

void IParam::DefineEnumCounted(const char* name, int defaultVal, int nEnums, const char* label, int flags,
                               const char* group, const char* const* texts, int nTexts)
{
  if (mType == kTypeNone) mType = kTypeEnum;
  DefineInt(name, defaultVal, 0, nEnums - 1, label, flags | kFlagStepped, group);
  if (texts && nTexts > 0 && texts[0])
  {
    // Callers give all nEnums texts; never read past those actually passed.
    int n = std::min(nEnums, nTexts);
    for (int i = 0; i < n; ++i) AddDisplayText(i, texts[i]);
  }
}

void IParam::DefineEnum(const char* name, int defaultVal, std::initializer_list<const char*> texts, int flags,
                        const char* group)
{
  if (mType == kTypeNone) mType = kTypeEnum;
  DefineDouble(name, defaultVal, 0.0, static_cast<double>(texts.size()) - 1.0, 1.0, "", flags | kFlagStepped,
               group, ShapeLinear(), kUnitGeneric, nullptr);
  int i = 0;
  for (const char* t : texts) AddDisplayText(i++, t);
}

void IParam::DefineBool(const char* name, bool defaultVal, const char* label, int flags, const char* group,
                        const char* offText, const char* onText)
{
  if (mType == kTypeNone) mType = kTypeBool;
  DefineEnum(name, defaultVal ? 1 : 0, 2, label, flags | kFlagStepped, group);
  AddDisplayText(0.0, offText);
  AddDisplayText(1.0, onText);
}

void IParam::DefineSeconds(const char* name, double defaultVal, double minVal, double maxVal, double step,
                           int flags, const char* group)
{
  DefineDouble(name, defaultVal, minVal, maxVal, step, "Seconds", flags, group, ShapeLinear(), kUnitSeconds);
}

void IParam::DefineMilliseconds(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                                const char* group)
{
  DefineDouble(name, defaultVal, minVal, maxVal, 1.0, "ms", flags, group, ShapeLinear(), kUnitMilliseconds);
}

void IParam::DefineFrequency(const char* name, double defaultVal, double minVal, double maxVal, double step,
                             int flags, const char* group)
{
  DefineDouble(name, defaultVal, minVal, maxVal, step, "Hz", flags, group, ShapeExp(), kUnitFrequency);
}

void IParam::DefineGain(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        int flags, const char* group)
{
  DefineDouble(name, defaultVal, minVal, maxVal, step, "dB", flags, group, ShapeLinear(), kUnitDecibels);
}

void IParam::DefinePercentage(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                              const char* group)
{
  DefineDouble(name, defaultVal, minVal, maxVal, 1.0, "%", flags, group, ShapeLinear(), kUnitPercent);
}

void IParam::DefineAngle(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                         const char* group)
{
  DefineDouble(name, defaultVal, minVal, maxVal, 1.0, "degrees", flags, group, ShapeLinear(), kUnitDegrees);
}

void IParam::DefinePitch(const char* name, int defaultVal, int lowestNote, int highestNote, int flags,
                         const char* group, bool middleCIsOctave4)
{
  static const char* const kNoteNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ",
                                             "F#", "G ", "G#", "A ", "A#", "B "};
  DefineEnum(name, defaultVal, highestNote - lowestNote + 1, "", flags, group);
  for (int k = lowestNote; k <= highestNote; ++k)
  {
    char text[kMaxParamTextLen];
    int octave = k / 12 - (middleCIsOctave4 ? 1 : 2);
    std::snprintf(text, sizeof(text), "%s%i", kNoteNames[((k % 12) + 12) % 12], octave);
    AddDisplayText(k - lowestNote, text);
  }
}

void IParam::DefineFromCopy(const IParam& source, const char* searchStr, const char* replaceStr,
                            const char* newGroup)
{
  if (mType == kTypeNone) mType = source.mType;
  std::string name = source.mName;
  std::string group = source.mGroup;
  if (searchStr && *searchStr)
  {
    size_t at = name.find(searchStr);
    if (at != std::string::npos) name.replace(at, std::strlen(searchStr), replaceStr ? replaceStr : "");
  }
  if (newGroup && *newGroup) group = newGroup;
  // Copy first: source may be this parameter.
  std::vector<DisplayText> texts = source.mDisplayTexts;
  std::unique_ptr<Shape> shape(source.mShape->Clone());
  std::string label = source.mLabel;
  DefineDouble(name.c_str(), source.mDefault, source.mMin, source.mMax, source.mStep, label.c_str(),
               source.mFlags, group.c_str(), *shape, source.mUnit, source.mDisplayFunction);
  for (const DisplayText& t : texts) mDisplayTexts.push_back(t);
}

int IParam::AsInt() const
{
  return ToIntSaturated(Value());
}

double IParam::SnapAndClamp(double v) const
{
  if ((mFlags & kFlagStepped) && mStep != 0.0) v = std::round(v / mStep) * mStep;
  if (!(v >= mMin)) v = mMin; // also catches NaN
  if (v > mMax) v = mMax;
  return v;
}

double IParam::ValueFromNormal(double normal) const
{
  return SnapAndClamp(mShape->MapToValue(normal, *this));
}

double IParam::NormalFromValue(double value) const
{
  return Clip01(mShape->MapToNormal(SnapAndClamp(value), *this));
}

double IParam::ConstrainNormalized(double normal) const
{
  return Clip01(mShape->MapToNormal(SnapAndClamp(mShape->MapToValue(normal, *this)), *this));
}

void IParam::FormatValue(double value, bool isNormalised, char* out, bool useDisplayTexts) const
{
  constexpr size_t kOutSize = kMaxParamDisplayLen + 1;
  if (isNormalised) value = ValueFromNormal(value);

  if (mDisplayFunction)
  {
    out[0] = '\0';
    mDisplayFunction(value, out);
    out[kMaxParamDisplayLen] = '\0';
    return;
  }

  if (useDisplayTexts)
  {
    const char* text = DisplayTextFor(value);
    if (*text)
    {
      CopyText(out, text, kOutSize);
      return;
    }
  }

  double d = GetNegateDisplay() ? -value : value;
  if (d == 0.0) d = 0.0; // -0 shows as 0

  if (mDisplayPrecision == 0)
    std::snprintf(out, kOutSize, "%d", ToIntSaturated(std::round(d)));
  else if (GetSignDisplay() && d != 0.0)
  {
    char format[16];
    std::snprintf(format, sizeof(format), "%%+.%df", mDisplayPrecision);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    std::snprintf(out, kOutSize, format, d);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  }
  else
    std::snprintf(out, kOutSize, "%.*f", mDisplayPrecision, d);
}

void IParam::FormatValue(double value, bool isNormalised, std::string& out, bool useDisplayTexts) const
{
  char buf[kMaxParamDisplayLen + 1];
  FormatValue(value, isNormalised, buf, useDisplayTexts);
  out = buf;
}

const char* IParam::UnitLabel() const
{
  const char* text = DisplayTextFor(std::trunc(Value()));
  return *text ? "" : mLabel;
}

double IParam::ParseValue(const char* text) const
{
  if (!text) text = "";
  double v = 0.0;
  if (!mDisplayTexts.empty() && FindDisplayText(text, &v)) return v;
  if (mType == kTypeBool || mType == kTypeEnum) return 0.0;
  v = std::strtod(text, nullptr);
  if (GetNegateDisplay()) v = -v;
  return SnapAndClamp(v);
}

void IParam::AddDisplayText(double value, const char* text)
{
  // The list grows in steps of 4096 bytes' worth of entries.
  constexpr size_t kStep = 4096 / sizeof(DisplayText);
  if (mDisplayTexts.size() == mDisplayTexts.capacity()) mDisplayTexts.reserve(mDisplayTexts.size() + kStep);
  DisplayText entry;
  entry.mValue = value;
  CopyText(entry.mText, text, sizeof(entry.mText));
  mDisplayTexts.push_back(entry);
}

const char* IParam::DisplayTextFor(double value) const
{
  for (const DisplayText& t : mDisplayTexts)
    if (t.mValue == value) return t.mText;
  return "";
}

const char* IParam::DisplayTextAt(int index, double* outValue) const
{
  const DisplayText& t = mDisplayTexts[static_cast<size_t>(index)];
  if (outValue) *outValue = t.mValue;
  return t.mText;
}

bool IParam::FindDisplayText(const char* text, double* outValue) const
{
  if (!text) return false;
  for (const DisplayText& t : mDisplayTexts)
    if (std::strcmp(t.mText, text) == 0)
    {
      if (outValue) *outValue = t.mValue;
      return true;
    }
  return false;
}

void IParam::AppendJSON(std::string& out, int id) const
{
  static const char* const kTypeWords[] = {nullptr, "bool", "int", "enum", "float"};
  char piece[8192];
  auto add = [&](int n) { out.append(piece, static_cast<size_t>(std::clamp(n, 0, int(sizeof(piece)) - 1))); };
  out += "{";
  add(std::snprintf(piece, sizeof(piece), "\"id\":%i, ", id));
  add(std::snprintf(piece, sizeof(piece), "\"name\":\"%s\", ", mName));
  if (mType > kTypeNone && mType <= kTypeDouble)
    add(std::snprintf(piece, sizeof(piece), "\"type\":\"%s\", ", kTypeWords[mType]));
  add(std::snprintf(piece, sizeof(piece), "\"min\":%f, ", mMin));
  add(std::snprintf(piece, sizeof(piece), "\"max\":%f, ", mMax));
  add(std::snprintf(piece, sizeof(piece), "\"default\":%f, ", mDefault));
  out += "\"rate\":\"control\"";
  out += "}";
}

} // namespace iplug

// The module's own string: growable, owns its text.
#pragma once

#include "AAX_IString.h"

#include <string>

class AAX_CString : public AAX_IString
{
public:
  AAX_CString() = default;
  AAX_CString(const char* text) { Set(text); }
  AAX_CString(const std::string& text) : mString(text) {}
  AAX_CString(const AAX_IString& other) { Set(other); }
  AAX_CString(const AAX_CString& other) = default;
  AAX_CString(AAX_CString&& other) = default;
  AAX_CString& operator=(const AAX_CString& other) = default;
  AAX_CString& operator=(AAX_CString&& other) = default;
  AAX_CString& operator=(const char* text)
  {
    Set(text);
    return *this;
  }
  virtual ~AAX_CString() = default;

  uint32_t Length() const override;
  uint32_t MaxLength() const override;
  const char* Get() const override { return mString.c_str(); }
  void Set(const char* text) override;
  void Set(const AAX_IString& other) override;

  const std::string& StdString() const { return mString; }
  bool Empty() const { return mString.empty(); }
  void Clear() { mString.clear(); }
  void Append(const char* text);
  // Keeps the first n characters (n beyond the length changes nothing).
  void Truncate(uint32_t n);

  bool operator==(const AAX_CString& other) const { return mString == other.mString; }
  bool operator!=(const AAX_CString& other) const { return mString != other.mString; }
  bool operator==(const char* text) const { return text && mString == text; }

private:
  std::string mString;
};

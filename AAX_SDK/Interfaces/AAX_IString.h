// Text object exchanged with the host: query results are set into the
// caller's string; the host hands its own strings in (track name).
#pragma once

#include <cstdint>

// Slot order: 0 Length, 1 MaxLength, 2 Get, 3 Set(text), 4 Set(string).
// The two Set overloads are declared in two classes, base first: compilers
// may order overloads declared together in a class in different ways, while
// a base's slots always come before those its derived class adds.
class AAX_IStringCore
{
public:
  // Number of characters, without the terminator.
  virtual uint32_t Length() const = 0;
  virtual uint32_t MaxLength() const = 0;
  // Zero-terminated text, valid until the next change of the string.
  virtual const char* Get() const = 0;
  // A null text sets the empty string.
  virtual void Set(const char* text) = 0;

protected:
  ~AAX_IStringCore() = default;
};

class AAX_IString : public AAX_IStringCore
{
public:
  using AAX_IStringCore::Set;
  virtual void Set(const AAX_IString& other) = 0;

protected:
  ~AAX_IString() = default;
};

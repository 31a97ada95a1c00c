// Component base of the module boundary: 128-bit interface identifiers and
// the reference-counted unknown every host and plug-in object implements.
//
// Objects cross the boundary as pointers to interfaces whose operations are
// called by vtable slot. Interfaces therefore never declare a virtual
// destructor (it would occupy slots); their destructors are protected so that
// nobody deletes an object through one. Lifetime goes through AddRef/Release.
#pragma once

#include <cstdint>
#include <cstring>

using ACFRESULT = int32_t;

constexpr ACFRESULT kACFResult_OK = 0;
// Answer of QueryInterface for an identifier the object does not implement.
constexpr ACFRESULT kACFResult_NoInterface = static_cast<ACFRESULT>(0x80000004u); // -2147483644
// What the module's exports answer when anything escapes their body.
constexpr ACFRESULT kACFResult_Unexpected = static_cast<ACFRESULT>(0x8000FFFFu); // -2147418113

// 128-bit identifier in the customary record layout
// {Data1-Data2-Data3-Data4[0..1]-Data4[2..7]}.
struct acfUID
{
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

using acfIID = acfUID;
using acfCLSID = acfUID;

inline bool operator==(const acfUID& a, const acfUID& b)
{
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof(a.Data4)) == 0;
}
inline bool operator!=(const acfUID& a, const acfUID& b)
{
  return !(a == b);
}

// Slot order: 0 QueryInterface, 1 AddRef, 2 Release.
class IACFUnknown
{
public:
  // Any thread. On success *ppv holds the interface with one added reference;
  // otherwise *ppv is null and the answer is kACFResult_NoInterface.
  virtual ACFRESULT QueryInterface(const acfIID& iid, void** ppv) = 0;
  // Both return the new reference count (informative only).
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

protected:
  ~IACFUnknown() = default;
};

// {00000000-0000-0000-C000-000000000046}
constexpr acfIID IID_IACFUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The host's object factory, queried from the host object handed to the
// registration entry. Slots 0-2 IACFUnknown, 3 CreateComponent.
class IACFComponentFactory : public IACFUnknown
{
public:
  // Creates a host object of class clsid and answers its interface iid in *ppv
  // (one reference owned by the caller). outer is null (no aggregation).
  virtual ACFRESULT CreateComponent(const acfCLSID& clsid, IACFUnknown* outer, const acfIID& iid,
                                    void** ppv) = 0;

protected:
  ~IACFComponentFactory() = default;
};

// {7A3C51E0-6D2B-4F18-9E05-3B8C2A71D4E6}
constexpr acfIID IID_IACFComponentFactory = {
    0x7A3C51E0, 0x6D2B, 0x4F18, {0x9E, 0x05, 0x3B, 0x8C, 0x2A, 0x71, 0xD4, 0xE6}};

// The plug-in definition the registration entry hands back to the host. It
// is the host's own collection object; the module only queries this
// identifier on it. No operations beyond IACFUnknown.
class IACFPluginDefinition : public IACFUnknown
{
protected:
  ~IACFPluginDefinition() = default;
};

// {C4E90B37-18F6-4A5D-B2C1-6F0D93E5A7B8}
constexpr acfIID IID_IACFPluginDefinition = {
    0xC4E90B37, 0x18F6, 0x4A5D, {0xB2, 0xC1, 0x6F, 0x0D, 0x93, 0xE5, 0xA7, 0xB8}};

// Queries unknown for iid and answers the interface (with one reference the
// caller releases) or null.
template <typename I> I* ACFQueryInterface(IACFUnknown* unknown, const acfIID& iid)
{
  if (!unknown) return nullptr;
  void* p = nullptr;
  if (unknown->QueryInterface(iid, &p) != kACFResult_OK) return nullptr;
  return static_cast<I*>(p);
}

// Releases and clears an interface pointer.
template <typename I> void ACFSafeRelease(I*& p)
{
  if (p) p->Release();
  p = nullptr;
}

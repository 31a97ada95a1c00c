// Reference-counted identity of every object this module hands to the host.
//
// A CACFUnknown keeps the reference count (starting at 0), an inner object
// that implements IACFUnknown by forwarding to this object's internal
// operations, and the controlling unknown: the outer object when aggregated,
// otherwise the inner object. A concrete class derives from its interface(s)
// and from CACFUnknown, forwards its own IACFUnknown operations to
// GetOuterUnknown() (ACF_DECLARE_STANDARD_UNKNOWN does that) and answers its
// identifiers in InternalQueryInterface, calling the base for the rest.
//
// Every construction increments and every destruction decrements one
// module-wide atomic count of live objects; the module may be unloaded only
// when it is 0.
#pragma once

#include "ACF/ACFBase.h"

#include <atomic>

class CACFUnknown
{
public:
  explicit CACFUnknown(IACFUnknown* outer = nullptr);
  CACFUnknown(const CACFUnknown&) = delete;
  CACFUnknown& operator=(const CACFUnknown&) = delete;

  // Virtual operations in this order: destructor, FinalConstruct,
  // FinalRelease, DeleteThis, InternalQueryInterface, InternalAddRef,
  // InternalRelease.
  virtual ~CACFUnknown();
  // Second construction step a creator may run; answers 0.
  virtual ACFRESULT FinalConstruct();
  // Runs once when the last reference goes, before deletion.
  virtual void FinalRelease();
  virtual void DeleteThis();
  // Answers IID_IACFUnknown with the inner object; anything else with null
  // and kACFResult_NoInterface. Any thread.
  virtual ACFRESULT InternalQueryInterface(const acfIID& iid, void** ppv);
  // Atomic; return the new count. The release that brings the count from 1
  // to 0 runs FinalRelease and DeleteThis.
  virtual uint32_t InternalAddRef();
  virtual uint32_t InternalRelease();

  IACFUnknown* GetOuterUnknown() const { return mOuter; }
  IACFUnknown* GetInnerUnknown() { return &mInner; }
  uint32_t GetRefCount() const { return mRefCount.load(); }

  // Number of CACFUnknown objects alive in the module.
  static int32_t GetActiveObjectCount();

private:
  class InnerUnknown final : public IACFUnknown
  {
  public:
    explicit InnerUnknown(CACFUnknown& owner) : mOwner(owner) {}
    ACFRESULT QueryInterface(const acfIID& iid, void** ppv) override
    {
      return mOwner.InternalQueryInterface(iid, ppv);
    }
    uint32_t AddRef() override { return mOwner.InternalAddRef(); }
    uint32_t Release() override { return mOwner.InternalRelease(); }

  private:
    CACFUnknown& mOwner;
  };

  std::atomic<uint32_t> mRefCount{0};
  InnerUnknown mInner;
  IACFUnknown* mOuter;
};

// The three IACFUnknown operations of a concrete class, forwarded to the
// controlling unknown.
#define ACF_DECLARE_STANDARD_UNKNOWN()                                                                       \
  ACFRESULT QueryInterface(const acfIID& iid, void** ppv) override                                           \
  {                                                                                                          \
    return GetOuterUnknown()->QueryInterface(iid, ppv);                                                      \
  }                                                                                                          \
  uint32_t AddRef() override                                                                                 \
  {                                                                                                          \
    return GetOuterUnknown()->AddRef();                                                                      \
  }                                                                                                          \
  uint32_t Release() override                                                                                \
  {                                                                                                          \
    return GetOuterUnknown()->Release();                                                                     \
  }

#include "CACFUnknown.h"

namespace
{
std::atomic<int32_t> sActiveObjects{0};
}

CACFUnknown::CACFUnknown(IACFUnknown* outer) : mInner(*this), mOuter(outer ? outer : &mInner)
{
  ++sActiveObjects;
}

CACFUnknown::~CACFUnknown()
{
  --sActiveObjects;
}

ACFRESULT CACFUnknown::FinalConstruct()
{
  return kACFResult_OK;
}

void CACFUnknown::FinalRelease() {}

void CACFUnknown::DeleteThis()
{
  delete this;
}

ACFRESULT CACFUnknown::InternalQueryInterface(const acfIID& iid, void** ppv)
{
  if (!ppv) return kACFResult_NoInterface;
  if (iid == IID_IACFUnknown)
  {
    *ppv = &mInner;
    mInner.AddRef();
    return kACFResult_OK;
  }
  *ppv = nullptr;
  return kACFResult_NoInterface;
}

uint32_t CACFUnknown::InternalAddRef()
{
  return ++mRefCount;
}

uint32_t CACFUnknown::InternalRelease()
{
  // A release on an object nobody references is a caller fault; it must
  // not wrap the count around or delete twice.
  uint32_t count = mRefCount.load();
  do
  {
    if (count == 0) return 0;
  } while (!mRefCount.compare_exchange_weak(count, count - 1));
  if (count == 1)
  {
    FinalRelease();
    DeleteThis();
    return 0;
  }
  return count - 1;
}

int32_t CACFUnknown::GetActiveObjectCount()
{
  return sActiveObjects.load();
}

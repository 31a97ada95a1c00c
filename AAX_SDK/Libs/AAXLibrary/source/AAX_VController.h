// Host wrappers for the per-instance objects. Each queries the host object
// for its interface at construction and releases it at destruction; every
// operation forwards, or answers AAX_ERROR_NULL_OBJECT when the host gave no
// such interface. Threads: those of the forwarded operation (see
// AAX_HostInterfaces.h); the wrappers add no state of their own.
#pragma once

#include "AAX_HostInterfaces.h"

#define AAX_V_FORWARD(iface, call) return (iface) ? (iface)->call : AAX_Result(AAX_ERROR_NULL_OBJECT)
// For operations of a newer interface version: AAX_ERROR_UNIMPLEMENTED when
// only an older version exists.
#define AAX_V_FORWARD_NEWER(newer, older, call)                                                              \
  return (newer) ? (newer)->call : AAX_Result((older) ? AAX_ERROR_UNIMPLEMENTED : AAX_ERROR_NULL_OBJECT)

class AAX_VController
{
public:
  explicit AAX_VController(IACFUnknown* controller)
      : mController(ACFQueryInterface<AAX_IController>(controller, IID_AAX_IController))
  {
  }
  ~AAX_VController() { ACFSafeRelease(mController); }
  AAX_VController(const AAX_VController&) = delete;
  AAX_VController& operator=(const AAX_VController&) = delete;

  bool IsSupported() const { return mController != nullptr; }

  AAX_Result GetSampleRate(double* sampleRate) const
  {
    AAX_V_FORWARD(mController, GetSampleRate(sampleRate));
  }
  AAX_Result GetInputStemFormat(AAX_EStemFormat* format) const
  {
    AAX_V_FORWARD(mController, GetInputStemFormat(format));
  }
  AAX_Result GetOutputStemFormat(AAX_EStemFormat* format) const
  {
    AAX_V_FORWARD(mController, GetOutputStemFormat(format));
  }
  AAX_Result GetSignalLatency(int32_t* samples) const
  {
    AAX_V_FORWARD(mController, GetSignalLatency(samples));
  }
  AAX_Result SetSignalLatency(int32_t samples) { AAX_V_FORWARD(mController, SetSignalLatency(samples)); }
  AAX_Result PostPacket(AAX_CFieldIndex field, const void* data, uint32_t size)
  {
    AAX_V_FORWARD(mController, PostPacket(field, data, size));
  }

private:
  AAX_IController* mController;
};

class AAX_VTransport
{
public:
  // Around the controller object, which is queried for the transport.
  explicit AAX_VTransport(IACFUnknown* controller)
      : mTransport(ACFQueryInterface<AAX_ITransport>(controller, IID_AAX_ITransport))
  {
  }
  ~AAX_VTransport() { ACFSafeRelease(mTransport); }
  AAX_VTransport(const AAX_VTransport&) = delete;
  AAX_VTransport& operator=(const AAX_VTransport&) = delete;

  bool IsSupported() const { return mTransport != nullptr; }

  AAX_Result GetCurrentTempo(double* bpm) const { AAX_V_FORWARD(mTransport, GetCurrentTempo(bpm)); }
  AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) const
  {
    AAX_V_FORWARD(mTransport, GetCurrentMeter(numerator, denominator));
  }
  AAX_Result IsTransportPlaying(bool* isPlaying) const
  {
    AAX_V_FORWARD(mTransport, IsTransportPlaying(isPlaying));
  }
  AAX_Result GetCurrentTickPosition(int64_t* ticks) const
  {
    AAX_V_FORWARD(mTransport, GetCurrentTickPosition(ticks));
  }
  AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* loopStartTick, int64_t* loopEndTick) const
  {
    AAX_V_FORWARD(mTransport, GetCurrentLoopPosition(looping, loopStartTick, loopEndTick));
  }
  AAX_Result GetCurrentNativeSampleLocation(int64_t* sampleLocation) const
  {
    AAX_V_FORWARD(mTransport, GetCurrentNativeSampleLocation(sampleLocation));
  }

private:
  AAX_ITransport* mTransport;
};

// Stands wherever an automation delegate is expected (the parameters hold
// it), whether or not the host offers automation. Owned by the
// effect-parameters object: AddRef and Release do not count and
// QueryInterface answers this object without a reference.
class AAX_VAutomationDelegate final : public AAX_IAutomationDelegate
{
public:
  // Around the controller object, which is queried for the automation delegate.
  explicit AAX_VAutomationDelegate(IACFUnknown* controller)
      : mDelegate(ACFQueryInterface<AAX_IAutomationDelegate>(controller, IID_AAX_IAutomationDelegate))
  {
  }
  ~AAX_VAutomationDelegate() { ACFSafeRelease(mDelegate); }
  AAX_VAutomationDelegate(const AAX_VAutomationDelegate&) = delete;
  AAX_VAutomationDelegate& operator=(const AAX_VAutomationDelegate&) = delete;

  bool IsSupported() const { return mDelegate != nullptr; }

  ACFRESULT QueryInterface(const acfIID& iid, void** ppv) override
  {
    if (!ppv) return kACFResult_NoInterface;
    if (iid == IID_IACFUnknown || iid == IID_AAX_IAutomationDelegate)
    {
      *ppv = static_cast<AAX_IAutomationDelegate*>(this);
      return kACFResult_OK;
    }
    *ppv = nullptr;
    return kACFResult_NoInterface;
  }
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }

  AAX_Result RegisterParameter(AAX_CParamID id) override { AAX_V_FORWARD(mDelegate, RegisterParameter(id)); }
  AAX_Result UnregisterParameter(AAX_CParamID id) override
  {
    AAX_V_FORWARD(mDelegate, UnregisterParameter(id));
  }
  AAX_Result PostSetValueRequest(AAX_CParamID id, double normalizedValue) const override
  {
    AAX_V_FORWARD(mDelegate, PostSetValueRequest(id, normalizedValue));
  }
  AAX_Result PostCurrentValue(AAX_CParamID id, double normalizedValue) const override
  {
    AAX_V_FORWARD(mDelegate, PostCurrentValue(id, normalizedValue));
  }
  AAX_Result PostTouchRequest(AAX_CParamID id) override { AAX_V_FORWARD(mDelegate, PostTouchRequest(id)); }
  AAX_Result PostReleaseRequest(AAX_CParamID id) override
  {
    AAX_V_FORWARD(mDelegate, PostReleaseRequest(id));
  }

private:
  AAX_IAutomationDelegate* mDelegate;
};

// The editor's window container, in two versions: operations of the second
// answer AAX_ERROR_UNIMPLEMENTED when the host offers only the first.
class AAX_VViewContainer
{
public:
  explicit AAX_VViewContainer(IACFUnknown* viewContainer)
      : mViewContainer(ACFQueryInterface<AAX_IViewContainer>(viewContainer, IID_AAX_IViewContainer)),
        mViewContainerV2(ACFQueryInterface<AAX_IViewContainer_V2>(viewContainer, IID_AAX_IViewContainer_V2))
  {
  }
  ~AAX_VViewContainer()
  {
    ACFSafeRelease(mViewContainerV2);
    ACFSafeRelease(mViewContainer);
  }
  AAX_VViewContainer(const AAX_VViewContainer&) = delete;
  AAX_VViewContainer& operator=(const AAX_VViewContainer&) = delete;

  bool IsSupported() const { return mViewContainer != nullptr || mViewContainerV2 != nullptr; }

  int32_t GetType()
  {
    if (AAX_IViewContainer* v = V1()) return v->GetType();
    return 0;
  }
  // Null when the host gave no container or no window.
  void* GetPtr()
  {
    if (AAX_IViewContainer* v = V1()) return v->GetPtr();
    return nullptr;
  }
  AAX_Result GetModifiers(uint32_t* modifiers) { AAX_V_FORWARD(V1(), GetModifiers(modifiers)); }
  AAX_Result SetViewSize(AAX_Point& size) { AAX_V_FORWARD(V1(), SetViewSize(size)); }
  AAX_Result HandleParameterMouseDown(AAX_CParamID id, uint32_t modifiers)
  {
    AAX_V_FORWARD_NEWER(mViewContainerV2, mViewContainer, HandleParameterMouseDown(id, modifiers));
  }
  AAX_Result HandleParameterMouseDrag(AAX_CParamID id, uint32_t modifiers)
  {
    AAX_V_FORWARD_NEWER(mViewContainerV2, mViewContainer, HandleParameterMouseDrag(id, modifiers));
  }
  AAX_Result HandleParameterMouseUp(AAX_CParamID id, uint32_t modifiers)
  {
    AAX_V_FORWARD_NEWER(mViewContainerV2, mViewContainer, HandleParameterMouseUp(id, modifiers));
  }

private:
  AAX_IViewContainer* V1() const { return mViewContainerV2 ? mViewContainerV2 : mViewContainer; }

  AAX_IViewContainer* mViewContainer;
  AAX_IViewContainer_V2* mViewContainerV2;
};

// A host page table handed to UpdatePageTable, in two versions. Stands where
// a page table is expected; owned by the caller of UpdatePageTable, not
// reference counted (AddRef and Release do not count).
class AAX_VPageTable final : public AAX_IPageTable_V2
{
public:
  explicit AAX_VPageTable(IACFUnknown* pageTable)
      : mPageTable(ACFQueryInterface<AAX_IPageTable>(pageTable, IID_AAX_IPageTable)),
        mPageTableV2(ACFQueryInterface<AAX_IPageTable_V2>(pageTable, IID_AAX_IPageTable_V2))
  {
  }
  ~AAX_VPageTable()
  {
    ACFSafeRelease(mPageTableV2);
    ACFSafeRelease(mPageTable);
  }
  AAX_VPageTable(const AAX_VPageTable&) = delete;
  AAX_VPageTable& operator=(const AAX_VPageTable&) = delete;

  bool IsSupported() const { return mPageTable != nullptr || mPageTableV2 != nullptr; }

  ACFRESULT QueryInterface(const acfIID& iid, void** ppv) override
  {
    if (!ppv) return kACFResult_NoInterface;
    if (iid == IID_IACFUnknown || iid == IID_AAX_IPageTable || iid == IID_AAX_IPageTable_V2)
    {
      *ppv = static_cast<AAX_IPageTable_V2*>(this);
      return kACFResult_OK;
    }
    *ppv = nullptr;
    return kACFResult_NoInterface;
  }
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }

  AAX_Result Clear() override { AAX_V_FORWARD(V1(), Clear()); }
  AAX_Result Empty(AAX_CBoolean* empty) const override { AAX_V_FORWARD(V1(), Empty(empty)); }
  AAX_Result GetNumEntries(int32_t* numEntries) const override
  {
    AAX_V_FORWARD_NEWER(mPageTableV2, mPageTable, GetNumEntries(numEntries));
  }

private:
  AAX_IPageTable* V1() const { return mPageTableV2 ? mPageTableV2 : mPageTable; }

  AAX_IPageTable* mPageTable;
  AAX_IPageTable_V2* mPageTableV2;
};

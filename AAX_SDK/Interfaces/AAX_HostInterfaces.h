// The interfaces the host implements and this module calls.
//
// Every interface here except AAX_IMIDINode is a component interface: the
// host hands in an IACFUnknown and the module queries it for the identifier
// listed with the interface. A host built separately implements these by
// slot, so THE DECLARATION ORDER BELOW IS THE SLOT ORDER and must not change;
// new operations go into a new interface version (as AAX_IViewContainer_V2)
// with its own identifier. Slots 0-2 of every component interface are
// QueryInterface, AddRef, Release (IACFUnknown).
//
// Every operation answers an AAX result code (0 success). Out pointers are
// never null when this module calls.
#pragma once

#include "ACF/ACFBase.h"
#include "AAX.h"
#include "AAX_IString.h"

// ---------------------------------------------------------------------------
// Per-instance controller, handed to the effect-parameters object's and the
// editor's Initialize.
// Slots: 3 GetSampleRate, 4 GetInputStemFormat, 5 GetOutputStemFormat,
// 6 GetSignalLatency, 7 SetSignalLatency, 8 PostPacket.
class AAX_IController : public IACFUnknown
{
public:
  virtual AAX_Result GetSampleRate(double* sampleRate) const = 0;
  virtual AAX_Result GetInputStemFormat(AAX_EStemFormat* format) const = 0;
  virtual AAX_Result GetOutputStemFormat(AAX_EStemFormat* format) const = 0;
  virtual AAX_Result GetSignalLatency(int32_t* samples) const = 0;
  // Non-real-time and real-time threads (latency changes at the end of a block).
  virtual AAX_Result SetSignalLatency(int32_t samples) = 0;
  // Posts size bytes for the render-context field (copied by the host).
  virtual AAX_Result PostPacket(AAX_CFieldIndex field, const void* data, uint32_t size) = 0;

protected:
  ~AAX_IController() = default;
};
// {AB97097C-9B2E-4052-A346-C135FDF3D2FC}
constexpr acfIID IID_AAX_IController = {
    0xAB97097C, 0x9B2E, 0x4052, {0xA3, 0x46, 0xC1, 0x35, 0xFD, 0xF3, 0xD2, 0xFC}};

// ---------------------------------------------------------------------------
// Transport state: from the render context's transport node (real-time
// thread) or queried from the controller object. Ticks count 960000 per
// quarter note.
// Slots: 3 GetCurrentTempo, 4 GetCurrentMeter, 5 IsTransportPlaying,
// 6 GetCurrentTickPosition, 7 GetCurrentLoopPosition,
// 8 GetCurrentNativeSampleLocation.
class AAX_ITransport : public IACFUnknown
{
public:
  virtual AAX_Result GetCurrentTempo(double* bpm) const = 0;
  virtual AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) const = 0;
  virtual AAX_Result IsTransportPlaying(bool* isPlaying) const = 0;
  virtual AAX_Result GetCurrentTickPosition(int64_t* ticks) const = 0;
  virtual AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* loopStartTick,
                                            int64_t* loopEndTick) const = 0;
  virtual AAX_Result GetCurrentNativeSampleLocation(int64_t* sampleLocation) const = 0;

protected:
  ~AAX_ITransport() = default;
};
// {91BBE1B4-FD22-47B4-A80D-7AEC0763BD9A}
constexpr acfIID IID_AAX_ITransport = {
    0x91BBE1B4, 0xFD22, 0x47B4, {0xA8, 0x0D, 0x7A, 0xEC, 0x07, 0x63, 0xBD, 0x9A}};

// ---------------------------------------------------------------------------
// The host's automation, queried from the controller object. Requests are
// answered later: a set request comes back as UpdateParameterNormalizedValue.
// Non-real-time threads.
// Slots: 3 RegisterParameter, 4 UnregisterParameter, 5 PostSetValueRequest,
// 6 PostCurrentValue, 7 PostTouchRequest, 8 PostReleaseRequest.
class AAX_IAutomationDelegate : public IACFUnknown
{
public:
  virtual AAX_Result RegisterParameter(AAX_CParamID id) = 0;
  virtual AAX_Result UnregisterParameter(AAX_CParamID id) = 0;
  virtual AAX_Result PostSetValueRequest(AAX_CParamID id, double normalizedValue) const = 0;
  virtual AAX_Result PostCurrentValue(AAX_CParamID id, double normalizedValue) const = 0;
  virtual AAX_Result PostTouchRequest(AAX_CParamID id) = 0;
  virtual AAX_Result PostReleaseRequest(AAX_CParamID id) = 0;

protected:
  ~AAX_IAutomationDelegate() = default;
};
// {6104507E-E7A2-4D34-8462-45DCA7C59609}
constexpr acfIID IID_AAX_IAutomationDelegate = {
    0x6104507E, 0xE7A2, 0x4D34, {0x84, 0x62, 0x45, 0xDC, 0xA7, 0xC5, 0x96, 0x09}};

// ---------------------------------------------------------------------------
// The host's editor window container (user-interface thread).
// Slots: 3 GetType, 4 GetPtr, 5 GetModifiers, 6 SetViewSize.
class AAX_IViewContainer : public IACFUnknown
{
public:
  virtual int32_t GetType() = 0;
  // Native parent window; null means no window.
  virtual void* GetPtr() = 0;
  virtual AAX_Result GetModifiers(uint32_t* modifiers) = 0;
  virtual AAX_Result SetViewSize(AAX_Point& size) = 0;

protected:
  ~AAX_IViewContainer() = default;
};
// {E2A56BF7-969E-448E-BA59-1B9850DE63EB}
constexpr acfIID IID_AAX_IViewContainer = {
    0xE2A56BF7, 0x969E, 0x448E, {0xBA, 0x59, 0x1B, 0x98, 0x50, 0xDE, 0x63, 0xEB}};

// Second version: the parameter mouse forwarding.
// Slots: 3-6 as AAX_IViewContainer, 7 HandleParameterMouseDown,
// 8 HandleParameterMouseDrag, 9 HandleParameterMouseUp.
// A result of 0 means the host handled the event.
class AAX_IViewContainer_V2 : public AAX_IViewContainer
{
public:
  virtual AAX_Result HandleParameterMouseDown(AAX_CParamID id, uint32_t modifiers) = 0;
  virtual AAX_Result HandleParameterMouseDrag(AAX_CParamID id, uint32_t modifiers) = 0;
  virtual AAX_Result HandleParameterMouseUp(AAX_CParamID id, uint32_t modifiers) = 0;

protected:
  ~AAX_IViewContainer_V2() = default;
};
// {04FF75C4-E9E3-48C9-90AB-2495C6B64D32}
constexpr acfIID IID_AAX_IViewContainer_V2 = {
    0x04FF75C4, 0xE9E3, 0x48C9, {0x90, 0xAB, 0x24, 0x95, 0xC6, 0xB6, 0x4D, 0x32}};

// ---------------------------------------------------------------------------
// Module-wide host services, from start-up. Any thread, including the
// real-time one: the host must not block in either call.
// Slots: 3 HandleAssertFailure, 4 Trace.
class AAX_IHostServices : public IACFUnknown
{
public:
  // file and expression are zero-terminated; flags is 1 for a report that
  // lets execution continue (the only kind this module sends).
  virtual AAX_Result HandleAssertFailure(const char* file, int32_t line, const char* expression,
                                         int32_t flags) const = 0;
  virtual AAX_Result Trace(int32_t priority, const char* message) const = 0;

protected:
  ~AAX_IHostServices() = default;
};
// {897038A9-0DA5-4127-A8E7-84E566E5FBBD}
constexpr acfIID IID_AAX_IHostServices = {
    0x897038A9, 0x0DA5, 0x4127, {0xA8, 0xE7, 0x84, 0xE5, 0x66, 0xE5, 0xFB, 0xBD}};

// ---------------------------------------------------------------------------
// Description objects (registration thread). The collection is created
// through the host's IACFComponentFactory with CLSID_AAX_Collection; effect
// descriptors, component descriptors and property maps likewise with their
// class identifiers below. Objects added to another object are referenced by
// the receiver (it takes its own reference).

// Property map. Slots: 3 AddProperty, 4 GetProperty, 5 RemoveProperty.
class AAX_IPropertyMap : public IACFUnknown
{
public:
  virtual AAX_Result AddProperty(AAX_CPropertyID id, AAX_CPropertyValue value) = 0;
  // *found is 1 when the property is set (then *value holds it), else 0.
  virtual AAX_Result GetProperty(AAX_CPropertyID id, AAX_CPropertyValue* value,
                                 AAX_CBoolean* found) const = 0;
  virtual AAX_Result RemoveProperty(AAX_CPropertyID id) = 0;

protected:
  ~AAX_IPropertyMap() = default;
};
// {9C7E8E14-AF6C-40C2-AAAA-665A2A6F7A0C}
constexpr acfIID IID_AAX_IPropertyMap = {
    0x9C7E8E14, 0xAF6C, 0x40C2, {0xAA, 0xAA, 0x66, 0x5A, 0x2A, 0x6F, 0x7A, 0x0C}};

// One algorithm component: the render-context layout and its process procedure.
// Slots: 3 Clear, 4 AddAudioIn, 5 AddAudioOut, 6 AddAudioBufferLength,
// 7 AddClock, 8 AddSideChainIn, 9 AddMIDINode, 10 AddPrivateData,
// 11 AddDataInPort, 12 AddMeters, 13 AddAuxOutputStem, 14 AddProcessProc_Native.
class AAX_IComponentDescriptor : public IACFUnknown
{
public:
  virtual AAX_Result Clear() = 0;
  virtual AAX_Result AddAudioIn(AAX_CFieldIndex field) = 0;
  virtual AAX_Result AddAudioOut(AAX_CFieldIndex field) = 0;
  virtual AAX_Result AddAudioBufferLength(AAX_CFieldIndex field) = 0;
  virtual AAX_Result AddClock(AAX_CFieldIndex field) = 0;
  virtual AAX_Result AddSideChainIn(AAX_CFieldIndex field) = 0;
  // channelMask is the channel mask of local nodes, the event mask of the global node.
  virtual AAX_Result AddMIDINode(AAX_CFieldIndex field, AAX_EMIDINodeType nodeType, const char* name,
                                 uint32_t channelMask) = 0;
  virtual AAX_Result AddPrivateData(AAX_CFieldIndex field, int32_t dataSize, uint32_t options) = 0;
  virtual AAX_Result AddDataInPort(AAX_CFieldIndex field, uint32_t packetSize, int32_t portType) = 0;
  virtual AAX_Result AddMeters(AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount) = 0;
  virtual AAX_Result AddAuxOutputStem(AAX_CFieldIndex field, AAX_EStemFormat format, const char* name) = 0;
  // properties is an AAX_IPropertyMap object; init and background may be null.
  virtual AAX_Result AddProcessProc_Native(AAX_CProcessProc processProc, IACFUnknown* properties,
                                           AAX_CInstanceInitProc initProc,
                                           AAX_CBackgroundProc backgroundProc) = 0;

protected:
  ~AAX_IComponentDescriptor() = default;
};
// {4A3AC13B-1A61-4A88-9C87-C6601EBB1BA0}
constexpr acfIID IID_AAX_IComponentDescriptor = {
    0x4A3AC13B, 0x1A61, 0x4A88, {0x9C, 0x87, 0xC6, 0x60, 0x1E, 0xBB, 0x1B, 0xA0}};

// One effect. Slots: 3 AddComponent, 4 AddName, 5 AddCategory, 6 AddProcPtr.
class AAX_IEffectDescriptor : public IACFUnknown
{
public:
  // component is an AAX_IComponentDescriptor object.
  virtual AAX_Result AddComponent(IACFUnknown* component) = 0;
  virtual AAX_Result AddName(const char* name) = 0;
  virtual AAX_Result AddCategory(uint32_t category) = 0;
  // Factory callbacks, each a function without arguments answering a new
  // object: procID 0 the effect-parameters object
  // (AAX_CCreateEffectParametersProc), 1 the editor object.
  virtual AAX_Result AddProcPtr(AAX_CProcPtr procPtr, AAX_CPropertyID procID) = 0;

protected:
  ~AAX_IEffectDescriptor() = default;
};
// {7B850E5A-0375-4A5A-BD9A-95DBCAEFBC17}
constexpr acfIID IID_AAX_IEffectDescriptor = {
    0x7B850E5A, 0x0375, 0x4A5A, {0xBD, 0x9A, 0x95, 0xDB, 0xCA, 0xEF, 0xBC, 0x17}};

// The plug-in definition that receives the effects; also answers
// IID_IACFPluginDefinition. Slots: 3 AddEffect, 4 SetManufacturerName,
// 5 AddPackageName, 6 SetPackageVersion.
class AAX_ICollection : public IACFUnknown
{
public:
  // effect is an AAX_IEffectDescriptor object.
  virtual AAX_Result AddEffect(const char* effectID, IACFUnknown* effect) = 0;
  virtual AAX_Result SetManufacturerName(const char* name) = 0;
  virtual AAX_Result AddPackageName(const char* name) = 0;
  virtual AAX_Result SetPackageVersion(uint32_t version) = 0;

protected:
  ~AAX_ICollection() = default;
};
// {990F871C-B6F7-4E30-9EFD-660737863DB5}
constexpr acfIID IID_AAX_ICollection = {
    0x990F871C, 0xB6F7, 0x4E30, {0x9E, 0xFD, 0x66, 0x07, 0x37, 0x86, 0x3D, 0xB5}};

// Class identifiers for IACFComponentFactory::CreateComponent.
// {42404426-BC1A-4374-8A5F-7F9041B81AA5}
constexpr acfCLSID CLSID_AAX_Collection = {
    0x42404426, 0xBC1A, 0x4374, {0x8A, 0x5F, 0x7F, 0x90, 0x41, 0xB8, 0x1A, 0xA5}};
// {E63F731E-727B-4989-A3F6-DB246EB46A31}
constexpr acfCLSID CLSID_AAX_EffectDescriptor = {
    0xE63F731E, 0x727B, 0x4989, {0xA3, 0xF6, 0xDB, 0x24, 0x6E, 0xB4, 0x6A, 0x31}};
// {5C0232C7-B11A-45B4-8017-0967E7C4F271}
constexpr acfCLSID CLSID_AAX_ComponentDescriptor = {
    0x5C0232C7, 0xB11A, 0x45B4, {0x80, 0x17, 0x09, 0x67, 0xE7, 0xC4, 0xF2, 0x71}};
// {18A62805-7512-4A05-A154-4C37FC10BF87}
constexpr acfCLSID CLSID_AAX_PropertyMap = {
    0x18A62805, 0x7512, 0x4A05, {0xA1, 0x54, 0x4C, 0x37, 0xFC, 0x10, 0xBF, 0x87}};

// ---------------------------------------------------------------------------
// Page tables handed to UpdatePageTable (non-real-time thread). The module
// implements no page table; it only recognises the two versions.
// Slots: 3 Clear, 4 Empty. V2 adds 5 GetNumEntries.
class AAX_IPageTable : public IACFUnknown
{
public:
  virtual AAX_Result Clear() = 0;
  virtual AAX_Result Empty(AAX_CBoolean* empty) const = 0;

protected:
  ~AAX_IPageTable() = default;
};
// {2DDF569E-071E-4044-9DE6-7FCAE5054F79}
constexpr acfIID IID_AAX_IPageTable = {
    0x2DDF569E, 0x071E, 0x4044, {0x9D, 0xE6, 0x7F, 0xCA, 0xE5, 0x05, 0x4F, 0x79}};

class AAX_IPageTable_V2 : public AAX_IPageTable
{
public:
  virtual AAX_Result GetNumEntries(int32_t* numEntries) const = 0;

protected:
  ~AAX_IPageTable_V2() = default;
};
// {CAE6563B-0DC5-48FE-9011-BAC7217AD570}
constexpr acfIID IID_AAX_IPageTable_V2 = {
    0xCAE6563B, 0x0DC5, 0x48FE, {0x90, 0x11, 0xBA, 0xC7, 0x21, 0x7A, 0xD5, 0x70}};

// ---------------------------------------------------------------------------
// MIDI node of a render-context field (fields 4 to 22). Not a component
// interface: the context holds a plain pointer to the host's node, valid for
// the render call. Real-time thread; none of these may block.
// Slots: 0 GetNodeBuffer, 1 PostMIDIPacket, 2 GetTransport.
class AAX_IMIDINode
{
public:
  // Packets received for this block (input nodes); never null.
  virtual AAX_CMidiStream* GetNodeBuffer() = 0;
  // Output nodes: the host copies the packet.
  virtual AAX_Result PostMIDIPacket(AAX_CMidiPacket* packet) = 0;
  // Transport node: the host's transport for this render call, or null.
  virtual AAX_ITransport* GetTransport() = 0;

protected:
  ~AAX_IMIDINode() = default;
};

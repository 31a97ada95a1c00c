// The effect-parameters interface the host calls for every plug-in instance.
//
// THE HOST CALLS BY SLOT; the declaration order below is the slot order:
//   0-2  IACFUnknown: QueryInterface, AddRef, Release
//   3-44 AAX_IACFEffectParameters    {964E333D-334C-533F-C2C7-3834C3C23E3E}
//   45-47 AAX_IACFEffectParameters_V2 {F1F47D06-308F-4CC5-9C7C-50A83F8AB813}
//   48-49 AAX_IACFEffectParameters_V3 {D2540E9D-9163-42BB-A6FD-81E10EA32498}
//   50   AAX_IACFEffectParameters_V4 {2E485536-31A3-4697-9C16-E59BF6B28A41}
//   51   AAX_IEffectParameters (module side: the page-table update that slot
//        50 forwards to once it has wrapped the host's table)
// The slot number of each operation is given in its comment.
//
// Threads: every operation runs on a host non-real-time thread unless noted;
// none runs on the render thread. Out pointers are checked: a null one is
// answered with an error, never written.
#pragma once

#include "ACF/ACFBase.h"
#include "AAX.h"
#include "AAX_HostInterfaces.h"
#include "AAX_IString.h"

class AAX_IParameter;

class AAX_IACFEffectParameters : public IACFUnknown
{
public:
  /* 3 */ virtual AAX_Result Initialize(IACFUnknown* controller) = 0;
  /* 4 */ virtual AAX_Result Uninitialize() = 0;
  /* 5 */ virtual AAX_Result NotificationReceived(AAX_CTypeID type, const void* data, uint32_t size) = 0;
  /* 6 */ virtual AAX_Result GetNumberOfParameters(int32_t* numParameters) const = 0;
  /* 7 */ virtual AAX_Result GetMasterBypassParameter(AAX_IString* identifier) const = 0;
  /* 8 */ virtual AAX_Result GetParameterIsAutomatable(AAX_CParamID identifier,
                                                       AAX_CBoolean* automatable) const = 0;
  /* 9 */ virtual AAX_Result GetParameterNumberOfSteps(AAX_CParamID identifier, int32_t* numSteps) const = 0;
  /* 10 */ virtual AAX_Result GetParameterName(AAX_CParamID identifier, AAX_IString* name) const = 0;
  /* 11 */ virtual AAX_Result GetParameterNameOfLength(AAX_CParamID identifier, AAX_IString* name,
                                                       int32_t nameLength) const = 0;
  /* 12 */ virtual AAX_Result GetParameterDefaultNormalizedValue(AAX_CParamID identifier,
                                                                 double* value) const = 0;
  /* 13 */ virtual AAX_Result SetParameterDefaultNormalizedValue(AAX_CParamID identifier, double value) = 0;
  /* 14 */ virtual AAX_Result GetParameterType(AAX_CParamID identifier, AAX_EParameterType* type) const = 0;
  /* 15 */ virtual AAX_Result GetParameterOrientation(AAX_CParamID identifier,
                                                      AAX_EParameterOrientation* orientation) const = 0;
  /* 16 */ virtual AAX_Result GetParameter(AAX_CParamID identifier, AAX_IParameter** parameter) = 0;
  /* 17 */ virtual AAX_Result GetParameterIndex(AAX_CParamID identifier, int32_t* index) const = 0;
  /* 18 */ virtual AAX_Result GetParameterIDFromIndex(int32_t index, AAX_IString* identifier) const = 0;
  /* 19 */ virtual AAX_Result GetParameterValueInfo(AAX_CParamID identifier, int32_t selector,
                                                    int32_t* value) const = 0;
  /* 20 */ virtual AAX_Result GetParameterValueFromString(AAX_CParamID identifier, double* value,
                                                          const AAX_IString& valueString) const = 0;
  /* 21 */ virtual AAX_Result GetParameterStringFromValue(AAX_CParamID identifier, double value,
                                                          AAX_IString* valueString,
                                                          int32_t maxLength) const = 0;
  /* 22 */ virtual AAX_Result GetParameterValueString(AAX_CParamID identifier, AAX_IString* value,
                                                      int32_t maxLength) const = 0;
  /* 23 */ virtual AAX_Result GetParameterNormalizedValue(AAX_CParamID identifier, double* value) const = 0;
  /* 24 */ virtual AAX_Result SetParameterNormalizedValue(AAX_CParamID identifier, double value) = 0;
  /* 25 */ virtual AAX_Result SetParameterNormalizedRelative(AAX_CParamID identifier, double delta) = 0;
  /* 26 */ virtual AAX_Result TouchParameter(AAX_CParamID identifier) = 0;
  /* 27 */ virtual AAX_Result ReleaseParameter(AAX_CParamID identifier) = 0;
  /* 28 */ virtual AAX_Result UpdateParameterTouch(AAX_CParamID identifier, AAX_CBoolean touchState) = 0;
  /* 29 */ virtual AAX_Result UpdateParameterNormalizedValue(AAX_CParamID identifier, double value,
                                                             AAX_EUpdateSource source) = 0;
  /* 30 */ virtual AAX_Result UpdateParameterNormalizedRelative(AAX_CParamID identifier, double delta) = 0;
  /* 31 */ virtual AAX_Result GenerateCoefficients() = 0;
  /* 32 */ virtual AAX_Result ResetFieldData(AAX_CFieldIndex field, void* data, uint32_t dataSize) const = 0;
  /* 33 */ virtual AAX_Result GetNumberOfChunks(int32_t* numChunks) const = 0;
  /* 34 */ virtual AAX_Result GetChunkIDFromIndex(int32_t index, AAX_CTypeID* chunkID) const = 0;
  /* 35 */ virtual AAX_Result GetChunkSize(AAX_CTypeID chunkID, uint32_t* size) const = 0;
  /* 36 */ virtual AAX_Result GetChunk(AAX_CTypeID chunkID, AAX_SPlugInChunk* chunk) const = 0;
  /* 37 */ virtual AAX_Result SetChunk(AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk) = 0;
  /* 38 */ virtual AAX_Result CompareActiveChunk(const AAX_SPlugInChunk* chunk,
                                                 AAX_CBoolean* isEqual) const = 0;
  /* 39 */ virtual AAX_Result GetNumberOfChanges(int32_t* numChanges) const = 0;
  // Host timer thread.
  /* 40 */ virtual AAX_Result TimerWakeup() = 0;
  /* 41 */ virtual AAX_Result GetCurveData(AAX_CTypeID curveType, const float* values, uint32_t numValues,
                                           float* outValues) const = 0;
  /* 42 */ virtual AAX_Result GetCustomData(AAX_CTypeID dataBlockID, uint32_t maxSize, void* data,
                                            uint32_t* bytesWritten) const = 0;
  /* 43 */ virtual AAX_Result SetCustomData(AAX_CTypeID dataBlockID, uint32_t size, const void* data) = 0;
  /* 44 */ virtual AAX_Result DoMIDITransfers() = 0;

protected:
  ~AAX_IACFEffectParameters() = default;
};

class AAX_IACFEffectParameters_V2 : public AAX_IACFEffectParameters
{
public:
  /* 45 */ virtual AAX_Result RenderAudio_Hybrid(AAX_SHybridRenderInfo* renderInfo) = 0;
  /* 46 */ virtual AAX_Result UpdateMIDINodes(AAX_CFieldIndex field, AAX_CMidiPacket& packet) = 0;
  /* 47 */ virtual AAX_Result UpdateControlMIDINodes(AAX_CTypeID nodeID, AAX_CMidiPacket& packet) = 0;

protected:
  ~AAX_IACFEffectParameters_V2() = default;
};

class AAX_IACFEffectParameters_V3 : public AAX_IACFEffectParameters_V2
{
public:
  /* 48 */ virtual AAX_Result GetCurveDataMeterIds(AAX_CTypeID curveType, uint32_t* xMeterID,
                                                   uint32_t* yMeterID) const = 0;
  /* 49 */ virtual AAX_Result GetCurveDataDisplayRange(AAX_CTypeID curveType, float* xMin, float* xMax,
                                                       float* yMin, float* yMax) const = 0;

protected:
  ~AAX_IACFEffectParameters_V3() = default;
};

class AAX_IACFEffectParameters_V4 : public AAX_IACFEffectParameters_V3
{
public:
  /* 50 */ virtual AAX_Result UpdatePageTable(uint32_t tableType, int32_t tablePageSize, IACFUnknown* host,
                                              IACFUnknown* pageTable) const = 0;

protected:
  ~AAX_IACFEffectParameters_V4() = default;
};

class AAX_IEffectParameters : public AAX_IACFEffectParameters_V4
{
public:
  /* 51 */ virtual AAX_Result UpdatePageTable(uint32_t tableType, int32_t tablePageSize,
                                              AAX_IPageTable& pageTable) const = 0;
  using AAX_IACFEffectParameters_V4::UpdatePageTable;

protected:
  ~AAX_IEffectParameters() = default;
};

// {964E333D-334C-533F-C2C7-3834C3C23E3E}
constexpr acfIID IID_AAX_IACFEffectParameters = {
    0x964E333D, 0x334C, 0x533F, {0xC2, 0xC7, 0x38, 0x34, 0xC3, 0xC2, 0x3E, 0x3E}};
// {F1F47D06-308F-4CC5-9C7C-50A83F8AB813}
constexpr acfIID IID_AAX_IACFEffectParameters_V2 = {
    0xF1F47D06, 0x308F, 0x4CC5, {0x9C, 0x7C, 0x50, 0xA8, 0x3F, 0x8A, 0xB8, 0x13}};
// {D2540E9D-9163-42BB-A6FD-81E10EA32498}
constexpr acfIID IID_AAX_IACFEffectParameters_V3 = {
    0xD2540E9D, 0x9163, 0x42BB, {0xA6, 0xFD, 0x81, 0xE1, 0x0E, 0xA3, 0x24, 0x98}};
// {2E485536-31A3-4697-9C16-E59BF6B28A41}
constexpr acfIID IID_AAX_IACFEffectParameters_V4 = {
    0x2E485536, 0x31A3, 0x4697, {0x9C, 0x16, 0xE5, 0x9B, 0xF6, 0xB2, 0x8A, 0x41}};

// Factory callback with procID 0: a new effect-parameters object (no
// reference taken yet: the host's first QueryInterface or AddRef takes it),
// or null.
using AAX_CCreateEffectParametersProc = AAX_IEffectParameters* (*)();

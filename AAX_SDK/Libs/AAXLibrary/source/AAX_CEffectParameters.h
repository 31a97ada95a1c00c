// Base implementation of the effect-parameters interface: reference-counted
// identity, the wrappers around the host objects handed in at Initialize,
// the parameter manager that owns the AAX parameter objects, and the answers
// to the host's parameter queries. Derived classes replace EffectInit, the
// chunk operations, the coefficient and field-data operations and the timer.
//
// "Missing" below means no registered parameter has the identifier; it is
// answered with AAX_ERROR_INVALID_PARAMETER_ID unless noted.
// Threads: host non-real-time threads (TimerWakeup: the host's timer
// thread); the parameter manager and the change count are not locked.
#pragma once

#include "AAX_CPacketDispatcher.h"
#include "AAX_CParameterManager.h"
#include "AAX_IEffectParameters.h"
#include "AAX_VController.h"
#include "CACFUnknown.h"

#include <memory>

class AAX_CEffectParameters : public AAX_IEffectParameters, public CACFUnknown
{
protected:
  // Runs at the end of Initialize, once the wrappers exist; a non-zero
  // result is answered to the host. Declared first so that it takes the
  // first slot after the interface's (52): the overrides of the second base
  // (destructor, InternalQueryInterface) add slots of their own after it.
  virtual AAX_Result EffectInit();

public:
  AAX_CEffectParameters();
  ~AAX_CEffectParameters() override;

  ACF_DECLARE_STANDARD_UNKNOWN()
  // Answers the four effect-parameters identifiers with this object (one
  // added reference), IID_IACFUnknown with the inner object, anything else
  // with null and kACFResult_NoInterface.
  ACFRESULT InternalQueryInterface(const acfIID& iid, void** ppv) override;

  AAX_Result Initialize(IACFUnknown* controller) override;
  AAX_Result Uninitialize() override;
  AAX_Result NotificationReceived(AAX_CTypeID type, const void* data, uint32_t size) override;
  AAX_Result GetNumberOfParameters(int32_t* numParameters) const override;
  AAX_Result GetMasterBypassParameter(AAX_IString* identifier) const override;
  AAX_Result GetParameterIsAutomatable(AAX_CParamID identifier, AAX_CBoolean* automatable) const override;
  AAX_Result GetParameterNumberOfSteps(AAX_CParamID identifier, int32_t* numSteps) const override;
  AAX_Result GetParameterName(AAX_CParamID identifier, AAX_IString* name) const override;
  AAX_Result GetParameterNameOfLength(AAX_CParamID identifier, AAX_IString* name,
                                      int32_t nameLength) const override;
  AAX_Result GetParameterDefaultNormalizedValue(AAX_CParamID identifier, double* value) const override;
  AAX_Result SetParameterDefaultNormalizedValue(AAX_CParamID identifier, double value) override;
  AAX_Result GetParameterType(AAX_CParamID identifier, AAX_EParameterType* type) const override;
  AAX_Result GetParameterOrientation(AAX_CParamID identifier,
                                     AAX_EParameterOrientation* orientation) const override;
  AAX_Result GetParameter(AAX_CParamID identifier, AAX_IParameter** parameter) override;
  AAX_Result GetParameterIndex(AAX_CParamID identifier, int32_t* index) const override;
  AAX_Result GetParameterIDFromIndex(int32_t index, AAX_IString* identifier) const override;
  AAX_Result GetParameterValueInfo(AAX_CParamID identifier, int32_t selector, int32_t* value) const override;
  AAX_Result GetParameterValueFromString(AAX_CParamID identifier, double* value,
                                         const AAX_IString& valueString) const override;
  AAX_Result GetParameterStringFromValue(AAX_CParamID identifier, double value, AAX_IString* valueString,
                                         int32_t maxLength) const override;
  AAX_Result GetParameterValueString(AAX_CParamID identifier, AAX_IString* value,
                                     int32_t maxLength) const override;
  AAX_Result GetParameterNormalizedValue(AAX_CParamID identifier, double* value) const override;
  AAX_Result SetParameterNormalizedValue(AAX_CParamID identifier, double value) override;
  AAX_Result SetParameterNormalizedRelative(AAX_CParamID identifier, double delta) override;
  AAX_Result TouchParameter(AAX_CParamID identifier) override;
  AAX_Result ReleaseParameter(AAX_CParamID identifier) override;
  AAX_Result UpdateParameterTouch(AAX_CParamID identifier, AAX_CBoolean touchState) override;
  AAX_Result UpdateParameterNormalizedValue(AAX_CParamID identifier, double value,
                                            AAX_EUpdateSource source) override;
  AAX_Result UpdateParameterNormalizedRelative(AAX_CParamID identifier, double delta) override;
  AAX_Result GenerateCoefficients() override;
  AAX_Result ResetFieldData(AAX_CFieldIndex field, void* data, uint32_t dataSize) const override;
  AAX_Result GetNumberOfChunks(int32_t* numChunks) const override;
  AAX_Result GetChunkIDFromIndex(int32_t index, AAX_CTypeID* chunkID) const override;
  AAX_Result GetChunkSize(AAX_CTypeID chunkID, uint32_t* size) const override;
  AAX_Result GetChunk(AAX_CTypeID chunkID, AAX_SPlugInChunk* chunk) const override;
  AAX_Result SetChunk(AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk) override;
  AAX_Result CompareActiveChunk(const AAX_SPlugInChunk* chunk, AAX_CBoolean* isEqual) const override;
  AAX_Result GetNumberOfChanges(int32_t* numChanges) const override;
  AAX_Result TimerWakeup() override;
  AAX_Result GetCurveData(AAX_CTypeID curveType, const float* values, uint32_t numValues,
                          float* outValues) const override;
  AAX_Result GetCustomData(AAX_CTypeID dataBlockID, uint32_t maxSize, void* data,
                           uint32_t* bytesWritten) const override;
  AAX_Result SetCustomData(AAX_CTypeID dataBlockID, uint32_t size, const void* data) override;
  AAX_Result DoMIDITransfers() override;
  AAX_Result RenderAudio_Hybrid(AAX_SHybridRenderInfo* renderInfo) override;
  AAX_Result UpdateMIDINodes(AAX_CFieldIndex field, AAX_CMidiPacket& packet) override;
  AAX_Result UpdateControlMIDINodes(AAX_CTypeID nodeID, AAX_CMidiPacket& packet) override;
  AAX_Result GetCurveDataMeterIds(AAX_CTypeID curveType, uint32_t* xMeterID,
                                  uint32_t* yMeterID) const override;
  AAX_Result GetCurveDataDisplayRange(AAX_CTypeID curveType, float* xMin, float* xMax, float* yMin,
                                      float* yMax) const override;
  AAX_Result UpdatePageTable(uint32_t tableType, int32_t tablePageSize, IACFUnknown* host,
                             IACFUnknown* pageTable) const override;
  AAX_Result UpdatePageTable(uint32_t tableType, int32_t tablePageSize,
                             AAX_IPageTable& pageTable) const override;

  // The host wrappers; null before Initialize and after Uninitialize.
  AAX_VController* Controller() const { return mController.get(); }
  AAX_VAutomationDelegate* AutomationDelegate() const { return mAutomationDelegate.get(); }
  AAX_VTransport* Transport() const { return mTransport.get(); }

private:
  // Declared before the parameter manager so that they outlive it:
  // parameters unregister from the automation delegate on deletion.
  std::unique_ptr<AAX_VController> mController;
  std::unique_ptr<AAX_VAutomationDelegate> mAutomationDelegate;
  std::unique_ptr<AAX_VTransport> mTransport;

protected:
  AAX_CParameterManager mParameterManager;
  AAX_CPacketDispatcher mPacketDispatcher;
  // Plug-in side changes, for the host's dirty-state display.
  int32_t mNumPlugInChanges = 0;
};

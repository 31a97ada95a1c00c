#include "AAX_CEffectParameters.h"
#include "AAX_CString.h"
#include "AAX_IParameter.h"

#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace
{
double Clamp01(double x)
{
  if (!(x >= 0.0)) return 0.0; // also NaN
  return x > 1.0 ? 1.0 : x;
}
} // namespace

AAX_CEffectParameters::AAX_CEffectParameters() = default;

AAX_CEffectParameters::~AAX_CEffectParameters()
{
  mParameterManager.RemoveAllParameters();
}

ACFRESULT AAX_CEffectParameters::InternalQueryInterface(const acfIID& iid, void** ppv)
{
  if (!ppv) return kACFResult_NoInterface;
  if (iid == IID_AAX_IACFEffectParameters || iid == IID_AAX_IACFEffectParameters_V2 ||
      iid == IID_AAX_IACFEffectParameters_V3 || iid == IID_AAX_IACFEffectParameters_V4)
  {
    *ppv = static_cast<AAX_IEffectParameters*>(this);
    AddRef();
    return kACFResult_OK;
  }
  return CACFUnknown::InternalQueryInterface(iid, ppv);
}

AAX_Result AAX_CEffectParameters::Initialize(IACFUnknown* controller)
{
  try
  {
    auto newController = std::make_unique<AAX_VController>(controller);
    auto newAutomation = std::make_unique<AAX_VAutomationDelegate>(controller);
    auto newTransport = std::make_unique<AAX_VTransport>(controller);
    // A repeated Initialize must not leave parameters pointing at the
    // delegate that is about to go.
    for (int32_t i = 0; i < mParameterManager.NumParameters(); ++i)
      mParameterManager.GetParameter(i)->SetAutomationDelegate(newAutomation.get());
    mController = std::move(newController);
    mAutomationDelegate = std::move(newAutomation);
    mTransport = std::move(newTransport);
    mParameterManager.Initialize(mAutomationDelegate.get());
    mPacketDispatcher.Initialize(mController.get(), this);
    const AAX_Result result = EffectInit();
    if (result != AAX_SUCCESS) return result;
    return AAX_SUCCESS;
  }
  catch (...) // nothing may leave the module (out of memory for the wrappers)
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
}

AAX_Result AAX_CEffectParameters::Uninitialize()
{
  mParameterManager.RemoveAllParameters();
  mParameterManager.Initialize(nullptr);
  mPacketDispatcher.Initialize(nullptr, this);
  mController.reset();
  mAutomationDelegate.reset();
  mTransport.reset();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::NotificationReceived(AAX_CTypeID type, const void* data, uint32_t size)
{
  if (type == AAX_FourCharCode("ASPv") && data && size >= sizeof(int32_t))
  {
    if (AAX_IParameter* preview = mParameterManager.GetParameterByID("PreviewID"))
    {
      int32_t on = 0;
      std::memcpy(&on, data, sizeof(on));
      preview->SetNormalizedValue(on != 0 ? 1.0 : 0.0);
    }
  }
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetNumberOfParameters(int32_t* numParameters) const
{
  if (!numParameters) return AAX_ERROR_NULL_OBJECT;
  *numParameters = mParameterManager.NumParameters();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetMasterBypassParameter(AAX_IString* identifier) const
{
  if (!identifier) return AAX_ERROR_NULL_OBJECT;
  identifier->Set(mParameterManager.GetParameterByID("MasterBypassID") ? "MasterBypassID" : "");
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterIsAutomatable(AAX_CParamID identifier,
                                                            AAX_CBoolean* automatable) const
{
  if (!automatable) return AAX_ERROR_NULL_OBJECT;
  *automatable = 0;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  *automatable = parameter->Automatable() ? 1 : 0;
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterNumberOfSteps(AAX_CParamID identifier, int32_t* numSteps) const
{
  if (!numSteps) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  const uint32_t steps = parameter->GetNumberOfSteps();
  if (steps > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return kAAXResult_Int32Overflow;
  *numSteps = static_cast<int32_t>(steps);
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterName(AAX_CParamID identifier, AAX_IString* name) const
{
  if (!name) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  name->Set(parameter ? parameter->Name().Get() : "");
  return AAX_SUCCESS;
}

// The longest line of the (shortened) name that fits nameLength, else the
// first nameLength characters of the name.
AAX_Result AAX_CEffectParameters::GetParameterNameOfLength(AAX_CParamID identifier, AAX_IString* name,
                                                           int32_t nameLength) const
{
  if (!name) return kAAXResult_TextConversionFailed;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter)
  {
    name->Set("");
    return AAX_SUCCESS;
  }
  const std::string candidates = parameter->ShortenedName(nameLength).StdString();
  std::string best;
  bool found = false;
  size_t start = 0;
  while (start <= candidates.size())
  {
    size_t end = candidates.find('\n', start);
    if (end == std::string::npos) end = candidates.size();
    const size_t length = end - start;
    if (nameLength >= 0 && length <= static_cast<size_t>(nameLength) && (!found || length > best.size()))
    {
      best = candidates.substr(start, length);
      found = true;
    }
    start = end + 1;
  }
  if (found)
    name->Set(best.c_str());
  else if (nameLength < 1)
    name->Set("");
  else
    name->Set(parameter->Name().StdString().substr(0, static_cast<size_t>(nameLength)).c_str());
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterDefaultNormalizedValue(AAX_CParamID identifier,
                                                                     double* value) const
{
  if (!value) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  *value = parameter->GetNormalizedDefaultValue();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetParameterDefaultNormalizedValue(AAX_CParamID identifier, double value)
{
  AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  parameter->SetNormalizedDefaultValue(value);
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterType(AAX_CParamID identifier, AAX_EParameterType* type) const
{
  if (!type) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  *type = parameter->GetType();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterOrientation(AAX_CParamID identifier,
                                                          AAX_EParameterOrientation* orientation) const
{
  if (!orientation) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  *orientation = parameter->GetOrientation();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameter(AAX_CParamID identifier, AAX_IParameter** parameter)
{
  if (!parameter) return AAX_ERROR_NULL_OBJECT;
  *parameter = mParameterManager.GetParameterByID(identifier);
  return *parameter ? AAX_Result(AAX_SUCCESS) : AAX_Result(AAX_ERROR_INVALID_PARAMETER_ID);
}

AAX_Result AAX_CEffectParameters::GetParameterIndex(AAX_CParamID identifier, int32_t* index) const
{
  if (!index) return AAX_ERROR_NULL_OBJECT;
  *index = mParameterManager.GetParameterIndex(identifier);
  return *index < 0 ? AAX_Result(AAX_ERROR_INVALID_PARAMETER_ID) : AAX_Result(AAX_SUCCESS);
}

AAX_Result AAX_CEffectParameters::GetParameterIDFromIndex(int32_t index, AAX_IString* identifier) const
{
  if (!identifier) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameter(index);
  identifier->Set(parameter ? parameter->Identifier() : "");
  return parameter ? AAX_Result(AAX_SUCCESS) : AAX_Result(AAX_ERROR_INVALID_PARAMETER_ID);
}

AAX_Result AAX_CEffectParameters::GetParameterValueInfo(AAX_CParamID, int32_t, int32_t* value) const
{
  if (value) *value = 0;
  return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetParameterValueFromString(AAX_CParamID identifier, double* value,
                                                              const AAX_IString& valueString) const
{
  if (!value) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  if (!parameter->GetNormalizedValueFromString(AAX_CString(valueString), value))
    return kAAXResult_TextConversionFailed;
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterStringFromValue(AAX_CParamID identifier, double value,
                                                              AAX_IString* valueString,
                                                              int32_t maxLength) const
{
  if (!valueString) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  AAX_CString text;
  const bool ok = parameter->GetStringFromNormalizedValue(value, maxLength, text);
  valueString->Set(text);
  return ok ? AAX_Result(AAX_SUCCESS) : kAAXResult_TextConversionFailed;
}

AAX_Result AAX_CEffectParameters::GetParameterValueString(AAX_CParamID identifier, AAX_IString* value,
                                                          int32_t maxLength) const
{
  if (!value) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  AAX_CString text;
  const bool ok = parameter->GetValueString(maxLength, &text);
  value->Set(text);
  return ok ? AAX_Result(AAX_SUCCESS) : kAAXResult_TextConversionFailed;
}

AAX_Result AAX_CEffectParameters::GetParameterNormalizedValue(AAX_CParamID identifier, double* value) const
{
  if (!value) return AAX_ERROR_NULL_OBJECT;
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  *value = parameter->GetNormalizedValue();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedValue(AAX_CParamID identifier, double value)
{
  AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  parameter->SetNormalizedValue(value);
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedRelative(AAX_CParamID identifier, double delta)
{
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  return SetParameterNormalizedValue(identifier, Clamp01(parameter->GetNormalizedValue() + delta));
}

AAX_Result AAX_CEffectParameters::TouchParameter(AAX_CParamID identifier)
{
  AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  parameter->Touch();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::ReleaseParameter(AAX_CParamID identifier)
{
  AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  parameter->Release();
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::UpdateParameterTouch(AAX_CParamID, AAX_CBoolean)
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedValue(AAX_CParamID identifier, double value,
                                                                 AAX_EUpdateSource)
{
  AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  const double previous = parameter->GetNormalizedValue();
  parameter->UpdateNormalizedValue(value);
  const AAX_Result result = mPacketDispatcher.SetDirty(identifier);
  if (parameter->GetNormalizedValue() != previous) ++mNumPlugInChanges;
  return result;
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedRelative(AAX_CParamID identifier, double delta)
{
  const AAX_IParameter* parameter = mParameterManager.GetParameterByID(identifier);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  return UpdateParameterNormalizedValue(identifier, Clamp01(parameter->GetNormalizedValue() + delta),
                                        AAX_eUpdateSource_Unspecified);
}

AAX_Result AAX_CEffectParameters::GenerateCoefficients()
{
  try
  {
    return mPacketDispatcher.Dispatch();
  }
  catch (...) // nothing may leave the module
  {
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
}

AAX_Result AAX_CEffectParameters::ResetFieldData(AAX_CFieldIndex, void* data, uint32_t dataSize) const
{
  if (data && dataSize) std::memset(data, 0, dataSize);
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetNumberOfChunks(int32_t* numChunks) const
{
  if (!numChunks) return AAX_ERROR_NULL_OBJECT;
  *numChunks = 1;
  return AAX_SUCCESS;
}

// The base keeps no state chunk; the binding replaces these five.
AAX_Result AAX_CEffectParameters::GetChunkIDFromIndex(int32_t, AAX_CTypeID* chunkID) const
{
  if (chunkID) *chunkID = 0;
  return AAX_ERROR_INVALID_CHUNK_INDEX;
}

AAX_Result AAX_CEffectParameters::GetChunkSize(AAX_CTypeID, uint32_t* size) const
{
  if (size) *size = 0;
  return AAX_ERROR_INVALID_CHUNK_ID;
}

AAX_Result AAX_CEffectParameters::GetChunk(AAX_CTypeID, AAX_SPlugInChunk*) const
{
  return AAX_ERROR_INVALID_CHUNK_ID;
}

AAX_Result AAX_CEffectParameters::SetChunk(AAX_CTypeID, const AAX_SPlugInChunk*)
{
  return AAX_ERROR_INVALID_CHUNK_ID;
}

AAX_Result AAX_CEffectParameters::CompareActiveChunk(const AAX_SPlugInChunk*, AAX_CBoolean* isEqual) const
{
  if (!isEqual) return AAX_ERROR_NULL_OBJECT;
  *isEqual = 1;
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetNumberOfChanges(int32_t* numChanges) const
{
  if (!numChanges) return AAX_ERROR_NULL_OBJECT;
  *numChanges = mNumPlugInChanges >= 0 ? mNumPlugInChanges : 0;
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::TimerWakeup()
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetCurveData(AAX_CTypeID, const float*, uint32_t, float*) const
{
  return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetCustomData(AAX_CTypeID, uint32_t, void*, uint32_t* bytesWritten) const
{
  if (bytesWritten) *bytesWritten = 0;
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetCustomData(AAX_CTypeID, uint32_t, const void*)
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::DoMIDITransfers()
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::RenderAudio_Hybrid(AAX_SHybridRenderInfo*)
{
  return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::UpdateMIDINodes(AAX_CFieldIndex, AAX_CMidiPacket&)
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::UpdateControlMIDINodes(AAX_CTypeID, AAX_CMidiPacket&)
{
  return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetCurveDataMeterIds(AAX_CTypeID, uint32_t*, uint32_t*) const
{
  return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetCurveDataDisplayRange(AAX_CTypeID, float*, float*, float*, float*) const
{
  return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::UpdatePageTable(uint32_t tableType, int32_t tablePageSize, IACFUnknown*,
                                                  IACFUnknown* pageTable) const
{
  AAX_VPageTable table(pageTable);
  if (!table.IsSupported()) return AAX_SUCCESS;
  return UpdatePageTable(tableType, tablePageSize, table);
}

AAX_Result AAX_CEffectParameters::UpdatePageTable(uint32_t, int32_t, AAX_IPageTable&) const
{
  return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::EffectInit()
{
  return AAX_SUCCESS;
}

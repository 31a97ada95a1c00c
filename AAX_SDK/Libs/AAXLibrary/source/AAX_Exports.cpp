// The exported entry points. Each catches anything escaping its body and
// answers kACFResult_Unexpected: no exception crosses the module boundary.
#include "AAX_Exports.h"

#include "AAX_Assert.h"
#include "AAX_Exception.h"
#include "AAX_VCollection.h"
#include "AAX_VHostServices.h"
#include "CACFUnknown.h"

#include <atomic>
#include <exception>

// Supplied by the plug-in's description.
AAX_Result GetEffectDescriptions(AAX_VCollection* collection);

namespace
{
// Registration proper; may throw.
AAX_Result AAXRegisterPlugin(IACFUnknown* host, IACFPluginDefinition** definition)
{
  try
  {
    AAX_CheckedResult result;
    AAX_VCollection collection(host);
    result = GetEffectDescriptions(&collection);
    *definition = nullptr;
    *definition = ACFQueryInterface<IACFPluginDefinition>(collection.GetIUnknown(), IID_IACFPluginDefinition);
    if (!*definition) result = AAX_ERROR_NULL_OBJECT;
    return AAX_SUCCESS;
  }
  catch (const AAX::Exception::ResultError& e)
  {
    AAX_TRACE(AAX::kTracePriority_High, "AAXRegisterPlugin exception caught: %s", e.What().c_str());
    return e.Result();
  }
  catch (const AAX::Exception::Any& e)
  {
    AAX_TRACE(AAX::kTracePriority_High, "AAXRegisterPlugin exception caught: %s", e.What().c_str());
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
  catch (const std::exception& e)
  {
    AAX_TRACE(AAX::kTracePriority_High, "AAXRegisterPlugin exception caught: %s", e.what());
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
  catch (...)
  {
    AAX_TRACE(AAX::kTracePriority_High, "AAXRegisterPlugin exception caught: unknown");
    return AAX_ERROR_UNKNOWN_EXCEPTION;
  }
}
} // namespace

extern "C"
{

  ACF_EXPORT ACFRESULT ACFStartup(IACFUnknown* host)
  {
    try
    {
      AAX_CHostServices::Set(host);
      return kACFResult_OK;
    }
    catch (...)
    {
      return kACFResult_Unexpected;
    }
  }

  ACF_EXPORT ACFRESULT ACFShutdown(IACFUnknown*)
  {
    try
    {
      AAX_CHostServices::Clear();
      return kACFResult_OK;
    }
    catch (...)
    {
      return kACFResult_Unexpected;
    }
  }

  ACF_EXPORT ACFRESULT ACFRegisterPlugin(IACFUnknown* host, IACFPluginDefinition** definition)
  {
    try
    {
      if (!definition) return AAX_ERROR_NULL_OBJECT;
      *definition = nullptr;
      return AAXRegisterPlugin(host, definition);
    }
    catch (...)
    {
      return kACFResult_Unexpected;
    }
  }

  ACF_EXPORT ACFRESULT ACFRegisterComponent(IACFUnknown*, uint32_t, IACFUnknown** component)
  {
    try
    {
      if (component) *component = nullptr;
      return kACFResult_OK;
    }
    catch (...)
    {
      return kACFResult_Unexpected;
    }
  }

  ACF_EXPORT ACFRESULT ACFGetClassFactory(IACFUnknown*, const acfCLSID*, const acfIID*, void** factory)
  {
    try
    {
      if (factory) *factory = nullptr;
      return AAX_ERROR_UNIMPLEMENTED;
    }
    catch (...)
    {
      return kACFResult_Unexpected;
    }
  }

  ACF_EXPORT ACFRESULT ACFCanUnloadNow(IACFUnknown*)
  {
    try
    {
      return CACFUnknown::GetActiveObjectCount();
    }
    catch (...)
    {
      return kACFResult_Unexpected;
    }
  }

  ACF_EXPORT ACFRESULT ACFGetSDKVersion(uint64_t* version)
  {
    try
    {
      if (!version) return AAX_ERROR_NULL_OBJECT;
      *version = kACFSDKVersion;
      return kACFResult_OK;
    }
    catch (...)
    {
      return kACFResult_Unexpected;
    }
  }

} // extern "C"

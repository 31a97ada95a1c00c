// Owns the AAX parameter objects of one instance: a list in registration
// order and a map from identifier text to object. Host non-real-time
// threads only; not locked.
#pragma once

#include "AAX_IParameter.h"

#include <map>
#include <string>
#include <vector>

class AAX_CParameterManager
{
public:
  AAX_CParameterManager() = default;
  ~AAX_CParameterManager();
  AAX_CParameterManager(const AAX_CParameterManager&) = delete;
  AAX_CParameterManager& operator=(const AAX_CParameterManager&) = delete;

  // The delegate that parameters added from now on are registered with (not owned).
  void Initialize(AAX_IAutomationDelegate* automationDelegate);

  // Takes ownership, hands the parameter the automation delegate (which
  // registers it with the host) and appends it. A null parameter or one
  // whose identifier is already present is not taken: the answer is false
  // and the caller keeps (and must delete) it.
  bool AddParameter(AAX_IParameter* parameter);
  // Null for a null or unknown identifier (exact text match).
  AAX_IParameter* GetParameterByID(AAX_CParamID identifier) const;
  // Null outside 0 .. NumParameters() - 1.
  AAX_IParameter* GetParameter(int32_t index) const;
  // Position in registration order, or -1.
  int32_t GetParameterIndex(AAX_CParamID identifier) const;
  int32_t NumParameters() const { return static_cast<int32_t>(mParameters.size()); }
  // Deletes every parameter, last first; each unregisters itself.
  void RemoveAllParameters();

private:
  AAX_IAutomationDelegate* mAutomationDelegate = nullptr;
  std::vector<AAX_IParameter*> mParameters;
  std::map<std::string, AAX_IParameter*> mByIdentifier;
};

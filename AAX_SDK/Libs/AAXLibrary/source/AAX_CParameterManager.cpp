#include "AAX_CParameterManager.h"

#include <cstring>

AAX_CParameterManager::~AAX_CParameterManager()
{
  RemoveAllParameters();
}

void AAX_CParameterManager::Initialize(AAX_IAutomationDelegate* automationDelegate)
{
  mAutomationDelegate = automationDelegate;
}

bool AAX_CParameterManager::AddParameter(AAX_IParameter* parameter)
{
  if (!parameter) return false;
  const std::string identifier(parameter->Identifier());
  if (mByIdentifier.count(identifier)) return false;
  parameter->SetAutomationDelegate(mAutomationDelegate);
  mParameters.push_back(parameter);
  try
  {
    mByIdentifier.emplace(identifier, parameter);
  }
  catch (...)
  {
    // Out of memory: the parameter stays with the caller, as when refused.
    mParameters.pop_back();
    throw;
  }
  return true;
}

AAX_IParameter* AAX_CParameterManager::GetParameterByID(AAX_CParamID identifier) const
{
  if (!identifier) return nullptr;
  const auto it = mByIdentifier.find(identifier);
  return it == mByIdentifier.end() ? nullptr : it->second;
}

AAX_IParameter* AAX_CParameterManager::GetParameter(int32_t index) const
{
  if (index < 0 || index >= NumParameters()) return nullptr;
  return mParameters[static_cast<size_t>(index)];
}

int32_t AAX_CParameterManager::GetParameterIndex(AAX_CParamID identifier) const
{
  if (!identifier) return -1;
  for (size_t i = 0; i < mParameters.size(); ++i)
    if (std::strcmp(mParameters[i]->Identifier(), identifier) == 0) return static_cast<int32_t>(i);
  return -1;
}

void AAX_CParameterManager::RemoveAllParameters()
{
  mByIdentifier.clear();
  while (!mParameters.empty())
  {
    delete mParameters.back();
    mParameters.pop_back();
  }
}

// Status results shared by the module's containers.
#pragma once

#include <cstdint>

class AAX_IContainer
{
public:
  enum EStatus : int32_t
  {
    eStatus_Success = 0,
    eStatus_Overflow = 1, // no room for the element
    eStatus_NotInitialized = 2,
    eStatus_Unavailable = 3,
    eStatus_Unsupported = 4 // the element cannot be stored (a null pointer)
  };

  virtual ~AAX_IContainer() = default;
  virtual void Clear() = 0;
};

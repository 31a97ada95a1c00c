// A queue of element pointers. Pushes may come from several threads; pops
// and peeks from one consumer thread.
#pragma once

#include "AAX_IContainer.h"

template <typename T> class AAX_IPointerQueue : public AAX_IContainer
{
public:
  using value_type = T*;

  // eStatus_Success, eStatus_Overflow when full, eStatus_Unsupported for null.
  virtual EStatus Push(value_type element) = 0;
  // The oldest element, removed; null when the queue is empty.
  virtual value_type Pop() = 0;
  // The oldest element, left in place; null when the queue is empty.
  virtual value_type Peek() const = 0;
};

#include "EditorHostWindow.h"

#include <windows.h>

void* kestrine_test::TestModuleHandle()
{
  return GetModuleHandleW(nullptr);
}

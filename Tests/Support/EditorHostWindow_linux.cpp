#include "EditorHostWindow.h"

void* kestrine_test::TestModuleHandle()
{
  return nullptr;
}

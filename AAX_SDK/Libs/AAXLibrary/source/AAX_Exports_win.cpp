// The DLL entry point: keeps the module instance handle for resource lookup
// and window-class registration. Windows only (chosen by the build).
#include "AAX_Exports.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
  AAX::SetModuleHandle(instance);
  return TRUE;
}

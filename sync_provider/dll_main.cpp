// Entry point of Pelloquin.dll: only remembers the module handle, which the
// options dialog is loaded from.
#include <windows.h>

#include "module_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_hInstance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

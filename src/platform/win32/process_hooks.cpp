// Process attach and detach for the DLL.
#include <windows.h>

#include "module/module_instance.h"

// `reserved` is null when the DLL is unloaded by FreeLibrary (or a failed load) and not
// null when the process ends: then other threads are already gone, possibly holding the
// heap's lock, and the system reclaims the module's memory itself.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      orrery::onProcessAttach(instance);
      break;
    case DLL_PROCESS_DETACH:
      orrery::onProcessDetach(reserved != nullptr);
      break;
    default:
      break;
  }
  return TRUE;
}

// Process attach and detach for the DLL.
#include <windows.h>

#include "module/module_instance.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      orrery::onProcessAttach(instance);
      break;
    case DLL_PROCESS_DETACH:
      orrery::onProcessDetach();
      break;
    default:
      break;
  }
  return TRUE;
}

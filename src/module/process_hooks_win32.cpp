// Process attach and detach for the DLL.
#include <windows.h>

#include "module/module_instance.h"

namespace {

// The C++ runtime linked into the DLL keeps what it takes at its start (the emergency
// exception buffer) and at a thread's first throw (a TLS index and its handles) until
// the process ends, and FreeLibrary gives none of it back: a host that loads the DLL for
// every call would run out of TLS indexes after about a thousand calls. So the DLL pins
// itself at its first load and stays mapped until the process ends; FreeLibrary and a
// new LoadLibrary then reach the same copy. No attach runs for the next host, so what a
// fresh mapping would give it comes from the session instead: its `load`, or its first
// request when it finds the DLL already in the process and never calls `load`, starts a
// fresh module object. If pinning fails the DLL still works, unloaded by FreeLibrary.
void pinModule(HINSTANCE instance) {
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(instance), &pinned);
}

}  // namespace

// `reserved` is null when the DLL is unloaded by FreeLibrary (only when pinning failed) or
// after a failed load, and not null when the process ends: then other threads are already
// gone, possibly holding the heap's lock, and the system reclaims the module's memory.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      pinModule(instance);
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

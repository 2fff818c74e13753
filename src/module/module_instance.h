#pragma once
// The one module object of the process and its lifecycle.
//
// Two owners, each of its own things:
// - The host session owns the module object. `load` starts a fresh one and `unload` ends
//   it; a request that finds none starts a fresh one too, so that a host which finds the
//   library already mapped (the Windows DLL stays mapped once loaded) and never calls
//   `load` is served as a freshly mapped library would serve it.
// - The library mapping owns the process resources (the private locale, the code page
//   converters). Attach creates them; detach releases them and sweeps away a module
//   object that a host left behind.
#include "module/i_module.h"

namespace orrery {

// Process attach: keep the instance handle, create the private locale and the module
// object. Process detach: destroy what is left. `processEnding` is true when the whole
// process is going away and the system reclaims everything itself (Windows at process
// end, where other threads were stopped wherever they stood and the heap may be
// inconsistent); detach then frees nothing. Neither throws.
void onProcessAttach(void* instanceHandle) noexcept;
void onProcessDetach(bool processEnding = false) noexcept;

// The module object, or null after unload or a failed creation.
IModule* currentModule() noexcept;
// The module object for a request: the current one, or a fresh one when there is none;
// null only when creating it fails.
IModule* readyModule() noexcept;
// Creates the module object when there is none; false when that fails.
bool ensureModule() noexcept;
// Replaces the module object by a fresh one (load); false, with no object, when that
// fails.
bool restartModule() noexcept;
// Destroys the module object (unload), so that a session leaves nothing behind.
void destroyModule() noexcept;

}  // namespace orrery

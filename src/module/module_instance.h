#pragma once
// The one module object of the process and its lifecycle.
#include "module/i_module.h"

namespace orrery {

// Process attach: keep the instance handle, create the private locale and the module
// object. Process detach: destroy whatever is left: the module object, the code page
// converters and the private locale. Detach is the one owner of that teardown; no object
// of static storage in the module has a destructor of its own. `processEnding` is true
// when the whole process is going away and the system reclaims everything itself (Windows
// at process end, where other threads were stopped wherever they stood and the heap may
// be inconsistent); detach then frees nothing. Neither throws.
void onProcessAttach(void* instanceHandle) noexcept;
void onProcessDetach(bool processEnding = false) noexcept;

// The module object, or null after unload or a failed creation.
IModule* currentModule() noexcept;
// Creates the module object when there is none; false when that fails.
bool ensureModule() noexcept;
// Replaces the module object by a new one (load); false, with no object, when that fails.
// The DLL stays mapped once loaded, so a host's FreeLibrary and new LoadLibrary pass no
// attach or detach: every load starts afresh here instead.
bool restartModule() noexcept;
// Destroys the module object (unload), so that load/unload cycles leak nothing.
void destroyModule() noexcept;

}  // namespace orrery

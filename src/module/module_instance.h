#pragma once
// The one module object of the process and its lifecycle.
#include "module/i_module.h"

namespace orrery {

// Process attach: keep the instance handle, create the private locale and the module
// object. Process detach: destroy whatever is left. Neither throws.
void onProcessAttach(void* instanceHandle) noexcept;
void onProcessDetach() noexcept;

// The module object, or null after unload or a failed creation.
IModule* currentModule() noexcept;
// Creates the module object when there is none; false when that fails.
bool ensureModule() noexcept;
// Destroys the module object (unload), so that load/unload cycles leak nothing.
void destroyModule() noexcept;

}  // namespace orrery

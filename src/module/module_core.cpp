#include "module/module_core.h"

namespace orrery {

ModuleCore::ModuleCore(void* moduleHandle) : CommandDispatcher(moduleHandle) {
  // Registration order is the documented one; lookup is by name, so it does not
  // affect dispatch.
}

bool ModuleCore::load(const Bytes& /*path*/) { return true; }

bool ModuleCore::unload() { return true; }

}  // namespace orrery

#include "module/module_core.h"

#include "commands/lists/shuffle_command.h"
#include "commands/lists/shuffle_n_command.h"
#include "platform/platform.h"

namespace orrery {

ModuleCore::ModuleCore(void* moduleHandle) : CommandDispatcher(moduleHandle) {
  // Registration order is the documented one; lookup is by name, so it does not
  // affect dispatch.
  // Each shuffling command reads the tick count for its own seed, shuffle first.
  registry_.add(u"shuffle", std::make_shared<ShuffleCommand>(platform::tickCount()));
  registry_.add(u"shuffle_n", std::make_shared<ShuffleNCommand>(platform::tickCount()));
}

bool ModuleCore::load(const Bytes& /*path*/) { return true; }

bool ModuleCore::unload() { return true; }

}  // namespace orrery

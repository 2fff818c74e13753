#include "module/module_core.h"

#include <memory>

#include "commands/lists/make_pair_command.h"
#include "commands/lists/shuffle_command.h"
#include "commands/lists/shuffle_n_command.h"
#include "commands/lists/unique_command.h"
#include "commands/sets/set_command.h"
#include "commands/sort/sort_command.h"
#include "platform/platform.h"

namespace orrery {

ModuleCore::ModuleCore(void* moduleHandle) : CommandDispatcher(moduleHandle) {
  // Registration order is the documented one; lookup is by name, so it does not
  // affect dispatch. Each shuffling command reads the tick count for its own seed,
  // shuffle first.
  registry_.add(u"sort", std::make_shared<SortCommand>());
  registry_.add(u"shuffle", std::make_shared<ShuffleCommand>(platform::tickCount()));
  registry_.add(u"shuffle_n", std::make_shared<ShuffleNCommand>(platform::tickCount()));
  registry_.add(u"intersection", std::make_shared<IntersectionCommand>());
  registry_.add(u"difference", std::make_shared<DifferenceCommand>());
  registry_.add(u"union", std::make_shared<UnionCommand>());
  registry_.add(u"symmetric_difference", std::make_shared<SymmetricDifferenceCommand>());
  registry_.add(u"unique", std::make_shared<UniqueCommand>());
  registry_.add(u"make_pair", std::make_shared<MakePairCommand>());
}

bool ModuleCore::load(const Bytes& /*path*/) { return true; }

bool ModuleCore::unload() { return true; }

}  // namespace orrery

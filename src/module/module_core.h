#pragma once
#include "protocol/command_dispatcher.h"

namespace orrery {

// The concrete module: registers the commands; load and unload have nothing to do.
class ModuleCore : public CommandDispatcher {
 public:
  explicit ModuleCore(void* moduleHandle);

  bool load(const Bytes& path) override;
  bool unload() override;
};

}  // namespace orrery

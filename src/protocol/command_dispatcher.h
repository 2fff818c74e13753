#pragma once
#include "commands/framework/command_registry.h"
#include "module/request_bridge.h"

namespace orrery {

// Owns the command registry and runs a parsed request: a version query does nothing
// (answered 204), an execution runs the command named by Argument0 when enough
// arguments are present, anything else is 400.
class CommandDispatcher : public RequestBridge {
 public:
  using RequestBridge::RequestBridge;

  bool execute(SaoriRequest& record) override;

  const CommandRegistry& registry() const { return registry_; }

 protected:
  CommandRegistry registry_;
};

}  // namespace orrery

#pragma once
#include "commands/framework/request_entry.h"

namespace orrery {

// "sort": orders the items of Argument1 stably by text, floating-point, length or
// integer keys; Argument2 holds the option letters.
class SortCommand : public IRequestEntry {
 public:
  bool execute(SaoriRequest& record) override;
  std::uint32_t listArgumentCount() const override { return 1; }
};

}  // namespace orrery

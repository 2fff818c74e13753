#include "commands/lists/shuffle_command.h"

#include "commands/framework/list_text.h"

namespace orrery {

bool ShuffleCommand::execute(SaoriRequest& record) {
  // Any text is a list, so there is nothing to refuse. Only the values' positions move.
  ValueList& values = record.values;
  splitList(record.argument(1), values);
  permute(source_, values.size(), [&](std::size_t k, std::size_t r) { values.swap(k, r); });
  return true;
}

}  // namespace orrery

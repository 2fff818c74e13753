#include "commands/lists/shuffle_command.h"

#include "commands/framework/list_text.h"

namespace orrery {

bool ShuffleCommand::execute(SaoriRequest& record) {
  // Any text is a list, so there is nothing to refuse. The Values view the items in
  // Argument1, so the permutation moves small entries and copies no text.
  ValueList& values = record.values;
  const std::size_t base = values.size();
  splitList(record.argument(1), values);
  permute(
      source_, values.size() - base,
      [&](std::size_t k, std::size_t r) { values.swap(base + k, base + r); },
      [&](std::size_t r) { values.prefetchEntry(base + r); });
  return true;
}

}  // namespace orrery

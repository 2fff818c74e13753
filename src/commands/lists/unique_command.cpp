#include "commands/lists/unique_command.h"

#include <cstdint>
#include <vector>

#include "commands/framework/options.h"
#include "commands/sort/item_writer.h"
#include "commands/sort/ordered_store.h"

namespace orrery {
namespace {

// Positions of the first record of every key: the store keeps equal keys in reading
// order, so that is the first item read with that key.
std::vector<std::uint32_t> firstOfEachKey(const OrderedStore<StringKey>& store) {
  const auto& records = store.records();
  std::vector<std::uint32_t> chosen;
  chosen.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i == 0 || !store.sameKey(records[i - 1], records[i])) {
      chosen.push_back(static_cast<std::uint32_t>(i));
    }
  }
  return chosen;
}

}  // namespace

bool UniqueCommand::execute(SaoriRequest& record) {
  try {
    const TextView options = record.argumentCount() > 2 ? TextView(record.argument(2)) : TextView();
    const ValueKind kind = valueKindPreferringSecondPart(options);
    ItemWriter writer(record, kind, hasOption(options, optionLetter(u"unique", u's')));
    OrderedStore<StringKey> store(record.argument(1), record.scratch());
    const std::vector<std::uint32_t> chosen = firstOfEachKey(store);
    // Chosen records ascend, one value each.
    writer.reuseRecordsOf(store);
    writer.writeAll(chosen.size(), [&](std::size_t i) {
      return ChosenItem{store.list(), store.records()[chosen[i]].item};
    });
    return true;
  } catch (const ConvExcep&) {
    // Only a list too long to index gets here.
    record.status = SaoriRequest::kBadRequest;
    return false;
  }
}

}  // namespace orrery

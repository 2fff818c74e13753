#include "commands/lists/unique_command.h"

#include "commands/framework/options.h"
#include "commands/sort/item_writer.h"
#include "commands/sort/ordered_store.h"

namespace orrery {
namespace {

// Calls `visit(record)` for the first record of every key: the store keeps equal keys
// in reading order, so that is the first item read with that key.
template <typename Visit>
void forEachFirstOfKey(const OrderedStore<StringKey>& store, Visit&& visit) {
  const auto& records = store.records();
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i + kPrefetchDistance < records.size()) {
      prefetchItem(store.list(), records[i + kPrefetchDistance].item);
    }
    if (i == 0 || !store.sameKey(records[i - 1], records[i])) visit(records[i]);
  }
}

}  // namespace

bool UniqueCommand::execute(SaoriRequest& record) {
  try {
    const TextView options = record.argumentCount() > 2 ? TextView(record.argument(2)) : TextView();
    const ValueKind kind = valueKindPreferringSecondPart(options);
    ItemWriter writer(record, kind, hasOption(options, u's'));
    const OrderedStore<StringKey> store(record.argument(1));
    forEachFirstOfKey(store, [&](const auto& r) { writer.measure(r.item); });
    writer.reserve();
    forEachFirstOfKey(store, [&](const auto& r) { writer.write(store.list(), r.item); });
    return true;
  } catch (const ConvExcep&) {
    // Only a list too long to index gets here.
    record.status = SaoriRequest::kBadRequest;
    return false;
  }
}

}  // namespace orrery

#include "commands/lists/unique_command.h"

#include "commands/framework/options.h"
#include "commands/sort/item_writer.h"
#include "commands/sort/ordered_store.h"

namespace orrery {

bool UniqueCommand::execute(SaoriRequest& record) {
  try {
    const TextView options = record.argumentCount() > 2 ? TextView(record.argument(2)) : TextView();
    const ValueKind kind = valueKindPreferringSecondPart(options);
    ItemWriter writer(record, kind, hasOption(options, optionLetter(u"unique", u's')));
    OrderedStore<StringKey> store(record.argument(1), record.scratch());
    // Equal keys stand in reading order: the first of each run is the first item read
    // with that key.
    store.keepWithinKeys([](const auto* run, std::size_t, auto* out) {
      *out = *run;
      return out + 1;
    });
    writer.reuseRecordsOf(store);
    const auto records = store.records();
    writer.writeAll(records.size(),
                    [&](std::size_t i) { return ChosenItem::of(store.list(), records[i]); });
    return true;
  } catch (const ConvExcep&) {
    // Only a list too long to index gets here.
    record.status = SaoriRequest::kBadRequest;
    return false;
  }
}

}  // namespace orrery

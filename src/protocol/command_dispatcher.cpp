#include "protocol/command_dispatcher.h"

#include "protocol/unit_search.h"

namespace orrery {
namespace {

constexpr TextView kVersionPrefix = u"GET Version SAORI/";
constexpr TextView kExecutePrefix = u"EXECUTE SAORI/";

}  // namespace

bool CommandDispatcher::execute(SaoriRequest& record) {
  const TextView line = record.requestLine;
  if (startsWith(line, kVersionPrefix)) return true;
  if (startsWith(line, kExecutePrefix) && !record.arguments.empty()) {
    // Reading Argument0 adds it when absent, and the count below includes it.
    IRequestEntry* command = registry_.find(record.argument(0));
    if (command != nullptr && command->listArgumentCount() < record.argumentCount()) {
      // The arguments view the request text, so the Values can be kept as offsets into it.
      record.values.packViewsOf(record.rawText);
      return command->execute(record);
    }
  }
  record.status = SaoriRequest::kBadRequest;
  return false;
}

}  // namespace orrery

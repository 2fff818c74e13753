#include "protocol/command_dispatcher.h"

namespace orrery {
namespace {

constexpr TextView kVersionPrefix = u"GET Version SAORI/";
constexpr TextView kExecutePrefix = u"EXECUTE SAORI/";

}  // namespace

bool CommandDispatcher::execute(SaoriRequest& record) {
  const TextView line = record.requestLine;
  if (line.starts_with(kVersionPrefix)) return true;
  if (line.starts_with(kExecutePrefix) && !record.arguments.empty()) {
    // Reading Argument0 adds it when absent, and the count below includes it.
    IRequestEntry* command = registry_.find(record.argument(0));
    if (command != nullptr && command->listArgumentCount() < record.argumentCount()) {
      return command->execute(record);
    }
  }
  record.status = SaoriRequest::kBadRequest;
  return false;
}

}  // namespace orrery

#include "commands/lists/make_pair_command.h"

#include <vector>

#include "commands/framework/list_text.h"
#include "commands/framework/options.h"

namespace orrery {

bool MakePairCommand::execute(SaoriRequest& record) {
  const TextView options = record.argumentCount() > 3 ? TextView(record.argument(3)) : TextView();
  std::vector<TextView> firsts;
  std::vector<TextView> seconds;
  splitList(record.argument(1), firsts);
  splitList(record.argument(2), seconds);
  if (firsts.size() != seconds.size()) {
    record.status = SaoriRequest::kBadRequest;
    return false;
  }

  std::size_t codeUnits = 0;
  for (std::size_t i = 0; i < firsts.size(); ++i) {
    codeUnits += firsts[i].size() + 1 + seconds[i].size();
  }
  if (hasOption(options, u's')) {
    Text& result = record.result;
    result.reserve(result.size() + codeUnits + firsts.size());
    for (std::size_t i = 0; i < firsts.size(); ++i) {
      result.append(firsts[i]);
      result.push_back(kPairSeparator);
      result.append(seconds[i]);
      result.push_back(kListSeparator);
    }
  } else {
    record.values.reserveAdditional(firsts.size(), codeUnits);
    for (std::size_t i = 0; i < firsts.size(); ++i) {
      record.values.pushJoined(firsts[i], kPairSeparator, seconds[i]);
    }
  }
  return true;
}

}  // namespace orrery

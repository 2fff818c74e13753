#include "commands/framework/request_entry.h"

namespace orrery {
namespace {

bool fail(SaoriRequest& record, std::int32_t status) {
  record.result.clear();
  record.values.clear();
  record.status = status;
  return false;
}

}  // namespace

bool IRequestEntry::failBadRequest(SaoriRequest& record) {
  return fail(record, SaoriRequest::kBadRequest);
}

bool IRequestEntry::failInternalError(SaoriRequest& record) {
  return fail(record, SaoriRequest::kInternalError);
}

}  // namespace orrery

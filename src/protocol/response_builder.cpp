#include "protocol/response_builder.h"

#include "protocol/response_pieces.h"

namespace orrery {

using namespace response;

void settleStatus(SaoriRequest& record) {
  if (record.status == SaoriRequest::kOk && record.result.empty() && record.values.empty()) {
    record.status = SaoriRequest::kNoContent;
  }
}

std::size_t responseLength(const SaoriRequest& record) { return length<Utf16Texts>(record); }

char16_t* writeResponse(const SaoriRequest& record, char16_t* out) {
  return write<Utf16Texts>(record, out);
}

bool buildResponse(SaoriRequest& record, ResponseOutput<char16_t>& out, AnswerRoom from) {
  settleStatus(record);
  const std::size_t length = responseLength(record);
  char16_t* room = allocateRoom(record, out, length, {}, from);
  if (room == nullptr) return false;
  writeResponse(record, room);
  return true;
}

bool buildResponse(SaoriRequest& record, Text& out, std::size_t tailRoom) {
  settleStatus(record);
  const std::size_t length = responseLength(record);
  out.reserve(out.size() + length + tailRoom);
  StringOutput<Text> appended(out);
  writeResponse(record, appended.allocate(length));
  return true;
}

}  // namespace orrery

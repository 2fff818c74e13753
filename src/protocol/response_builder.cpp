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

namespace {

// The answer takes over the block that holds the Values where the output can: on a first
// request its pages are touched already, where a fresh block's are not. The Values move
// to the end of the answer's room. Every Value line takes at least 16 bytes ("Value0: "),
// and the response ends in a line end, so values of at most 8 bytes, aligned back by at
// most 7, always lie past what the writer has written: it reads each value before
// writing its line.
char16_t* allocateOverValues(SaoriRequest& record, ResponseOutput<char16_t>& out,
                             std::size_t length) {
  ValueList& values = record.values;
  if (record.status != SaoriRequest::kOk || values.empty() ||
      values.entryBytes() > sizeof(std::uint64_t)) {
    return nullptr;
  }
  std::byte* room = values.moveInto(length * sizeof(char16_t), [&](ScratchMemory::Block& block) {
    return reinterpret_cast<std::byte*>(out.allocateOver(block, length));
  });
  return reinterpret_cast<char16_t*>(room);
}

}  // namespace

bool buildResponse(SaoriRequest& record, ResponseOutput<char16_t>& out, AnswerRoom from) {
  settleStatus(record);
  const std::size_t length = responseLength(record);
  char16_t* room =
      from == AnswerRoom::kOverValues ? allocateOverValues(record, out, length) : nullptr;
  if (room == nullptr) room = out.allocate(length);
  if (room == nullptr) return false;
  writeResponse(record, room);
  return true;
}

bool buildResponse(SaoriRequest& record, Text& out, std::size_t tailRoom) {
  settleStatus(record);
  const std::size_t length = responseLength(record);
  out.reserve(out.size() + length + tailRoom);
  StringOutput<char16_t> appended(out);
  writeResponse(record, appended.allocate(length));
  return true;
}

}  // namespace orrery

#include "module/request_bridge.h"

#include <algorithm>
#include <limits>

#include "encoding/charset_bridge.h"
#include "protocol/request_parser.h"
#include "protocol/response_builder.h"

namespace orrery {
namespace {

// Parses and, when the header block was complete, executes; the record's status
// carries the outcome either way. The record keeps the text: its arguments view it.
void parseAndExecute(RequestBridge& bridge, Text text, SaoriRequest& record) {
  if (parse(std::move(text), record)) {
    bridge.execute(record);
  } else {
    record.status = SaoriRequest::kBadRequest;
  }
}

}  // namespace

// The record lives on the stack: a request costs no allocation of its own, and exhausted
// memory elsewhere still unwinds to the export's fallback.
//
// A request larger than any before it meets fresh pages in the host's allocator, as a
// first request does; its answer then takes over the block of its Values, whose pages
// are touched already. The answer of a list command repeats the request's items, each
// after a Value line name: for items of a few characters some three times the request,
// so the first large array is made that large, and the answer shrinks it in place
// rather than growing it by a copy. Smaller requests find the room that earlier answers
// gave back warm, and their answer takes a fresh block from it.
bool RequestBridge::requestw(Text in, ResponseOutput<char16_t>& out) {
  const bool largest = in.size() > largestRequest_;
  largestRequest_ = std::max(largestRequest_, in.size());
  constexpr std::size_t kMostUnits = std::numeric_limits<std::size_t>::max() / 6;
  scratch_.expectAnswer(largest && in.size() <= kMostUnits ? 3 * in.size() * sizeof(char16_t) : 0);
  SaoriRequest record(&scratch_);
  parseAndExecute(*this, std::move(in), record);
  scratch_.expectAnswer(0);
  return buildResponse(record, out, largest ? AnswerRoom::kOverValues : AnswerRoom::kFresh);
}

bool RequestBridge::request(Bytes in, ResponseOutput<char>& out) {
  scratch_.expectAnswer(0);  // answers in bytes are never written over scratch
  Text text;
  decodeRequest(in, text);
  ScratchMemory::Loan loan(scratch_, in);  // the raw bytes are not read once decoded
  SaoriRequest record(&scratch_);          // gone before the loan ends
  parseAndExecute(*this, std::move(text), record);
  loan.endUnused();  // unused bytes give their room to the answer
  return buildResponse8(record, out);
}

}  // namespace orrery

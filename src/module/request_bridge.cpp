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

// A request larger than any before it meets fresh pages in the host's allocator, as a
// first request does; its answer then takes over the block of its Values, whose pages
// are touched already. The answer of a list command repeats the request's items, each
// after a Value line name: for items of a few characters some three times the request,
// so the first large array is made that large, and the answer shrinks it in place
// rather than growing it by a copy. Smaller requests find the room that earlier answers
// gave back warm, and their answer takes a fresh block from it, unless `offered` raw
// bytes past what scratch memory keeps serve its arrays: grown in place, their touched
// pages serve the answer too (measured: about 0.6 of the floor's faults on later calls
// at 10^5 items and above, where a fresh block had 1.4).
AnswerRoom RequestBridge::answerRoomFor(std::size_t requestBytes, bool offered) {
  const bool largest = requestBytes > largestRequest_;
  largestRequest_ = std::max(largestRequest_, requestBytes);
  const bool over = largest || (offered && requestBytes > ScratchMemory::kIdleBound);
  constexpr std::size_t kMost = std::numeric_limits<std::size_t>::max() / 3;
  scratch_.expectAnswer(over && requestBytes <= kMost ? 3 * requestBytes : 0);
  return over ? AnswerRoom::kOverValues : AnswerRoom::kFresh;
}

// The record lives on the stack: a request costs no allocation of its own, and exhausted
// memory elsewhere still unwinds to the export's fallback.
bool RequestBridge::requestw(Text in, ResponseOutput<char16_t>& out) {
  const AnswerRoom room = answerRoomFor(in.size() * sizeof(char16_t));
  SaoriRequest record(&scratch_);
  parseAndExecute(*this, std::move(in), record);
  scratch_.expectAnswer(0);
  return buildResponse(record, out, room);
}

// Once decoded, the raw bytes are offered to the request's arrays. A UTF-8 answer is
// written straight into its room, which may be the Values' block, grown from those
// bytes. Other answers are converted from a UTF-16 response and take a fresh block.
bool RequestBridge::request(RequestBytes in, ResponseOutput<char>& out) {
  const BytesView bytes = viewOf(in);
  const RequestCharset charset = requestCharset(bytes);
  Text text;
  decodeRequest(bytes, charset, text);
  const AnswerRoom room =
      charset == RequestCharset::kUtf8 ? answerRoomFor(bytes.size(), true) : AnswerRoom::kFresh;
  scratch_.offer(std::move(in));
  SaoriRequest record(&scratch_);
  parseAndExecute(*this, std::move(text), record);
  scratch_.expectAnswer(0);
  scratch_.withdrawOffer();  // unused bytes give their room to the answer
  return buildResponse8(record, out, room);
}

}  // namespace orrery

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
// after a Value line name: for items of a few characters some three times the request
// in the same encoding. The first large array is made as large as `answerBytes`, that
// estimate, and the answer shrinks it in place rather than growing it by a copy.
// Smaller requests find the room that earlier answers gave back warm, and their answer
// takes a fresh block from it, unless `offered` raw bytes past what scratch memory keeps
// serve its arrays: grown in place, their touched pages serve the answer too (measured:
// about 0.6 of the floor's faults on later calls at 10^5 items and above, where a fresh
// block had 1.4).
AnswerRoom RequestBridge::answerRoomFor(std::size_t requestBytes, std::size_t answerBytes,
                                        bool offered) {
  const bool largest = requestBytes > largestRequest_;
  largestRequest_ = std::max(largestRequest_, requestBytes);
  const bool over = largest || (offered && requestBytes > ScratchMemory::kIdleBound);
  scratch_.expectAnswer(over ? answerBytes : 0);
  return over ? AnswerRoom::kOverValues : AnswerRoom::kFresh;
}

// `times` times `bytes`, or 0 when that does not fit: an estimate, so none is made.
constexpr std::size_t estimate(std::size_t bytes, std::size_t times) {
  return bytes <= std::numeric_limits<std::size_t>::max() / times ? bytes * times : 0;
}

// The record lives on the stack: a request costs no allocation of its own, and exhausted
// memory elsewhere still unwinds to the export's fallback.
bool RequestBridge::requestw(Text in, ResponseOutput<char16_t>& out) {
  const std::size_t bytes = in.size() * sizeof(char16_t);
  const AnswerRoom room = answerRoomFor(bytes, estimate(bytes, 3));
  SaoriRequest record(&scratch_);
  parseAndExecute(*this, std::move(in), record);
  scratch_.expectAnswer(0);
  return buildResponse(record, out, room);
}

// Once decoded, the raw bytes are offered to the request's arrays, which grow over them
// and become the room of the answer, written straight into it: a UTF-8 answer, or a
// Shift_JIS one, which takes room for two bytes per code unit of its UTF-16 form.
bool RequestBridge::request(RequestBytes in, ResponseOutput<char>& out) {
  const BytesView bytes = viewOf(in);
  const RequestCharset charset = requestCharset(bytes);
  Text text;
  decodeRequest(bytes, charset, text);
  const std::size_t times = charset == RequestCharset::kUtf8 ? 3 : 6;
  const AnswerRoom room = answerRoomFor(bytes.size(), estimate(bytes.size(), times), true);
  scratch_.offer(std::move(in));
  SaoriRequest record(&scratch_);
  parseAndExecute(*this, std::move(text), record);
  scratch_.expectAnswer(0);
  scratch_.withdrawOffer();  // unused bytes give their room to the answer
  return buildResponse8(record, out, room);
}

}  // namespace orrery

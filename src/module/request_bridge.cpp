#include "module/request_bridge.h"

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
bool RequestBridge::requestw(Text in, ResponseOutput<char16_t>& out) {
  SaoriRequest record(&scratch_);
  parseAndExecute(*this, std::move(in), record);
  return buildResponse(record, out);
}

bool RequestBridge::request(Bytes in, ResponseOutput<char>& out) {
  Text text;
  decodeRequest(in, text);
  ScratchMemory::Loan loan(scratch_, in);  // the raw bytes are not read once decoded
  SaoriRequest record(&scratch_);          // gone before the loan ends
  parseAndExecute(*this, std::move(text), record);
  loan.endUnused();  // unused bytes give their room to the answer
  return buildResponse8(record, out);
}

}  // namespace orrery

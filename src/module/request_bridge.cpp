#include "module/request_bridge.h"

#include <memory>
#include <new>

#include "encoding/charset_bridge.h"
#include "protocol/request_parser.h"
#include "protocol/response_builder.h"

namespace orrery {
namespace {

// Parses and, when the header block was complete, executes; the record's status
// carries the outcome either way.
void parseAndExecute(RequestBridge& bridge, Text text, SaoriRequest& record) {
  const bool parsed = parse(std::move(text), record);
  // Nothing reads the raw text after parsing, and the arguments hold copies of what the
  // commands need: a large request need not be held twice while it is answered.
  Text().swap(record.rawText);
  if (parsed) {
    bridge.execute(record);
  } else {
    record.status = SaoriRequest::kBadRequest;
  }
}

}  // namespace

bool RequestBridge::requestw(Text in, Text& out) {
  std::unique_ptr<SaoriRequest> record(new (std::nothrow) SaoriRequest);
  if (!record) return false;
  parseAndExecute(*this, std::move(in), *record);
  return buildResponse(*record, out);
}

bool RequestBridge::request(Bytes in, Bytes& out) {
  std::unique_ptr<SaoriRequest> record(new (std::nothrow) SaoriRequest);
  if (!record) return false;
  Text text;
  decodeRequest(in, text);
  Bytes().swap(in);  // the raw bytes are not needed once decoded
  parseAndExecute(*this, std::move(text), *record);
  return buildResponse8(*record, out);
}

}  // namespace orrery

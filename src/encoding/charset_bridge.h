#pragma once
// The 8-bit side of the protocol: choosing a request's charset from its raw bytes,
// decoding it to UTF-16, and encoding the response in Shift_JIS or UTF-8.
#include "protocol/saori_request.h"

namespace orrery {

// Fills `text` (empty when called) from the 8-bit request. The result flag is advisory:
// whatever text was produced is parsed.
bool decodeRequest(BytesView bytes, Text& text);

// Builds the complete 8-bit response for a finished record into `out` (empty when
// called): the UTF-16 response, a Charset line and the closing empty line, encoded in
// the response charset. Rewrites record.charset to that charset. Returns true.
bool buildResponse8(SaoriRequest& record, Bytes& out);

}  // namespace orrery

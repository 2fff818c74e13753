#pragma once
// The 8-bit side of the protocol: choosing a request's charset from its raw bytes,
// decoding it to UTF-16, and encoding the response in Shift_JIS or UTF-8.
#include "encoding/charset_name.h"
#include "protocol/response_output.h"
#include "protocol/saori_request.h"

namespace orrery {

// The one code page the module converts through the operating system.
inline constexpr unsigned kCodePage932 = 932;

// Fills `text` (empty when called) from the 8-bit request: the first "\r\nCharset: "
// header in the raw bytes picks UTF-8, EUC-JP or ISO-2022-JP when its value, up to its
// CR LF, names one of those in any spelling that charsetNamed knows; anything else is
// decoded as code page 932. The result flag is advisory: whatever text was produced is
// parsed.
bool decodeRequest(BytesView bytes, Text& text);
// The same in two steps, for a caller that wants the charset too: the charset that
// header picks (kShiftJis for code page 932), then the request decoded from it.
RequestCharset requestCharset(BytesView bytes);
bool decodeRequest(BytesView bytes, RequestCharset charset, Text& text);

// Fills `bytes` (empty when called) with `text` in the charset named "UTF-8" (the
// module's own encoder) or "Shift_JIS" (code page 932, also for any other name).
bool encodeResponse(TextView text, TextView charsetName, Bytes& bytes);

// The operating system's conversions. On success they replace the output and return
// true; an empty input, a failed conversion or a code page other than 932 return false
// and leave the output unchanged.
bool toWide(BytesView bytes, unsigned codePage, Text& text);
bool fromWide(TextView text, unsigned codePage, Bytes& bytes);

// Writes the complete 8-bit response for a finished record into room of exactly its
// length taken from `out`: the UTF-16 response, a Charset line and the closing empty
// line, encoded in the response charset. Rewrites record.charset to that charset
// ("UTF-8" for a value that charsetNamed reads as UTF-8, "Shift_JIS" for every other
// value). A failed encoding gives an empty response. False only when the room could
// not be had. `from` says where the answer takes its room.
bool buildResponse8(SaoriRequest& record, ResponseOutput<char>& out,
                    AnswerRoom from = AnswerRoom::kFresh);
// The same, appended to `out` (empty when called); always true.
bool buildResponse8(SaoriRequest& record, Bytes& out);

}  // namespace orrery

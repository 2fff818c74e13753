#include "encoding/charset_bridge.h"

#include "platform/platform.h"
#include "protocol/response_builder.h"

namespace orrery {

bool decodeRequest(BytesView bytes, Text& text) { return platform::cp932ToUtf16(bytes, text); }

bool buildResponse8(SaoriRequest& record, Bytes& out) {
  Text response;
  buildResponse(record, response);
  record.charset = u"Shift_JIS";
  response.append(u"Charset: ");
  response.append(record.charset);
  response.append(u"\r\n\r\n");
  platform::utf16ToCp932(response, out);
  return true;
}

}  // namespace orrery

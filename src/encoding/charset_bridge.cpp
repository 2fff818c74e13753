#include "encoding/charset_bridge.h"

#include "encoding/euc_jp.h"
#include "encoding/iso2022_jp.h"
#include "encoding/utf8.h"
#include "platform/platform.h"
#include "protocol/response_builder.h"

namespace orrery {
namespace {

// The header begins with CR LF, so it is found only after the request line; each value
// carries its CR LF, so a value with anything after it is not recognised.
constexpr BytesView kCharsetHeader = "\r\nCharset: ";
constexpr BytesView kUtf8Value = "UTF-8\r\n";
constexpr BytesView kEucJpValue = "EUC-JP\r\n";
constexpr BytesView kIso2022JpValue = "ISO-2022-JP\r\n";

constexpr TextView kUtf8Name = u"UTF-8";
constexpr TextView kShiftJisName = u"Shift_JIS";
constexpr std::size_t kCharsetTailRoom = 32;

using Converter = bool (*)(BytesView, Bytes&);

// Values may view the arguments' texts, so both go together.
void releaseAnswer(SaoriRequest& record) {
  record.values = ValueList();
  Text().swap(record.result);
  record.arguments.clear();
}

// Rewrites the request into Shift_JIS first, then decodes that.
bool decodeThroughShiftJis(Converter convert, BytesView bytes, Text& text) {
  Bytes shiftJis;
  convert(bytes, shiftJis);
  return toWide(shiftJis, kCodePage932, text);
}

}  // namespace

bool decodeRequest(BytesView bytes, Text& text) {
  const std::size_t header = bytes.find(kCharsetHeader);
  if (header != BytesView::npos) {
    const BytesView value = bytes.substr(header + kCharsetHeader.size());
    if (value.starts_with(kUtf8Value)) return decodeUtf8(bytes, text);
    if (value.starts_with(kEucJpValue)) return decodeThroughShiftJis(eucJpToShiftJis, bytes, text);
    if (value.starts_with(kIso2022JpValue)) {
      return decodeThroughShiftJis(iso2022JpToShiftJis, bytes, text);
    }
  }
  return toWide(bytes, kCodePage932, text);
}

bool encodeResponse(TextView text, TextView charsetName, Bytes& bytes) {
  if (charsetName == kUtf8Name) return encodeUtf8(text, bytes);
  return fromWide(text, kCodePage932, bytes);
}

bool toWide(BytesView bytes, unsigned codePage, Text& text) {
  return codePage == kCodePage932 && platform::cp932ToUtf16(bytes, text);
}

bool fromWide(TextView text, unsigned codePage, Bytes& bytes) {
  return codePage == kCodePage932 && platform::utf16ToCp932(text, bytes);
}

bool buildResponse8(SaoriRequest& record, Bytes& out) {
  Text response;
  // Room for the Charset line and the closing empty line, so that appending them never
  // moves a large response.
  buildResponse(record, response, kCharsetTailRoom);
  if (record.charset != kUtf8Name) record.charset = kShiftJisName;
  response.append(u"Charset: ");
  response.append(record.charset);
  response.append(u"\r\n\r\n");
  // The record's texts are in the response now; free them before it is encoded.
  releaseAnswer(record);
  encodeResponse(response, record.charset, out);
  return true;
}

}  // namespace orrery

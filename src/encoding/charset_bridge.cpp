#include "encoding/charset_bridge.h"

#include "encoding/charset_name.h"
#include "encoding/euc_jp.h"
#include "encoding/iso2022_jp.h"
#include "encoding/utf8.h"
#include "platform/platform.h"
#include "protocol/response_builder.h"

namespace orrery {
namespace {

// The header begins with CR LF, so it is found only after the request line.
constexpr BytesView kCharsetHeader = "\r\nCharset: ";

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
    switch (charsetOfValueLine(bytes.substr(header + kCharsetHeader.size()))) {
      case RequestCharset::kUtf8:
        return decodeUtf8(bytes, text);
      case RequestCharset::kEucJp:
        return decodeThroughShiftJis(eucJpToShiftJis, bytes, text);
      case RequestCharset::kIso2022Jp:
        return decodeThroughShiftJis(iso2022JpToShiftJis, bytes, text);
      case RequestCharset::kShiftJis:
        break;
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
  record.charset =
      charsetNamed(record.charset) == RequestCharset::kUtf8 ? kUtf8Name : kShiftJisName;
  response.append(u"Charset: ");
  response.append(record.charset);
  response.append(u"\r\n\r\n");
  // The record's texts are in the response now; free them before it is encoded.
  releaseAnswer(record);
  encodeResponse(response, record.charset, out);
  return true;
}

}  // namespace orrery

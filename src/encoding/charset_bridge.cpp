#include "encoding/charset_bridge.h"

#include <algorithm>
#include <cstring>

#include "encoding/charset_name.h"
#include "encoding/euc_jp.h"
#include "encoding/iso2022_jp.h"
#include "encoding/utf8.h"
#include "encoding/utf8_writer.h"
#include "platform/platform.h"
#include "protocol/response_builder.h"
#include "protocol/response_pieces.h"

namespace orrery {
namespace {

// The header begins with CR LF, so it is found only after the request line.
constexpr BytesView kCharsetHeader = "\r\nCharset: ";

constexpr TextView kUtf8Name = u"UTF-8";
constexpr TextView kShiftJisName = u"Shift_JIS";
// What follows the UTF-16 response in each response charset: its Charset line and the
// closing empty line.
constexpr TextView kUtf8Tail = u"Charset: UTF-8\r\n\r\n";
constexpr TextView kShiftJisTail = u"Charset: Shift_JIS\r\n\r\n";

using Converter = bool (*)(BytesView, Bytes&);

// Values and arguments view the request text, so all of them go together.
void releaseAnswer(SaoriRequest& record) {
  record.values = ValueList();
  Text().swap(record.result);
  record.arguments.clear();
  Text().swap(record.rawText);
}

// The command's texts in UTF-8, for the response writer.
struct Utf8Texts {
  using Unit = char;
  static std::size_t length(TextView text) { return utf8Length(text); }
  static char* write(TextView text, char* out) { return writeUtf8(text, out); }
};

// A UTF-8 answer is encoded straight into its room: no UTF-16 response and no second
// copy of the answer exist at any time.
bool writeUtf8Response(SaoriRequest& record, ResponseOutput<char>& out, AnswerRoom from) {
  const std::size_t length = response::length<Utf8Texts>(record, kUtf8Tail);
  char* p = response::allocateRoom<Utf8Texts>(record, out, length, kUtf8Tail, from);
  if (p == nullptr) return false;
  response::write<Utf8Texts>(record, p, kUtf8Tail);
  return true;
}

// The UTF-16 response that a Shift_JIS answer is converted from: in a string, or over
// the Values' block where the record's scratch memory can resize it.
class Utf16Room final : public ResponseOutput<char16_t> {
 public:
  explicit Utf16Room(ScratchMemory* scratch) : scratch_(scratch) {}

  char16_t* allocate(std::size_t units) override {
    return StringOutput<char16_t>(text_).allocate(units);
  }
  char16_t* allocateOver(ScratchMemory::Block& block, std::size_t units) override {
    if (scratch_ == nullptr || !scratch_->resize(block, units * sizeof(char16_t))) return nullptr;
    block_ = std::move(block);
    return reinterpret_cast<char16_t*>(block_.bytes.get());
  }
  void shrink(std::size_t) override {}  // always written whole

  // The block the response was written into, if it took one over.
  ScratchMemory::Block* block() { return block_.bytes != nullptr ? &block_ : nullptr; }

 private:
  ScratchMemory* scratch_;
  Text text_;
  ScratchMemory::Block block_;
};

// Converts the `length` units at `units` to code page 932 over themselves, a chunk at a
// time through a small buffer. A chunk's bytes never reach past its own units, so what
// is yet to be read is never overwritten. Returns the bytes written; 0 on failure.
std::size_t convertOverItself(char16_t* units, std::size_t length) {
  constexpr std::size_t kChunk = 4096;
  char buffer[2 * kChunk];
  auto* const out = reinterpret_cast<char*>(units);
  std::size_t written = 0;
  for (std::size_t i = 0; i < length;) {
    std::size_t n = std::min(kChunk, length - i);
    if (i + n < length && isHighSurrogate(units[i + n - 1])) --n;  // a pair stays whole
    const std::size_t bytes = platform::utf16ToCp932(TextView(units + i, n), buffer);
    if (bytes == 0) return 0;
    std::memcpy(out + written, buffer, bytes);
    written += bytes;
    i += n;
  }
  return written;
}

// Code page 932 belongs to the platform, which converts whole texts: the UTF-16
// response is built first, and the record is released before the conversion. Every code
// unit gives one or two bytes. A response over the Values' block is converted over
// itself, and the block, cut to the answer, becomes the answer; another is converted
// straight into room for twice its units, which is then cut to what was written.
bool writeShiftJisResponse(SaoriRequest& record, ResponseOutput<char>& out, AnswerRoom from) {
  const std::size_t length = response::length<response::Utf16Texts>(record, kShiftJisTail);
  Utf16Room utf16(record.scratch());
  char16_t* response =
      response::allocateRoom<response::Utf16Texts>(record, utf16, length, kShiftJisTail, from);
  if (response == nullptr) return false;
  response::write<response::Utf16Texts>(record, response, kShiftJisTail);
  releaseAnswer(record);
  // A failed conversion writes nothing: an empty response goes back.
  if (ScratchMemory::Block* block = utf16.block()) {
    const std::size_t bytes = convertOverItself(response, length);
    if (out.allocateOver(*block, bytes) != nullptr) return true;
    char* room = out.allocate(bytes);
    if (room != nullptr) std::memcpy(room, block->bytes.get(), bytes);
    return room != nullptr;
  }
  char* room = out.allocate(2 * length);
  if (room == nullptr) return false;
  out.shrink(platform::utf16ToCp932(TextView(response, length), room));
  return true;
}

// Rewrites the request into Shift_JIS first, then decodes that.
bool decodeThroughShiftJis(Converter convert, BytesView bytes, Text& text) {
  Bytes shiftJis;
  convert(bytes, shiftJis);
  return toWide(shiftJis, kCodePage932, text);
}

}  // namespace

RequestCharset requestCharset(BytesView bytes) {
  const std::size_t header = bytes.find(kCharsetHeader);
  if (header == BytesView::npos) return RequestCharset::kShiftJis;
  return charsetOfValueLine(bytes.substr(header + kCharsetHeader.size()));
}

bool decodeRequest(BytesView bytes, Text& text) {
  return decodeRequest(bytes, requestCharset(bytes), text);
}

bool decodeRequest(BytesView bytes, RequestCharset charset, Text& text) {
  switch (charset) {
    case RequestCharset::kUtf8:
      return decodeUtf8(bytes, text);
    case RequestCharset::kEucJp:
      return decodeThroughShiftJis(eucJpToShiftJis, bytes, text);
    case RequestCharset::kIso2022Jp:
      return decodeThroughShiftJis(iso2022JpToShiftJis, bytes, text);
    case RequestCharset::kShiftJis:
      break;
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

bool buildResponse8(SaoriRequest& record, ResponseOutput<char>& out, AnswerRoom from) {
  settleStatus(record);
  const bool utf8 = charsetNamed(record.charset) == RequestCharset::kUtf8;
  record.charset = utf8 ? kUtf8Name : kShiftJisName;
  return utf8 ? writeUtf8Response(record, out, from) : writeShiftJisResponse(record, out, from);
}

bool buildResponse8(SaoriRequest& record, Bytes& out) {
  StringOutput<char> appended(out);
  return buildResponse8(record, appended);
}

}  // namespace orrery

#include "encoding/charset_bridge.h"

#include <algorithm>
#include <limits>

#include "encoding/ascii_blocks.h"
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

// The command's texts in UTF-8, for the response writer.
struct Utf8Texts {
  using Unit = char;
  static constexpr bool kReadsTexts = true;
  static std::size_t length(TextView text) { return utf8Length(text); }
  static char* write(TextView text, char* out) { return writeUtf8(text, out); }
};

// The command's texts bounded in UTF-8, without reading them: three bytes a code unit
// at most (a surrogate pair takes four for its two units).
struct Utf8Bound {
  using Unit = char;
  static constexpr bool kReadsTexts = false;
  static std::size_t length(TextView text) { return 3 * text.size(); }
};

// A UTF-8 answer is encoded straight into its room: no UTF-16 response and no second
// copy of the answer exist at any time. Measuring the room reads every text once more,
// scattered over the request as sorted items are, so the answer of large Values takes
// room for the most it could be and is cut to what was written. Smaller Values are
// measured: that reading is cheap, and a room of the answer's own size stays on pages
// the answer touches, where a bound would leave Values moved to its end (see moveInto)
// on pages of their own, or take a fresh room from fresh pages on every request.
bool writeUtf8Response(SaoriRequest& record, ResponseOutput<char>& out, AnswerRoom from) {
  const bool bounded = record.values.movesAside();
  if (bounded && response::length<response::Utf16Texts>(record, kUtf8Tail) >
                     std::numeric_limits<std::size_t>::max() / 3) {
    return false;
  }
  const std::size_t room = bounded ? response::length<Utf8Bound>(record, kUtf8Tail)
                                   : response::length<Utf8Texts>(record, kUtf8Tail);
  char* p = response::allocateRoom(record, out, room, kUtf8Tail, from, bounded);
  if (p == nullptr) return false;
  out.shrink(static_cast<std::size_t>(response::write<Utf8Texts>(record, p, kUtf8Tail) - p));
  return true;
}

// The UTF-16 response a chunk at a time, each chunk converted to code page 932 as it
// fills and appended to the answer, so the UTF-16 response never exists whole. The code
// page is stateless, so chunks convert as the whole would; a surrogate pair stays whole.
class Cp932Chunks {
 public:
  explicit Cp932Chunks(char* out) : out_(out) {}

  void put(TextView piece) {
    while (kUnits - used_ < piece.size()) {
      std::size_t n = kUnits - used_;
      if (n > 0 && isHighSurrogate(piece[n - 1])) --n;
      std::copy_n(piece.data(), n, units_ + used_);
      used_ += n;
      piece.remove_prefix(n);
      flush();
    }
    putUnits(units_ + used_, piece);  // the piece may be empty
    used_ += piece.size();
  }

  // Converts what has gathered; false once a conversion has failed.
  bool flush() {
    if (used_ > 0 && !failed_) {
      // Never past the answer's room: the units so far take at most what the room
      // bounded them by.
      const std::size_t bytes = platform::utf16ToCp932(TextView(units_, used_), out_ + written_);
      written_ += bytes;
      failed_ = bytes == 0;
    }
    used_ = 0;
    return !failed_;
  }

  std::size_t written() const { return written_; }

 private:
  static constexpr std::size_t kUnits = 2048;
  char* out_;
  std::size_t written_ = 0;
  std::size_t used_ = 0;
  bool failed_ = false;
  char16_t units_[kUnits];
};

// What the response writer puts its pieces to: a handle, cheap to copy.
struct Cp932Sink {
  using Unit = char16_t;
  Cp932Chunks* chunks;
  void ascii(TextView piece) { chunks->put(piece); }
  void text(TextView piece) { chunks->put(piece); }
  void name(const response::LineName<char16_t>& name) {
    chunks->put(TextView(name.data(), name.size()));
  }
};

// The command's texts bounded in code page 932 by reading them: a byte for each ASCII
// unit, which is exact, and at most two for any other.
struct Cp932Bound {
  using Unit = char;
  static constexpr bool kReadsTexts = true;
  static std::size_t length(TextView text) {
    return text.size() + nonAsciiUnits(text.data(), text.size());
  }
};

// Code page 932 belongs to the platform. Every code unit gives one or two bytes, so the
// answer takes room for two each and is cut to what was written. Over the Values' block
// that is safe too: a line's bytes, at most two per code unit, stay behind the Values
// still to be read, as a UTF-16 response would. Large Values move aside instead, so
// that the end of the room, which mostly stays unwritten, is not touched for them.
// Smaller Values take a room bounded more tightly by reading their texts, exactly for
// ASCII, for the reasons a UTF-8 answer measures them.
bool writeShiftJisResponse(SaoriRequest& record, ResponseOutput<char>& out, AnswerRoom from) {
  const std::size_t units = response::length<response::Utf16Texts>(record, kShiftJisTail);
  if (units > std::numeric_limits<std::size_t>::max() / 2) return false;
  const std::size_t most =
      record.values.movesAside() ? 2 * units : response::length<Cp932Bound>(record, kShiftJisTail);
  char* room = response::allocateRoom(record, out, most, kShiftJisTail, from, true);
  if (room == nullptr) return false;
  Cp932Chunks chunks(room);
  Cp932Sink sink{&chunks};
  response::emit(record, kShiftJisTail, sink);
  // A failed conversion writes nothing: an empty response goes back.
  out.shrink(chunks.flush() ? chunks.written() : 0);
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
  StringOutput<Bytes> appended(out);
  return buildResponse8(record, appended);
}

}  // namespace orrery

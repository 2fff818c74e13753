// Code page 932 both ways, through the platform's conversion.
#include "fuzz_support.h"
#include "platform/platform.h"

namespace {

using orrery::Bytes;
using orrery::BytesView;
using orrery::Text;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const BytesView bytes(reinterpret_cast<const char*>(data), size);

  // Decoding succeeds for every non-empty input (undecodable bytes become replacement
  // characters), never yields more units than bytes, and fails without touching the
  // output only for an empty one.
  Text decoded = u"untouched";
  const bool ok = orrery::platform::cp932ToUtf16(bytes, decoded);
  if (bytes.empty()) {
    FUZZ_CHECK(!ok && decoded == u"untouched");
    return 0;
  }
  FUZZ_CHECK(ok);
  FUZZ_CHECK(!decoded.empty() && decoded.size() <= bytes.size());

  // Text that came out of the code page goes back into it and decodes the same, unless
  // it holds a replacement character (which has no Shift_JIS form).
  Bytes encoded;
  FUZZ_CHECK(orrery::platform::utf16ToCp932(decoded, encoded));
  if (decoded.find(u'\xFFFD') == Text::npos) {
    Text again;
    FUZZ_CHECK(orrery::platform::cp932ToUtf16(encoded, again));
    FUZZ_CHECK(again == decoded);
  }

  // Encoding arbitrary UTF-16 succeeds and yields one or two bytes per code unit.
  const Text text = orrery::fuzz::unitsOf(data, size);
  if (!text.empty()) {
    Bytes out;
    FUZZ_CHECK(orrery::platform::utf16ToCp932(text, out));
    FUZZ_CHECK(out.size() >= text.size() && out.size() <= text.size() * 2);
  }
  return 0;
}

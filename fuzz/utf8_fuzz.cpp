// The UTF-8 codec on its own: decoding arbitrary bytes, encoding arbitrary UTF-16, and
// the round trips that must hold.
#include "encoding/utf8.h"
#include "fuzz_support.h"

namespace {

using orrery::Bytes;
using orrery::BytesView;
using orrery::Text;

// What decode(encode(text)) gives back: everything, except that a leading U+FEFF is
// written as EF BB BF and then read as a byte-order mark.
Text expectedRoundTrip(const Text& text) {
  if (!text.empty() && text[0] == u'\xFEFF') return text.substr(1);
  return text;
}

void checkRoundTrip(const Text& text) {
  Bytes encoded;
  FUZZ_CHECK(orrery::encodeUtf8(text, encoded));
  FUZZ_CHECK(encoded.size() <= text.size() * 3);
  Text decoded;
  FUZZ_CHECK(orrery::decodeUtf8(encoded, decoded));
  FUZZ_CHECK(decoded == expectedRoundTrip(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const BytesView bytes(reinterpret_cast<const char*>(data), size);

  // Decoding never yields more units than bytes, and what it yields re-encodes to text
  // that decodes to the same units.
  Text decoded;
  orrery::decodeUtf8(bytes, decoded);
  FUZZ_CHECK(decoded.size() <= bytes.size());
  checkRoundTrip(decoded);

  // Any UTF-16, lone surrogates included, survives the round trip.
  checkRoundTrip(orrery::fuzz::unitsOf(data, size));
  return 0;
}

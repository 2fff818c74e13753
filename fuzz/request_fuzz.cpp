// The 8-bit entry with arbitrary bytes: the Charset header in the input picks the route
// (code page 932, UTF-8, EUC-JP, ISO-2022-JP), so every decoder is reached.
#include "module_calls.h"

namespace {

bool endsWith(orrery::BytesView text, orrery::BytesView suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  orrery::fuzz::ensureLoaded();
  const orrery::BytesView request(reinterpret_cast<const char*>(data), size);
  const orrery::Bytes response = orrery::fuzz::callRequest(request);
  orrery::fuzz::checkStatusLine<char>(response);
  FUZZ_CHECK(endsWith(response, "\r\nCharset: Shift_JIS\r\n\r\n") ||
             endsWith(response, "\r\nCharset: UTF-8\r\n\r\n"));
  return 0;
}

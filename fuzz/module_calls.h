#pragma once
// Calls the module's exported functions in-process, the way a host does: a fresh block
// in, the response block copied out and released. The export file is linked into each
// fuzz program, so a fuzz run exercises the very boundary code the library ships.
#include <cstring>

#include "fuzz_support.h"
#include "orrery.h"
#include "platform/platform.h"

namespace orrery::fuzz {

inline void ensureLoaded() {
  static const bool loaded = [] {
    void* path = platform::allocateBlock(2);
    std::memcpy(path, "./", 2);
    return load(static_cast<orrery_block>(path), 2) == 1;
  }();
  FUZZ_CHECK(loaded);
}

template <typename Unit, typename Export>
StringOf<Unit> callExport(Export entry, std::basic_string_view<Unit> in) {
  void* block = platform::allocateBlock(in.size() * sizeof(Unit));
  FUZZ_CHECK(block != nullptr);
  if (!in.empty()) std::memcpy(block, in.data(), in.size() * sizeof(Unit));
  long length = static_cast<long>(in.size());
  void* response = entry(static_cast<orrery_block>(block), &length);
  FUZZ_CHECK(response != nullptr && length >= 0);
  StringOf<Unit> out(static_cast<std::size_t>(length), Unit{});
  if (length > 0) std::memcpy(out.data(), response, out.size() * sizeof(Unit));
  platform::freeBlock(response);
  return out;
}

inline Bytes callRequest(BytesView in) { return callExport<char>(&request, in); }
inline Text callRequestw(TextView in) { return callExport<char16_t>(&requestw, in); }

// The status line of a response that is not the fallback: 200, 204 or 400.
template <typename Unit>
void checkStatusLine(std::basic_string_view<Unit> response) {
  auto startsWith = [&](const char* ascii) {
    const std::size_t n = std::strlen(ascii);
    if (response.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
      if (response[i] != static_cast<Unit>(ascii[i])) return false;
    }
    return true;
  };
  FUZZ_CHECK(startsWith("SAORI/1.0 200 OK\r\nResult: ") ||
             startsWith("SAORI/1.0 204 No Content\r\n") ||
             startsWith("SAORI/1.0 400 Bad Request\r\n"));
}

}  // namespace orrery::fuzz

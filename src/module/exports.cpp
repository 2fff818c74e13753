// The four entry points. Each copies the host's block, frees it, calls the module
// object and hands back a fresh block; nothing ever unwinds into the host.
#include <bit>
#include <cstring>

#include "module/module_instance.h"
#include "orrery.h"
#include "platform/platform.h"

namespace {

using orrery::Bytes;
using orrery::BytesView;
using orrery::Text;
using orrery::TextView;

constexpr BytesView kNarrowFallback =
    "SAORI/1.0 500 Internal Server Error\r\nSender: Pennant\r\nCharset: Shift_JIS\r\n\r\n";
constexpr TextView kWideFallback =
    u"SAORI/1.0 500 Internal Server Error\r\nSender: Pennant\r\n\r\n";

// A negative length or a null block is an empty request.
std::size_t requestLength(orrery_block h, const long* len) {
  if (h == nullptr || len == nullptr || *len <= 0) return 0;
  return static_cast<std::size_t>(*len);
}

template <typename Unit>
std::basic_string<Unit> copyBlock(orrery_block h, std::size_t units) {
  std::basic_string<Unit> in(units, Unit{});
  if (units > 0) std::memcpy(in.data(), static_cast<const void*>(h), units * sizeof(Unit));
  if constexpr (sizeof(Unit) == 2 && std::endian::native == std::endian::big) {
    for (Unit& u : in) u = static_cast<Unit>((u >> 8) | (u << 8));  // blocks are little-endian
  }
  return in;
}

template <typename Unit>
orrery_block allocateResponse(std::basic_string_view<Unit> text, long* len) {
  void* block = orrery::platform::allocateBlock(text.size() * sizeof(Unit));
  if (block == nullptr) return nullptr;
  if (!text.empty()) std::memcpy(block, text.data(), text.size() * sizeof(Unit));
  if constexpr (sizeof(Unit) == 2 && std::endian::native == std::endian::big) {
    auto* p = static_cast<unsigned char*>(block);
    for (std::size_t i = 0; i < text.size() * 2; i += 2) std::swap(p[i], p[i + 1]);
  }
  if (len != nullptr) *len = static_cast<long>(text.size());
  return static_cast<orrery_block>(block);
}

// The common shape of request and requestw. `call` runs the module object and returns
// false when it could not answer; the fallback is then sent instead.
template <typename Unit, typename Call>
orrery_block answer(orrery_block h, long* len, std::basic_string_view<Unit> fallback, Call call) {
  std::basic_string<Unit> response;
  bool answered = false;
  try {
    std::basic_string<Unit> in = copyBlock<Unit>(h, requestLength(h, len));
    orrery::platform::freeBlock(h);
    h = nullptr;
    answered = call(std::move(in), response);
  } catch (...) {
    answered = false;
  }
  orrery::platform::freeBlock(h);  // still ours only when copying it failed

  if (answered) {
    if (orrery_block block = allocateResponse<Unit>(response, len)) return block;
  }
  std::basic_string<Unit>().swap(response);  // give the memory back before the fallback
  if (orrery_block block = allocateResponse<Unit>(fallback, len)) return block;
  if (len != nullptr) *len = 0;
  return nullptr;
}

}  // namespace

extern "C" {

ORRERY_API orrery_bool ORRERY_CALL load(orrery_block h, long len) {
  bool loaded = false;
  try {
    Bytes path = copyBlock<char>(h, requestLength(h, &len));
    orrery::platform::freeBlock(h);
    h = nullptr;
    if (orrery::ensureModule()) {
      orrery::currentModule()->load(path);
      loaded = true;
    }
  } catch (...) {
    loaded = false;
  }
  orrery::platform::freeBlock(h);
  return loaded ? 1 : 0;
}

ORRERY_API orrery_bool ORRERY_CALL unload(void) {
  try {
    if (orrery::IModule* module = orrery::currentModule()) module->unload();
  } catch (...) {
  }
  orrery::destroyModule();
  return 1;
}

ORRERY_API orrery_block ORRERY_CALL request(orrery_block h, long* len) {
  return answer<char>(h, len, kNarrowFallback, [](Bytes in, Bytes& out) {
    orrery::IModule* module = orrery::currentModule();
    return module != nullptr && module->request(std::move(in), out);
  });
}

ORRERY_API orrery_block ORRERY_CALL requestw(orrery_block h, long* len) {
  return answer<char16_t>(h, len, kWideFallback, [](Text in, Text& out) {
    orrery::IModule* module = orrery::currentModule();
    return module != nullptr && module->requestw(std::move(in), out);
  });
}

}  // extern "C"

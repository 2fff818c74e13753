// The four entry points. Each copies the host's block, frees it, calls the module
// object and hands back a fresh block; nothing ever unwinds into the host.
#include <algorithm>
#include <bit>
#include <utility>

#include "module/module_instance.h"
#include "orrery.h"
#include "platform/platform.h"

namespace {

using orrery::Bytes;
using orrery::BytesView;
using orrery::StringOf;
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

// Copied in one pass, with no zero-fill before it.
template <typename Unit>
StringOf<Unit> copyBlock(orrery_block h, std::size_t units) {
  if (units == 0) return {};
  StringOf<Unit> in(static_cast<const Unit*>(static_cast<const void*>(h)), units);
  if constexpr (sizeof(Unit) == 2 && std::endian::native == std::endian::big) {
    for (Unit& u : in) u = static_cast<Unit>((u >> 8) | (u << 8));  // blocks are little-endian
  }
  return in;
}

// The response block: the module object writes the response straight into it. It is
// freed here unless handed to the host, so an answer abandoned half-way leaks nothing.
template <typename Unit>
class ResponseBlock final : public orrery::ResponseOutput<Unit> {
 public:
  ResponseBlock() = default;
  ResponseBlock(const ResponseBlock&) = delete;
  ResponseBlock& operator=(const ResponseBlock&) = delete;
  ~ResponseBlock() { orrery::platform::freeBlock(block_); }

  Unit* allocate(std::size_t units) override {
    orrery::platform::freeBlock(block_);
    units_ = units;
    block_ = static_cast<Unit*>(orrery::platform::allocateBlock(units * sizeof(Unit)));
    return block_;
  }

  // Scratch blocks come from the host's allocator too (see RequestBridge), so the one
  // holding the Values can become the answer: its pages are touched already.
  Unit* allocateOver(orrery::ScratchMemory::Block& block, std::size_t units) override {
    if (!orrery::ScratchMemory::resize(block, units * sizeof(Unit), orrery::kHostBlocks)) {
      return nullptr;
    }
    orrery::platform::freeBlock(block_);
    units_ = units;
    block_ = reinterpret_cast<Unit*>(std::exchange(block, {}).bytes.release());
    return block_;
  }

  // A block that cannot shrink in place stays as large as it was.
  void shrink(std::size_t units) override {
    if (block_ == nullptr || units >= units_) return;
    if (void* shrunk = orrery::platform::resizeBlock(block_, units * sizeof(Unit))) {
      block_ = static_cast<Unit*>(shrunk);
    }
    units_ = units;
  }

  // Hands the block to the host with its length; null when none was allocated.
  orrery_block release(long* len) {
    if (block_ == nullptr) return nullptr;
    if constexpr (sizeof(Unit) == 2 && std::endian::native == std::endian::big) {
      for (std::size_t i = 0; i < units_; ++i) {
        block_[i] = static_cast<Unit>((block_[i] >> 8) | (block_[i] << 8));  // little-endian
      }
    }
    if (len != nullptr) *len = static_cast<long>(units_);
    return static_cast<orrery_block>(static_cast<void*>(std::exchange(block_, nullptr)));
  }

 private:
  Unit* block_ = nullptr;
  std::size_t units_ = 0;
};

template <typename Unit>
orrery_block allocateResponse(std::basic_string_view<Unit> text, long* len) {
  ResponseBlock<Unit> block;
  Unit* room = block.allocate(text.size());
  if (room == nullptr) return nullptr;
  std::copy(text.begin(), text.end(), room);
  return block.release(len);
}

// What a request is copied into: a UTF-16 text, or for 8-bit requests a block of the
// same allocator as the host's (see RequestBytes).
template <typename Unit>
auto copyRequest(orrery_block h, std::size_t units) {
  if constexpr (sizeof(Unit) == 1) {
    return orrery::requestBytes(
        BytesView(static_cast<const char*>(static_cast<const void*>(h)), units));
  } else {
    return copyBlock<Unit>(h, units);
  }
}

// The common shape of request and requestw. `call` runs the module object and returns
// false when it could not answer; the fallback is then sent instead.
template <typename Unit, typename Call>
orrery_block answer(orrery_block h, long* len, std::basic_string_view<Unit> fallback, Call call) {
  try {
    ResponseBlock<Unit> response;
    auto in = copyRequest<Unit>(h, requestLength(h, len));
    orrery::platform::freeBlock(h);
    h = nullptr;
    if (call(std::move(in), response)) {
      if (orrery_block block = response.release(len)) return block;
    }
  } catch (...) {
  }
  orrery::platform::freeBlock(h);  // still ours only when copying it failed
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
    if (orrery::restartModule()) {
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
  return answer<char>(h, len, kNarrowFallback,
                      [](orrery::RequestBytes in, orrery::ResponseOutput<char>& out) {
                        orrery::IModule* module = orrery::readyModule();
                        return module != nullptr && module->request(std::move(in), out);
                      });
}

ORRERY_API orrery_block ORRERY_CALL requestw(orrery_block h, long* len) {
  return answer<char16_t>(h, len, kWideFallback,
                          [](Text in, orrery::ResponseOutput<char16_t>& out) {
                            orrery::IModule* module = orrery::readyModule();
                            return module != nullptr && module->requestw(std::move(in), out);
                          });
}

}  // extern "C"

#pragma once
// The module's only contact with the operating system, one small function per concern.
// src/platform/win32 and src/platform/posix each implement all of it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "protocol/text.h"

namespace orrery::platform {

// Host memory blocks: GlobalAlloc(GMEM_FIXED) / GlobalFree on Windows, malloc / free
// elsewhere. allocateBlock returns null when memory is exhausted; a zero-byte request
// still returns a valid block. freeBlock accepts null.
void* allocateBlock(std::size_t bytes) noexcept;
void freeBlock(void* block) noexcept;
// Gives a block from allocateBlock room for `bytes`, keeping its contents (realloc /
// GlobalReAlloc, which may move it). Returns where it now lies, or null when memory is
// exhausted, and the block is then unchanged.
void* resizeBlock(void* block, std::size_t bytes) noexcept;

// Code page 932 (Shift_JIS as Windows defines it). Bytes that do not decode become
// replacement characters and decoding goes on; characters that cannot be encoded become
// the code page's default character.
// cp932ToUtf16 replaces `out` on success and returns true; on failure (an empty input
// included) it returns false and leaves `out` unchanged.
bool cp932ToUtf16(std::string_view bytes, Text& out);
// Writes `text` to `out`, so that an answer is converted straight into its block. `out`
// has room for a byte for each ASCII code unit, which gives itself, and two for any
// other, which gives one or two; nothing past the bytes the text gives is written.
// Returns the bytes written; 0 on failure, an empty input included.
std::size_t utf16ToCp932(std::u16string_view text, char* out) noexcept;
// The same into a string: replaces `out` and returns true on success; false, with `out`
// unchanged, on failure.
inline bool utf16ToCp932(std::u16string_view text, std::string& out) {
  std::string bytes(2 * text.size(), '\0');
  const std::size_t written = utf16ToCp932(text, bytes.data());
  if (written == 0) return false;
  bytes.resize(written);
  out = std::move(bytes);
  return true;
}
// Releases what the conversions keep between calls; called at process detach, so that
// a host that loads and unloads the module repeatedly loses nothing.
void releaseCodePage() noexcept;

// Milliseconds since the system started, wrapping at 2^32.
std::uint32_t tickCount() noexcept;

// The module's private locale for the user's default settings, created at process
// attach and released at detach; the host's global locale is never touched.
void createPrivateLocale() noexcept;
void destroyPrivateLocale() noexcept;
// The decimal point of the private locale ('.' when it could not be created).
char16_t decimalPoint() noexcept;

}  // namespace orrery::platform

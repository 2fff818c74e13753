#include <windows.h>

#include <climits>

#include "platform/platform.h"

namespace orrery::platform {
namespace {

constexpr UINT kCodePage = 932;

}  // namespace

// Flags 0 and no default-character arguments: the code page's own replacement and
// default characters stand for what does not map.
bool cp932ToUtf16(std::string_view bytes, std::u16string& out) {
  if (bytes.empty() || bytes.size() > INT_MAX) return false;
  const int inLength = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(kCodePage, 0, bytes.data(), inLength, nullptr, 0);
  if (needed <= 0) return false;
  std::u16string text(static_cast<std::size_t>(needed), u'\0');
  const int written = MultiByteToWideChar(kCodePage, 0, bytes.data(), inLength,
                                          reinterpret_cast<wchar_t*>(text.data()), needed);
  if (written <= 0) return false;
  text.resize(static_cast<std::size_t>(written));
  out = std::move(text);
  return true;
}

std::size_t utf16ToCp932(std::u16string_view text, char* out) noexcept {
  if (text.empty() || text.size() > INT_MAX / 2) return 0;
  const auto* in = reinterpret_cast<const wchar_t*>(text.data());
  const int inLength = static_cast<int>(text.size());
  const int written =
      WideCharToMultiByte(kCodePage, 0, in, inLength, out, 2 * inLength, nullptr, nullptr);
  return written > 0 ? static_cast<std::size_t>(written) : 0;
}

// The Win32 conversions keep nothing between calls.
void releaseCodePage() noexcept {}

}  // namespace orrery::platform

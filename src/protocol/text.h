#pragma once
// Text inside the module is UTF-16, one code unit per char16_t, on every platform
// (wchar_t is 32 bits wide outside Windows, so it is not used in the core).
#include <string>
#include <string_view>
#include <type_traits>

#include "protocol/text_allocator.h"

namespace orrery {

using Text = std::basic_string<char16_t, std::char_traits<char16_t>, TextAllocator<char16_t>>;
using TextView = std::u16string_view;
using Bytes = std::string;
using BytesView = std::string_view;

// The module's string of a code unit: Bytes of char, Text of char16_t.
template <typename Unit>
using StringOf = std::conditional_t<sizeof(Unit) == 1, Bytes, Text>;

inline constexpr char16_t kListSeparator = u'\x0002';
inline constexpr char16_t kPairSeparator = u'\x0001';
inline constexpr TextView kPairSeparatorText{&kPairSeparator, 1};

}  // namespace orrery

#include "commands/sort/text_prefix.h"

namespace orrery {

std::uint32_t firstPartLength(TextView list, std::size_t offset) {
  std::size_t end = offset;
  while (end < list.size() && list[end] != kPairSeparator && list[end] != kListSeparator) ++end;
  return static_cast<std::uint32_t>(end - offset);
}

int compareAfterPrefix(TextView a, std::uint32_t lengthA, TextView b, std::uint32_t lengthB) {
  if (lengthA == TextPrefix::kLongText) lengthA = firstPartLength(a, 0);
  if (lengthB == TextPrefix::kLongText) lengthB = firstPartLength(b, 0);
  return a.substr(TextPrefix::kUnits, lengthA - TextPrefix::kUnits)
      .compare(b.substr(TextPrefix::kUnits, lengthB - TextPrefix::kUnits));
}

}  // namespace orrery

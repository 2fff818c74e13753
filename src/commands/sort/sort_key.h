#pragma once
// Which keys sort reads, chosen by its option letters. The key kind decides which
// items are refused, so orrery-call explains a refusal by this same choice.
#include "commands/framework/command_table.h"
#include "commands/framework/options.h"

namespace orrery {

enum class KeyKind { kString, kFloat, kLength, kInteger };

// The key kind that the letters in `options` choose: S before F before L, integer keys
// when none is there.
inline KeyKind sortKeyKind(TextView options) {
  if (hasOption(options, optionLetter(u"sort", u'S'))) return KeyKind::kString;
  if (hasOption(options, optionLetter(u"sort", u'F'))) return KeyKind::kFloat;
  if (hasOption(options, optionLetter(u"sort", u'L'))) return KeyKind::kLength;
  return KeyKind::kInteger;
}

}  // namespace orrery

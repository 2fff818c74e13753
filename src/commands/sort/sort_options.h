#pragma once
// How sort reads its option letters. The key kind decides which items are refused, so
// orrery-call explains a refusal by this same reading.
#include "commands/framework/command_table.h"
#include "commands/framework/options.h"
#include "commands/sort/item_writer.h"

namespace orrery {

enum class KeyKind { kString, kFloat, kLength, kInteger };

struct SortOptions {
  KeyKind key = KeyKind::kInteger;
  ValueKind value = ValueKind::kFirstPart;
  bool joined = false;
  bool reversed = false;
};

// The letters in `text`; where two letters choose the same thing the first in S F L
// (keys) or P V A (values) wins.
inline SortOptions readSortOptions(TextView text) {
  SortOptions o;
  if (hasOption(text, optionLetter(u"sort", u'S'))) {
    o.key = KeyKind::kString;
  } else if (hasOption(text, optionLetter(u"sort", u'F'))) {
    o.key = KeyKind::kFloat;
  } else if (hasOption(text, optionLetter(u"sort", u'L'))) {
    o.key = KeyKind::kLength;
  }
  // Whole items win over second parts here; the set commands rank them the other way.
  if (hasOption(text, optionLetter(u"sort", u'P'))) {
    o.value = ValueKind::kPair;
  } else if (hasOption(text, optionLetter(u"sort", u'V'))) {
    o.value = ValueKind::kSecondPart;
  } else if (hasOption(text, optionLetter(u"sort", u'A'))) {
    o.value = ValueKind::kIndex;
  }
  o.joined = hasOption(text, optionLetter(u"sort", u's'));
  o.reversed = hasOption(text, optionLetter(u"sort", u'R'));
  return o;
}

}  // namespace orrery

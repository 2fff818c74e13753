#pragma once
#include "protocol/text.h"

namespace orrery {

// Option letters are single case-sensitive letters that count wherever they stand.
inline bool hasOption(TextView options, char16_t letter) {
  return options.find(letter) != TextView::npos;
}

}  // namespace orrery

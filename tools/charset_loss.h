#pragma once
// Characters that an 8-bit request charset cannot carry. orrery-call converts the
// request itself, so it can tell the user what the module will receive changed.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orrery::host {

struct LostCharacter {
  std::size_t argument = 0;  // the Argument number
  std::size_t item = 0;      // 0-based item of that argument (the line, for --lines)
  std::string character;     // UTF-8
};

struct CharsetLoss {
  std::size_t count = 0;             // every character changed, repeats included
  std::vector<LostCharacter> first;  // the first few, in request order
};

// Checks the argument texts (UTF-8, Argument0 first) against `charset` (any spelling the
// module reads; code page 932 when empty), keeping the first `kept` losses.
CharsetLoss findCharsetLoss(const std::vector<std::string_view>& arguments,
                            const std::string& charset, std::size_t kept = 3);

// The warning for a loss in `charset` (empty when nothing is lost).
std::string charsetLossWarning(const CharsetLoss& loss, const std::string& charset);

}  // namespace orrery::host

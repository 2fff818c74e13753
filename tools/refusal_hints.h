#pragma once
// Why a request that orrery-call built was refused: the module answers a bare 400, but
// the tool knows the request and can name the cause when it is certain.
#include <string>
#include <vector>

namespace orrery::host {

// The nine commands, in the order the reference lists them.
const std::vector<std::string>& commandNames();

// Whether a 400 for the command line `words` (UTF-8, before reading any file) can come
// from the contents of its arguments, so that the tool must keep them to explain it.
bool refusalDependsOnContent(const std::vector<std::string>& words);

// One line of explanation for a 400 answer to Argument0..N = `words`, or empty when the
// cause is not certain. `decimalPoint` is the one the module reads floats with.
std::string refusalHint(const std::vector<std::u16string>& words, char16_t decimalPoint);

}  // namespace orrery::host

#pragma once
// Why a request that orrery-call built was refused: the module answers a bare 400, but
// the tool knows the request and can name the cause when it is certain.
#include <functional>
#include <string>
#include <vector>

namespace orrery::host {

// Whether a 400 for the command line `words` (UTF-8, before reading any file) can come
// from the contents of its arguments, so that the tool must keep them to explain it.
bool refusalDependsOnContent(const std::vector<std::string>& words);

// The decimal point the module reads floats with, and where the user can change it.
struct NumericLocale {
  char16_t decimalPoint = u'.';
  std::string source;  // "LC_ALL=de_DE.UTF-8", "the user's regional settings", ...
};

// Which setting gives the numeric locale, with `environment` as getenv: the variable in
// effect and its value (POSIX), or the regional settings (Windows).
std::string numericLocaleSource(const std::function<const char*(const char*)>& environment);

// One line of explanation for a 400 answer to Argument0..N = `words`, or empty when the
// cause is not certain.
std::string refusalHint(const std::vector<std::u16string>& words, const NumericLocale& locale);

}  // namespace orrery::host

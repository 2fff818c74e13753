#pragma once
// What orrery-call can tell about a request it sends unchanged (--raw). The module
// answers a malformed request with a bare 400 and reads a byte it cannot decode as a
// replacement character, without a word; the tool names the cause.
#include <string>
#include <string_view>

namespace orrery::host {

// For an 8-bit request: the first byte the module cannot read in the request's charset
// (UTF-8 that stops its decoder, or Shift_JIS that it replaces), by offset and value, and
// what the module does with it. Empty when every byte reads.
std::string undecodableByteNote(std::string_view request);

// For a request refused with 400: a hint when its lines end in LF alone. `request` is
// the 8-bit text or, with `wide`, the UTF-16LE bytes. Empty when the line ends are CR LF.
std::string lineEndHint(std::string_view request, bool wide);

}  // namespace orrery::host

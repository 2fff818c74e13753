#pragma once
#include <cstdint>
#include <optional>

#include "protocol/saori_request.h"

namespace orrery {

// Fills `record` from a UTF-16 request text. Returns true when the header block was
// closed by an empty line, false when the text ended first; a failed parse may leave
// some fields filled. The text becomes the record's rawText (taken by value so that
// callers can move it in rather than hold the request twice).
bool parse(Text text, SaoriRequest& record);

// Reads the number after the "Argument" prefix of a header name the way
// swscanf("Argument%u") does: white space, an optional sign, decimal digits, and
// anything after them ignored. Empty when no digit follows. A value past 32 bits
// saturates at 4294967295; a minus sign negates modulo 2^32.
std::optional<std::uint32_t> scanArgumentNumber(TextView afterPrefix);

}  // namespace orrery

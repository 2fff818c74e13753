#pragma once
#include "protocol/saori_request.h"

namespace orrery {

// Appends the UTF-16 response for a finished record to `out`: "SAORI/1.0 ", the status
// text and, for status 0, the Result and Value lines. A status-0 record with neither a
// result nor values becomes status 1 (204). Always returns true. `tailRoom` code units
// are reserved beyond the response, for a caller that appends to it.
bool buildResponse(SaoriRequest& record, Text& out, std::size_t tailRoom = 0);

}  // namespace orrery

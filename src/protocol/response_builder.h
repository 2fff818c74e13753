#pragma once
#include "protocol/response_output.h"
#include "protocol/saori_request.h"

namespace orrery {

// The rule for 204: a status-0 record with neither a result nor values becomes
// status 1. Every response writer applies it before reading the status.
void settleStatus(SaoriRequest& record);

// Code units of the UTF-16 response for a settled record: "SAORI/1.0 ", the status
// text and, for status 0, the Result and Value lines.
std::size_t responseLength(const SaoriRequest& record);

// Writes that response to `out`, which has room for responseLength(record) code
// units; returns the end of what was written.
char16_t* writeResponse(const SaoriRequest& record, char16_t* out);

// Settles the status and writes the UTF-16 response into room of exactly its length
// taken from `out`. False only when that room could not be had.
bool buildResponse(SaoriRequest& record, ResponseOutput<char16_t>& out,
                   AnswerRoom from = AnswerRoom::kFresh);

// The same, appended to `out`, with `tailRoom` further code units reserved for a
// caller that appends to it. Always returns true.
bool buildResponse(SaoriRequest& record, Text& out, std::size_t tailRoom = 0);

}  // namespace orrery

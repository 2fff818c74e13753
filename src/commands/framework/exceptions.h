#pragma once

namespace orrery {

// A text that must be a number did not convert as a whole. Thrown and caught inside
// one command, which then answers 400.
struct ConvExcep {};

// Arguments that convert but cannot be served together. Thrown and caught inside one
// command, which then answers 400.
struct eBadreq {};

}  // namespace orrery

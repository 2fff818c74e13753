#pragma once
// One call of orrery-call: load the module, send the request one way, show the answer.
#include <string>

#include "call_options.h"

namespace orrery::host {

// Loads the module at `modulePath`, sends what `options` ask for and writes the answer
// to standard output, with hints and warnings on standard error. Returns the exit
// status: 0 for a 2xx answer, 1 for any other, 2 for a usage or loading error.
int callModule(const CallOptions& options, const std::string& modulePath);

// The folder part of a path, with its trailing separator ("./" for none).
std::string directoryOf(const std::string& path);

}  // namespace orrery::host

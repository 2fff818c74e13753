#pragma once
// The request orrery-call sends for a command line: its words and the files they name,
// read straight into the request text.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "call_options.h"

namespace orrery::host {

// The built request: UTF-8 bytes and where each argument's text lies in them.
struct CallRequest {
  std::string bytes;
  std::vector<std::pair<std::size_t, std::size_t>> arguments;

  // The argument texts, Argument0 first, as views into `bytes`.
  std::vector<std::string_view> argumentTexts() const;
  // Lets the text go, keeping only the command name (for the hints).
  void keepOnlyName();
};

// The EXECUTE request for `options.words`, with a Charset header when `charset` is not
// empty. Empty with `error` set when a file cannot be read or a text is not usable.
std::optional<CallRequest> buildCallRequest(const CallOptions& options, const std::string& charset,
                                            std::string& error);

// The GET Version request.
CallRequest versionCallRequest(const std::string& charset);

// Whether any argument after the name comes from a file or standard input.
bool readsFiles(const std::vector<std::string>& words);

}  // namespace orrery::host

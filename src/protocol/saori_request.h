#pragma once
#include <cstdint>
#include <map>

#include "protocol/text.h"
#include "protocol/value_list.h"

namespace orrery {

// The record that carries one request from parsing to the response. Created and
// destroyed by the module object for each request.
class SaoriRequest {
 public:
  enum Status : std::int32_t { kOk = 0, kNoContent = 1, kBadRequest = 2, kInternalError = 3 };

  virtual ~SaoriRequest() = default;

  // Reading an argument number that was not sent adds it with empty text, so later
  // argument counts include it.
  Text& argument(std::uint32_t number) { return arguments[number]; }
  std::size_t argumentCount() const { return arguments.size(); }

  std::map<std::uint32_t, Text> arguments;
  Text requestLine;
  Text sender;
  Text securityLevel;
  Text charset;
  Text rawText;
  Text result;
  ValueList values;
  std::int32_t status = kOk;
};

}  // namespace orrery

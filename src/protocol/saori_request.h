#pragma once
#include <cstdint>
#include <forward_list>

#include "protocol/argument_list.h"
#include "protocol/text.h"
#include "protocol/value_list.h"

namespace orrery {

// The record that carries one request from parsing to the response. Created and
// destroyed by the module object for each request. The parsed fields view rawText,
// which is therefore kept until the response is written: the request is held once,
// however large its arguments are.
class SaoriRequest {
 public:
  enum Status : std::int32_t { kOk = 0, kNoContent = 1, kBadRequest = 2, kInternalError = 3 };

  // Records whose large arrays (the Values, the commands' records) may use blocks kept
  // in `scratch` between requests; without one they come from the heap.
  explicit SaoriRequest(ScratchMemory* scratch = nullptr) : values(scratch), scratch_(scratch) {}
  SaoriRequest(const SaoriRequest&) = delete;
  SaoriRequest& operator=(const SaoriRequest&) = delete;
  virtual ~SaoriRequest() = default;

  // Reading an argument number that was not sent adds it with empty text, so later
  // argument counts include it. The view lives as long as the record.
  TextView argument(std::uint32_t number) { return arguments.findOrAdd(number); }
  std::size_t argumentCount() const { return arguments.size(); }
  // Sets an argument to a copy of `text`, for records filled by hand instead of parsed.
  void setArgument(std::uint32_t number, TextView text) { arguments.set(number, keep(Text(text))); }

  // Keeps `text` for as long as the record lives and returns a view of it: for the
  // texts that are not a piece of rawText.
  TextView keep(Text text) {
    kept_.push_front(std::move(text));
    return kept_.front();
  }

  ArgumentList arguments;
  TextView requestLine;
  TextView sender;
  TextView securityLevel;
  TextView charset;
  Text rawText;
  Text result;
  ValueList values;
  std::int32_t status = kOk;

  ScratchMemory* scratch() const { return scratch_; }

 private:
  ScratchMemory* scratch_;
  std::forward_list<Text> kept_;
};

}  // namespace orrery

#pragma once
#include <cstdint>

#include "protocol/saori_request.h"

namespace orrery {

// The interface every command implements. Dispatch calls execute only when the
// request carries more numbered arguments (Argument0 counted) than listArgumentCount().
class IRequestEntry {
 public:
  // True when the command produced its output; false when it refused the request
  // (it then has set the record's status).
  virtual bool execute(SaoriRequest& record) = 0;
  // List arguments needed after Argument0: 1 or 2, constant per command.
  virtual std::uint32_t listArgumentCount() const = 0;
  virtual ~IRequestEntry() = default;

  // Discard any output, set status 400 (or 500), return false.
  virtual bool failBadRequest(SaoriRequest& record);
  virtual bool failInternalError(SaoriRequest& record);
};

}  // namespace orrery

#pragma once
// Where a response is written. The writer asks once for room of exactly the response's
// length and fills it, so a response is never built in one buffer and copied into
// another: the exports hand out the block itself.
#include <cstddef>
#include <string>

namespace orrery {

template <typename Unit>
class ResponseOutput {
 public:
  // Room for exactly `units` code units (bytes for an 8-bit response), or null when
  // memory is exhausted.
  virtual Unit* allocate(std::size_t units) = 0;

 protected:
  ~ResponseOutput() = default;
};

// A response appended to a string, for callers that want it as text.
template <typename Unit>
class StringOutput final : public ResponseOutput<Unit> {
 public:
  explicit StringOutput(std::basic_string<Unit>& target) : target_(target) {}
  Unit* allocate(std::size_t units) override {
    const std::size_t start = target_.size();
    target_.resize(start + units);
    return target_.data() + start;
  }

 private:
  std::basic_string<Unit>& target_;
};

}  // namespace orrery

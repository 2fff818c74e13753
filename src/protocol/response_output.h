#pragma once
// Where a response is written. The writer asks once for room of exactly the response's
// length and fills it, so a response is never built in one buffer and copied into
// another: the exports hand out the block itself.
#include <cstddef>
#include <string>

#include "protocol/scratch_memory.h"

namespace orrery {

// Where the room for a response comes from: a fresh block, or the block that holds the
// Values, resized (see ResponseOutput::allocateOver), where the output can take it over.
enum class AnswerRoom { kFresh, kOverValues };

template <typename Unit>
class ResponseOutput {
 public:
  // Room for exactly `units` code units (bytes for an 8-bit response), or null when
  // memory is exhausted.
  virtual Unit* allocate(std::size_t units) = 0;

  // Room for exactly `units` code units made by resizing `block`, a block from the
  // host's block allocator, keeping as much of its contents as fits; the output then
  // owns it. Null, with `block` left as it was, when the output cannot take it over.
  virtual Unit* allocateOver(ScratchMemory::Block&, std::size_t) { return nullptr; }

  // Cuts the room last allocated to its first `units` code units, which stay as they
  // are: for a response converted into room for the longest it could be.
  virtual void shrink(std::size_t units) = 0;

 protected:
  ~ResponseOutput() = default;
};

// A response appended to a string (Text or Bytes), for callers that want it as text.
template <typename String>
class StringOutput final : public ResponseOutput<typename String::value_type> {
 public:
  using Unit = typename String::value_type;
  explicit StringOutput(String& target) : target_(target) {}
  Unit* allocate(std::size_t units) override {
    start_ = target_.size();
    target_.resize(start_ + units);
    return target_.data() + start_;
  }
  void shrink(std::size_t units) override { target_.resize(start_ + units); }

 private:
  String& target_;
  std::size_t start_ = 0;
};

}  // namespace orrery

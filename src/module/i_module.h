#pragma once
#include <cstring>

#include "platform/platform.h"
#include "protocol/response_output.h"
#include "protocol/text.h"

namespace orrery {

// Blocks of the host's allocator, the one that request and answer blocks come from.
inline constexpr BlockSource kHostBlocks{&platform::allocateBlock, &platform::freeBlock,
                                         &platform::resizeBlock};

// An 8-bit request's raw bytes, in a block of kHostBlocks: once decoded they are not
// read again, and the request's arrays can grow over their pages.
using RequestBytes = ScratchBlock;

inline BytesView viewOf(const RequestBytes& in) {
  return {reinterpret_cast<const char*>(in.bytes.get()), in.size};
}

// Copies `bytes` into a block of kHostBlocks; throws std::bad_alloc without memory.
inline RequestBytes requestBytes(BytesView bytes) {
  RequestBytes in = ScratchMemory::newBlock(bytes.size(), kHostBlocks);
  if (!bytes.empty()) std::memcpy(in.bytes.get(), bytes.data(), bytes.size());
  return in;
}

// The host-facing module object. A request operation writes the complete response into
// room taken once from `out` and returns true; false means it could not answer (no room
// for the response), and the caller sends its fallback.
class IModule {
 public:
  explicit IModule(void* moduleHandle) : moduleHandle_(moduleHandle) {}
  virtual ~IModule() = default;
  IModule(const IModule&) = delete;
  IModule& operator=(const IModule&) = delete;

  virtual bool load(const Bytes& path) = 0;
  virtual bool unload() = 0;
  // The requests are taken by value so that the exports can move them in.
  virtual bool requestw(Text in, ResponseOutput<char16_t>& out) = 0;
  virtual bool request(RequestBytes in, ResponseOutput<char>& out) = 0;

  // The same from a copy of `in`, or with the response in a string, empty when called.
  bool request(BytesView in, ResponseOutput<char>& out) { return request(requestBytes(in), out); }
  bool requestw(Text in, Text& out) {
    StringOutput<Text> appended(out);
    return requestw(std::move(in), appended);
  }
  bool request(BytesView in, Bytes& out) {
    StringOutput<Bytes> appended(out);
    return request(requestBytes(in), appended);
  }

  void* moduleHandle() const { return moduleHandle_; }

 private:
  void* moduleHandle_;  // kept as received at attach; nothing reads it
};

}  // namespace orrery

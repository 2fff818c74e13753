#pragma once
#include "protocol/response_output.h"
#include "protocol/text.h"

namespace orrery {

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
  // The request texts are taken by value so that the exports can move them in.
  virtual bool requestw(Text in, ResponseOutput<char16_t>& out) = 0;
  virtual bool request(Bytes in, ResponseOutput<char>& out) = 0;

  // The same with the response in a string, which is empty when called.
  bool requestw(Text in, Text& out) {
    StringOutput<char16_t> appended(out);
    return requestw(std::move(in), appended);
  }
  bool request(Bytes in, Bytes& out) {
    StringOutput<char> appended(out);
    return request(std::move(in), appended);
  }

  void* moduleHandle() const { return moduleHandle_; }

 private:
  void* moduleHandle_;  // kept as received at attach; nothing reads it
};

}  // namespace orrery

#pragma once
#include "protocol/text.h"

namespace orrery {

// The host-facing module object. `out` is empty when an operation is called and holds
// the complete response when it returns true.
class IModule {
 public:
  explicit IModule(void* moduleHandle) : moduleHandle_(moduleHandle) {}
  virtual ~IModule() = default;
  IModule(const IModule&) = delete;
  IModule& operator=(const IModule&) = delete;

  virtual bool load(const Bytes& path) = 0;
  virtual bool unload() = 0;
  // The request texts are taken by value so that the exports can move them in.
  virtual bool requestw(Text in, Text& out) = 0;
  virtual bool request(Bytes in, Bytes& out) = 0;

  void* moduleHandle() const { return moduleHandle_; }

 private:
  void* moduleHandle_;  // kept as received at attach; nothing reads it
};

}  // namespace orrery

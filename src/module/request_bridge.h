#pragma once
#include "module/i_module.h"
#include "protocol/saori_request.h"

namespace orrery {

// Turns a request text into a parsed record, runs it, and turns the record into the
// response. Returns false only when no record can be created.
class RequestBridge : public IModule {
 public:
  using IModule::IModule;

  bool requestw(Text in, Text& out) override;
  bool request(Bytes in, Bytes& out) override;
  virtual bool execute(SaoriRequest& record) = 0;
};

}  // namespace orrery

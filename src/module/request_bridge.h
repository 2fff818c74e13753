#pragma once
#include "module/i_module.h"
#include "protocol/saori_request.h"

namespace orrery {

// Turns a request text into a parsed record, runs it, and turns the record into the
// response. Returns false only when there is no room for the response.
class RequestBridge : public IModule {
 public:
  using IModule::IModule;
  using IModule::request;
  using IModule::requestw;

  bool requestw(Text in, ResponseOutput<char16_t>& out) override;
  bool request(Bytes in, ResponseOutput<char>& out) override;
  virtual bool execute(SaoriRequest& record) = 0;

 private:
  ScratchMemory scratch_;  // the requests' large arrays, kept between them
};

}  // namespace orrery

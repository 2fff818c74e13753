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
  bool request(RequestBytes in, ResponseOutput<char>& out) override;
  virtual bool execute(SaoriRequest& record) = 0;

 private:
  // Where the answer to a request of `requestBytes` takes its room, given an estimate
  // of the answer's room and whether the request offers its raw bytes to its arrays
  // (see the .cpp).
  AnswerRoom answerRoomFor(std::size_t requestBytes, std::size_t answerBytes, bool offered = false);

  // The requests' large arrays, kept between them. They are host blocks, so that an
  // answer can grow over the one that holds its Values.
  ScratchMemory scratch_{kHostBlocks};
  std::size_t largestRequest_ = 0;  // bytes of the largest request so far
};

}  // namespace orrery

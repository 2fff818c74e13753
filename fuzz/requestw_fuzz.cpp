// The UTF-16 entry with arbitrary code units, through the exported function.
#include "module_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  orrery::fuzz::ensureLoaded();
  const orrery::Text request = orrery::fuzz::unitsOf(data, size);
  const orrery::Text response = orrery::fuzz::callRequestw(request);
  orrery::fuzz::checkStatusLine<char16_t>(response);
  // Refusals carry nothing but their status line.
  if (response[10] != u'2' || response[11] != u'0' || response[12] != u'0') {
    FUZZ_CHECK(response == u"SAORI/1.0 204 No Content\r\n" ||
               response == u"SAORI/1.0 400 Bad Request\r\n");
  }
  return 0;
}

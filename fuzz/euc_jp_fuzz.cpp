// The EUC-JP converter on its own: arbitrary bytes, and well-formed text whose Shift_JIS
// is known.
#include "encoding/euc_jp.h"
#include "jis_pairs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const orrery::BytesView bytes(reinterpret_cast<const char*>(data), size);
  orrery::Bytes out;
  FUZZ_CHECK(orrery::eucJpToShiftJis(bytes, out));
  // Every step writes at most as many bytes as it reads.
  FUZZ_CHECK(out.size() <= bytes.size());
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) FUZZ_CHECK(out == bytes);

  orrery::fuzz::FuzzInput in(data, size);
  const orrery::fuzz::JisText text = orrery::fuzz::jisText(in);
  orrery::Bytes converted;
  FUZZ_CHECK(orrery::eucJpToShiftJis(text.eucJp, converted));
  orrery::fuzz::checkShiftJis(text, converted);
  return 0;
}

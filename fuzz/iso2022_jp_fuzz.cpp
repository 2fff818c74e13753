// The ISO-2022-JP converter on its own: arbitrary bytes, and well-formed text whose
// Shift_JIS is known and must equal that of the same text sent as EUC-JP.
#include "encoding/euc_jp.h"
#include "encoding/iso2022_jp.h"
#include "jis_pairs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const orrery::BytesView bytes(reinterpret_cast<const char*>(data), size);
  orrery::Bytes out;
  FUZZ_CHECK(orrery::iso2022JpToShiftJis(bytes, out));
  // Escapes are dropped, pairs stay pairs, single bytes stay single.
  FUZZ_CHECK(out.size() <= bytes.size());
  // Without a switch to two-byte mode, only the switches to one-byte mode go.
  if (bytes.find("\x1B$B") == orrery::BytesView::npos) {
    orrery::Bytes expected;
    for (std::size_t i = 0; i < bytes.size();) {
      if (bytes.substr(i, 3) == "\x1B(B") {
        i += 3;
      } else {
        expected.push_back(bytes[i++]);
      }
    }
    FUZZ_CHECK(out == expected);
  }

  orrery::fuzz::FuzzInput in(data, size);
  const orrery::fuzz::JisText text = orrery::fuzz::jisText(in);
  orrery::Bytes converted;
  FUZZ_CHECK(orrery::iso2022JpToShiftJis(text.iso2022Jp, converted));
  orrery::fuzz::checkShiftJis(text, converted);
  orrery::Bytes fromEuc;
  orrery::eucJpToShiftJis(text.eucJp, fromEuc);
  FUZZ_CHECK(converted == fromEuc);
  return 0;
}

// The functions that read views or byte ranges, given inputs that end exactly at an
// inaccessible page: reading one unit past the length crashes the test. Each prefix of
// each input is tried, so every place where a sequence, a pattern or a number can be
// cut short is the last readable unit once.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "commands/framework/exceptions.h"
#include "commands/framework/list_text.h"
#include "commands/framework/number_conversion.h"
#include "encoding/charset_bridge.h"
#include "encoding/euc_jp.h"
#include "encoding/iso2022_jp.h"
#include "encoding/utf8.h"
#include "platform/platform.h"
#include "protocol/request_parser.h"
#include "support/guard_page.h"

namespace orrery {
namespace {

#if defined(__linux__)
using test::GuardedBuffer;
using test::guardedCopy;

// Calls check(guardedPrefix, ordinaryPrefix) for every prefix of `units`, the first
// ending at a guard page and the second an ordinary copy to compare with.
template <typename Unit, typename Check>
void forEachGuardedPrefix(std::basic_string_view<Unit> units, Check check) {
  for (std::size_t n = 0; n <= units.size(); ++n) {
    SCOPED_TRACE("prefix of " + std::to_string(n) + " units");
    const StringOf<Unit> ordinary(units.substr(0, n));
    GuardedBuffer buffer(n * sizeof(Unit));
    ASSERT_TRUE(buffer.ok());
    check(guardedCopy<Unit>(buffer, units.substr(0, n)), ordinary);
  }
}

const std::vector<BytesView> kByteInputs = {
    "\xEF\xBB\xBF"
    "a\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80\xF8\x88\x80\x80\x80\xFC\x84\x80\x80\x80\x80",
    "\x82\xA0\x88\x9F\x81",
    "GET Version SAORI/1.0\r\nCharset: UTF-8\r\n\r\n",
    "EXECUTE SAORI/1.0\r\nCharset: EUC-JP\r\n\r\n\xA4\xA2\x8E\xB1\x8F\xA1\xA1",
    "EXECUTE SAORI/1.0\r\nCharset: ISO-2022-JP\r\n\r\n\x1B$B$\"\x1B(B\x1B$@",
    "EXECUTE SAORI/1.0\r\nCharset: Shift_JIS\r\n\r\n\x82",
};

TEST(GuardedInput, Utf8DecoderStopsAtTheLength) {
  for (BytesView input : kByteInputs) {
    forEachGuardedPrefix<char>(input, [](BytesView guarded, const Bytes& ordinary) {
      Text a, b;
      EXPECT_EQ(decodeUtf8(guarded, a), decodeUtf8(ordinary, b));
      EXPECT_EQ(a, b);
    });
  }
}

TEST(GuardedInput, RequestDecodingStopsAtTheLength) {
  // The Charset header search compares patterns longer than what may be left.
  for (BytesView input : kByteInputs) {
    forEachGuardedPrefix<char>(input, [](BytesView guarded, const Bytes& ordinary) {
      Text a, b;
      EXPECT_EQ(decodeRequest(guarded, a), decodeRequest(ordinary, b));
      EXPECT_EQ(a, b);
    });
  }
}

TEST(GuardedInput, JapaneseConvertersStopAtTheLength) {
  // Cut inside pairs, after a single shift, inside escape sequences.
  for (BytesView input : kByteInputs) {
    forEachGuardedPrefix<char>(input, [](BytesView guarded, const Bytes& ordinary) {
      Bytes a, b;
      EXPECT_EQ(eucJpToShiftJis(guarded, a), eucJpToShiftJis(ordinary, b));
      EXPECT_EQ(a, b);
      Bytes c, d;
      EXPECT_EQ(iso2022JpToShiftJis(guarded, c), iso2022JpToShiftJis(ordinary, d));
      EXPECT_EQ(c, d);
    });
  }
}

const std::vector<TextView> kTextInputs = {
    u"a\x00E9\x3042\xD83D\xDE00\xD800",
    u"pear\x0002\x0002"
    u"fig\x0001"
    u"1\x0002",
    u"  -2147483649",
    u"+",
    u"4294967296x",
};

TEST(GuardedInput, EncodersStopAtTheLength) {
  for (TextView input : kTextInputs) {
    forEachGuardedPrefix<char16_t>(input, [](TextView guarded, const Text& ordinary) {
      Bytes a, b;
      EXPECT_EQ(encodeUtf8(guarded, a), encodeUtf8(ordinary, b));
      EXPECT_EQ(a, b);
      Bytes c, d;
      EXPECT_EQ(platform::utf16ToCp932(guarded, c), platform::utf16ToCp932(ordinary, d));
      EXPECT_EQ(c, d);
    });
  }
}

TEST(GuardedInput, ListSplittingStopsAtTheLength) {
  for (TextView input : kTextInputs) {
    forEachGuardedPrefix<char16_t>(input, [](TextView guarded, const Text& ordinary) {
      std::vector<TextView> a, b;
      splitList(guarded, a);
      splitList(ordinary, b);
      EXPECT_EQ(std::vector<Text>(a.begin(), a.end()), std::vector<Text>(b.begin(), b.end()));
      EXPECT_EQ(countListItems(guarded), b.size());
    });
  }
}

std::optional<std::int32_t> integerOrNothing(TextView text) {
  try {
    return toInteger(text);
  } catch (const ConvExcep&) {
    return std::nullopt;
  }
}

TEST(GuardedInput, NumberReadingStopsAtTheLength) {
  for (TextView input : kTextInputs) {
    forEachGuardedPrefix<char16_t>(input, [](TextView guarded, const Text& ordinary) {
      EXPECT_EQ(integerOrNothing(guarded), integerOrNothing(ordinary));
      EXPECT_EQ(scanArgumentNumber(guarded), scanArgumentNumber(ordinary));
    });
  }
}
#else
TEST(GuardedInput, NeedsLinux) { GTEST_SKIP() << "guard pages are set up with mmap on Linux"; }
#endif

}  // namespace
}  // namespace orrery

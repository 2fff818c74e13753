// Requests with hostile sizes and values answer correctly. How long they take is the
// benchmark's business (bench/hostile_bench.cpp), not a test's.
#include <gtest/gtest.h>

#include "commands/framework/list_text.h"
#include "module/module_core.h"
#include "protocol/decimal_format.h"
#include "protocol/request_parser.h"

namespace orrery {
namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;

Text execute(const std::vector<std::pair<Text, Text>>& headers) {
  Text text = u"EXECUTE SAORI/1.0\r\n";
  for (const auto& [name, value] : headers) text += name + u": " + value + u"\r\n";
  return text + u"\r\n";
}

class HostileSizes : public ::testing::Test {
 protected:
  Text answer(Text request) {
    Text out;
    EXPECT_TRUE(module_.requestw(std::move(request), out));
    return out;
  }
  Bytes answer8(Bytes request) {
    Bytes out;
    EXPECT_TRUE(module_.request(std::move(request), out));
    return out;
  }

  ModuleCore module_{nullptr};
};

TEST_F(HostileSizes, SixtyFourMegabyteRequests) {
  // 32 Mi code units are 64 MB of UTF-16; the 8-bit request is 64 MB of bytes.
  const Text filler(32 * kMegabyte, u'x');
  EXPECT_EQ(answer(u"GET Version SAORI/1.0\r\nSender: " + filler + u"\r\n\r\n"),
            u"SAORI/1.0 204 No Content\r\n");
  EXPECT_EQ(answer(execute({{u"Argument0", u"nosuch"}, {u"Argument1", filler}})),
            u"SAORI/1.0 400 Bad Request\r\n");
  // Without the closing empty line the whole text is read and refused.
  EXPECT_EQ(answer(u"GET Version SAORI/1.0\r\n" + filler), u"SAORI/1.0 400 Bad Request\r\n");

  const Bytes bytes(64 * kMegabyte, 'x');
  EXPECT_EQ(answer8("GET Version SAORI/1.0\r\nSender: " + bytes + "\r\n\r\n"),
            "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n");
}

TEST_F(HostileSizes, AMillionEmptyItems) {
  const Text list(1000000, kListSeparator);
  EXPECT_EQ(countListItems(list), 1000000u);
  std::vector<TextView> items;
  splitList(list, items);
  ASSERT_EQ(items.size(), 1000000u);
  EXPECT_TRUE(items.front().empty() && items.back().empty());
}

TEST_F(HostileSizes, AHundredThousandNumberedArguments) {
  Text request = u"GET Version SAORI/1.0\r\n";
  for (std::uint32_t n = 0; n < 100000; ++n) {
    request += u"Argument";
    appendUnsigned(request, n);
    request += u": ";
    appendUnsigned(request, n);
    request += u"\r\n";
  }
  request += u"\r\n";

  SaoriRequest record;
  ASSERT_TRUE(parse(request, record));
  ASSERT_EQ(record.argumentCount(), 100000u);
  EXPECT_EQ(record.arguments.at(99999), u"99999");
  EXPECT_EQ(answer(request), u"SAORI/1.0 204 No Content\r\n");
}

TEST_F(HostileSizes, ArgumentNumbersAtAndBeyondThirtyTwoBits) {
  struct Case {
    const char* name;
    Text header;
    std::uint32_t number;
  };
  const Case cases[] = {
      {"the largest number", u"Argument4294967295", 4294967295u},
      {"one beyond saturates", u"Argument4294967296", 4294967295u},
      {"far beyond saturates", u"Argument99999999999999999999999999", 4294967295u},
      {"minus one wraps", u"Argument-1", 4294967295u},
      {"minus the largest wraps to one", u"Argument-4294967295", 1u},
      {"leading zeros", u"Argument0000000000000000000000001", 1u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SaoriRequest record;
    ASSERT_TRUE(parse(execute({{c.header, u"v"}}), record));
    ASSERT_EQ(record.argumentCount(), 1u);
    EXPECT_EQ(record.arguments.begin()->first, c.number);
  }
  // Two spellings of the same number count once, the later value winning.
  SaoriRequest record;
  ASSERT_TRUE(
      parse(execute({{u"Argument4294967295", u"a"}, {u"Argument5000000000", u"b"}}), record));
  ASSERT_EQ(record.argumentCount(), 1u);
  EXPECT_EQ(record.arguments.at(4294967295u), u"b");
}

}  // namespace
}  // namespace orrery

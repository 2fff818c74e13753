// Requests with hostile sizes and values answer correctly. How long they take is the
// benchmark's business (bench/hostile_bench.cpp), not a test's.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

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

// Compares responses of many megabytes; a mismatch reports where, not the whole text.
::testing::AssertionResult sameText(const Text& actual, const Text& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
  auto around = [&](const Text& t) {
    const Text part = t.substr(i < 40 ? 0 : i - 40, 80);
    return std::string(part.begin(), part.end());
  };
  return ::testing::AssertionFailure()
         << "lengths " << actual.size() << " and " << expected.size() << ", first difference at "
         << i << ":\n  actual   ..." << around(actual) << "\n  expected ..." << around(expected);
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
  EXPECT_EQ(answer8("GET Version SAORI/1.0\r\nCharset: UTF-8\r\nSender: " + bytes + "\r\n\r\n"),
            "SAORI/1.0 204 No Content\r\nCharset: UTF-8\r\n\r\n");
}

// A response of `count` Value lines, the i-th holding value(i).
template <typename Value>
Text valuesResponse(std::size_t count, Value value) {
  Text out = u"SAORI/1.0 200 OK\r\nResult: \r\n";
  for (std::size_t i = 0; i < count; ++i) {
    out += u"Value";
    appendUnsigned(out, i);
    out += u": ";
    out += value(i);
    out += u"\r\n";
  }
  return out;
}

TEST_F(HostileSizes, SortOfASixtyFourMegabyteList) {
  // A million items of 31 code units, numbered out of order: 7919 is prime to a million,
  // so i * 7919 mod 10^6 visits every number once. Zero-padded, text order is numeric.
  constexpr std::size_t kItems = 1000000;
  auto item = [](std::size_t n) {
    Text digits;
    appendUnsigned(digits, n);
    return Text(31 - digits.size(), u'0') + digits;
  };
  Text list;
  list.reserve(kItems * 32);
  for (std::size_t i = 0; i < kItems; ++i) {
    list += item(static_cast<std::size_t>(std::uint64_t{i} * 7919 % kItems));
    list.push_back(kListSeparator);
  }
  ASSERT_EQ(list.size() * 2, 64000000u);
  EXPECT_TRUE(sameText(
      answer(execute({{u"Argument0", u"sort"}, {u"Argument1", list}, {u"Argument2", u"S"}})),
      valuesResponse(kItems, item)));
}

TEST_F(HostileSizes, AMillionEmptyItems) {
  constexpr std::size_t kItems = 1000000;
  const Text list(kItems, kListSeparator);
  EXPECT_EQ(countListItems(list), kItems);
  auto empty = [](std::size_t) { return Text(); };
  auto position = [](std::size_t i) {
    Text t;
    appendUnsigned(t, i);
    return t;
  };
  auto pair = [](std::size_t) { return Text(1, kPairSeparator); };

  struct Case {
    const char* name;
    std::vector<std::pair<Text, Text>> arguments;
    Text expected;
  };
  const Case cases[] = {
      // All keys equal: a stable sort keeps the reading order, reversed reverses it.
      {"sort by position",
       {{u"Argument1", list}, {u"Argument2", u"A"}},
       valuesResponse(kItems, position)},
      {"sort reversed",
       {{u"Argument1", list}, {u"Argument2", u"AR"}},
       valuesResponse(kItems,
                      [](std::size_t i) {
                        Text t;
                        appendUnsigned(t, kItems - 1 - i);
                        return t;
                      })},
      {"sort integer keys", {{u"Argument1", list}}, valuesResponse(kItems, empty)},
      {"shuffle", {{u"Argument1", list}}, valuesResponse(kItems, empty)},
      {"unique", {{u"Argument1", list}}, valuesResponse(1, empty)},
      {"union", {{u"Argument1", list}, {u"Argument2", list}}, valuesResponse(kItems, empty)},
      {"intersection",
       {{u"Argument1", list}, {u"Argument2", u""}},
       u"SAORI/1.0 204 No Content\r\n"},
      {"make_pair", {{u"Argument1", list}, {u"Argument2", list}}, valuesResponse(kItems, pair)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<Text, Text>> headers = {
        {u"Argument0", Text(c.name, c.name + std::strcspn(c.name, " "))}};
    headers.insert(headers.end(), c.arguments.begin(), c.arguments.end());
    EXPECT_TRUE(sameText(answer(execute(headers)), c.expected));
  }
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
  EXPECT_EQ(record.argument(99999), u"99999");
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
    EXPECT_EQ(record.arguments.begin()->number, c.number);
  }
  // Two spellings of the same number count once, the later value winning.
  SaoriRequest record;
  ASSERT_TRUE(
      parse(execute({{u"Argument4294967295", u"a"}, {u"Argument5000000000", u"b"}}), record));
  ASSERT_EQ(record.argumentCount(), 1u);
  EXPECT_EQ(record.argument(4294967295u), u"b");
}

// The widest ranges the 32-bit numbers allow. A count larger than one answer holds is
// refused before anything is drawn; a step that spans the range leaves three values.
TEST_F(HostileSizes, ShuffleNAtTheEdgesOfTheRange) {
  auto shuffleN = [&](std::vector<Text> arguments) {
    std::vector<std::pair<Text, Text>> headers = {{u"Argument0", u"shuffle_n"}};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      Text name = u"Argument";
      appendUnsigned(name, i + 1);
      headers.emplace_back(name, arguments[i]);
    }
    return answer(execute(headers));
  };
  const Text bad = u"SAORI/1.0 400 Bad Request\r\n";
  const Text none = u"SAORI/1.0 204 No Content\r\n";
  EXPECT_EQ(shuffleN({u"2147483647", u"-2147483648", u"1"}), bad);
  EXPECT_EQ(shuffleN({u"2147483647", u"-2147483648", u"1", u"16777217"}), bad);
  EXPECT_EQ(shuffleN({u"2147483647", u"-2147483648", u"2147483647", u"0"}), none);
  EXPECT_EQ(shuffleN({u"2147483647", u"-2147483648", u"1", u"-1"}), bad);
  EXPECT_EQ(shuffleN({u"2147483647", u"-2147483648", u"2147483647", u"-2147483648"}), bad);
  EXPECT_EQ(shuffleN({u"99999999999", u"-99999999999", u"0"}), bad);

  // Five of the 2^32 − 1 values: distinct, each within the range.
  const Text five = shuffleN({u"2147483647", u"-2147483648", u"1", u"5", u"s"});
  const std::size_t from = five.find(u"Result: ") + 8;
  std::set<Text> drawn;
  for (std::size_t at = from, next; (next = five.find(kListSeparator, at)) != Text::npos;
       at = next + 1) {
    drawn.insert(five.substr(at, next - at));
  }
  EXPECT_EQ(drawn.size(), 5u) << std::string(five.begin(), five.end());

  // Step 2147483647 over the whole range: -2147483648, -1 and 2147483646 are permuted and
  // the first (4294967295 / 2147483647) = 2 of them returned, whatever count asks for.
  for (const Text& count : {Text(), Text(u"2"), Text(u"2147483647"), Text(u"99999999999")}) {
    SCOPED_TRACE(std::string(count.begin(), count.end()));
    std::vector<Text> arguments = {u"2147483647", u"-2147483648", u"2147483647"};
    if (!count.empty()) arguments.push_back(count);
    const Text response = shuffleN(arguments);
    const Text values[] = {u"-2147483648", u"-1", u"2147483646"};
    bool found = false;
    for (const Text& a : values) {
      for (const Text& b : values) {
        if (a != b && response == u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: " + a +
                                      u"\r\nValue1: " + b + u"\r\n") {
          found = true;
        }
      }
    }
    EXPECT_TRUE(found) << std::string(response.begin(), response.end());
  }

  // Values next to the largest number: adding the step after the last one must not wrap.
  const Text top = shuffleN({u"2147483647", u"2147483645", u"1", u"", u"s"});
  EXPECT_TRUE(top ==
                  u"SAORI/1.0 200 OK\r\nResult: 2147483645\x0002"
                  u"2147483646\x0002\r\n" ||
              top ==
                  u"SAORI/1.0 200 OK\r\nResult: 2147483646\x0002"
                  u"2147483645\x0002\r\n")
      << std::string(top.begin(), top.end());
}

}  // namespace
}  // namespace orrery

#include "module/module_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding/charset_bridge.h"
#include "encoding/utf8.h"
#include "protocol/decimal_format.h"

namespace orrery {
namespace {

TEST(ModuleCore, RegistersExactlyTheNineCommandsWithTheirListCounts) {
  ModuleCore core(nullptr);
  std::vector<std::pair<Text, std::uint32_t>> registered;
  for (const auto& [name, entry] : core.registry().entries()) {
    registered.emplace_back(name, entry->listArgumentCount());
  }
  // In name order, code unit by code unit.
  const std::vector<std::pair<Text, std::uint32_t>> expected = {
      {u"difference", 2},
      {u"intersection", 2},
      {u"make_pair", 2},
      {u"shuffle", 1},
      {u"shuffle_n", 1},
      {u"sort", 1},
      {u"symmetric_difference", 2},
      {u"union", 2},
      {u"unique", 1},
  };
  EXPECT_EQ(registered, expected);
}

TEST(ModuleCore, LoadAndUnloadSucceedWhateverThePath) {
  ModuleCore core(nullptr);
  EXPECT_TRUE(core.load(""));
  EXPECT_TRUE(core.load("C:\\ghost\\"));
  EXPECT_TRUE(core.unload());
  // The object keeps answering: only the exports decide what unload means to a host.
  Text out;
  EXPECT_TRUE(core.requestw(u"GET Version SAORI/1.0\r\n\r\n", out));
  EXPECT_EQ(out, u"SAORI/1.0 204 No Content\r\n");
}

// Items with repeated keys and pairs, so that every value kind has something to show.
Text items(std::size_t count) {
  Text list;
  for (std::size_t i = 0; i < count; ++i) {
    appendUnsigned(list, (i * 7919) % (count / 2 + 1));
    list += u'\x0001';
    list += i % 3 == 0 ? u"\x3042" : u"";
    appendUnsigned(list, i);
    list += u'\x0002';
  }
  return list;
}

Text request(TextView command, std::size_t count, TextView options) {
  Text text = u"EXECUTE SAORI/1.0\r\nArgument0: ";
  text += command;
  text += u"\r\nArgument1: " + items(count) + u"\r\n";
  const bool two = command != u"sort" && command != u"unique";
  if (two) text += u"Argument2: " + items(count / 3) + u"\r\n";
  text += two ? u"Argument3: " : u"Argument2: ";
  text += options;
  return text + u"\r\n\r\n";
}

// The blocks kept between requests hold what a larger request left in them: a smaller
// request that reuses them, or one of another command, must answer exactly as a fresh
// module object does.
TEST(ModuleCore, AnswersAfterLargerRequestsAsAFreshObject) {
  struct Row {
    const char* name;
    TextView command;
    TextView options;
  };
  const Row rows[] = {
      {"sort text", u"sort", u"S"},
      {"sort integers reversed", u"sort", u"R"},
      {"sort pairs by length", u"sort", u"LP"},
      {"sort positions", u"sort", u"SA"},
      {"unique second parts", u"unique", u"V"},
      {"union pairs", u"union", u"P"},
  };
  ModuleCore reused(nullptr);
  for (const std::size_t larger : {std::size_t{30000}, std::size_t{3000}}) {
    Text ignored;
    ASSERT_TRUE(reused.requestw(request(u"sort", larger, u"SP"), ignored));
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      ModuleCore fresh(nullptr);
      const Text text = request(row.command, 2000, row.options);
      Text expected;
      Text answer;
      ASSERT_TRUE(fresh.requestw(text, expected));
      ASSERT_TRUE(reused.requestw(text, answer));
      EXPECT_EQ(answer, expected);
      EXPECT_EQ(expected.rfind(u"SAORI/1.0 200 OK\r\n", 0), 0u);
    }
  }
}

// Large 8-bit requests offer their raw bytes to the request's arrays, which take them
// as they are, grow them in place when the answer is to take them over (a request
// larger than any before it), or free them when too small. Each way, the answer is the
// UTF-16 answer in the request's charset.
TEST(ModuleCore, LargeNarrowRequestsAnswerAsTheirUtf16Form) {
  Text named;  // more bytes per item than a record takes
  for (std::size_t i = 0; i < 60000; ++i) {
    named += u"item-with-a-longer-name-\x3042";
    appendUnsigned(named, (i * 7919) % 30001);
    named += u'\x0002';
  }
  Text letters;  // fewer bytes per item than a record takes
  for (std::size_t i = 0; i < 600000; ++i)
    letters += {static_cast<char16_t>(u'a' + i % 26), u'\x0002'};
  const Text rows[] = {
      u"Argument0: sort\r\nArgument1: " + named + u"\r\nArgument2: S\r\n",
      u"Argument0: sort\r\nArgument1: " + letters + u"\r\nArgument2: S\r\n",
      u"Argument0: sort\r\nArgument1: " + items(100000) + u"\r\n",
      u"Argument0: union\r\nArgument1: " + named + u"\r\nArgument2: " + items(30000) +
          u"\r\nArgument3: P\r\n",
      u"Argument0: make_pair\r\nArgument1: " + named + u"\r\nArgument2: " + named + u"\r\n",
  };
  for (const Text& row : rows) {
    SCOPED_TRACE(std::string(row.begin(), row.begin() + 20));
    ModuleCore module(nullptr);
    Text wide;
    Bytes utf8;
    Bytes shiftJis;
    ASSERT_TRUE(encodeUtf8(u"EXECUTE SAORI/1.0\r\nCharset: UTF-8\r\n" + row + u"\r\n", utf8));
    ASSERT_TRUE(fromWide(u"EXECUTE SAORI/1.0\r\n" + row + u"\r\n", kCodePage932, shiftJis));
    ASSERT_GT(shiftJis.size(), ScratchMemory::kIdleBound);
    Bytes first;  // the largest request so far
    ASSERT_TRUE(module.request(utf8, first));
    ASSERT_TRUE(module.requestw(u"EXECUTE SAORI/1.0\r\n" + row + u"\r\n", wide));
    EXPECT_EQ(wide.rfind(u"SAORI/1.0 200 OK\r\n", 0), 0u);
    Bytes expected;
    ASSERT_TRUE(encodeUtf8(wide, expected));
    EXPECT_EQ(first, expected + "Charset: UTF-8\r\n\r\n");
    Bytes again;
    ASSERT_TRUE(module.request(utf8, again));
    EXPECT_EQ(again, first);
    Bytes narrow;
    ASSERT_TRUE(module.request(shiftJis, narrow));
    expected.clear();
    ASSERT_TRUE(fromWide(wide + u"Charset: Shift_JIS\r\n\r\n", kCodePage932, expected));
    EXPECT_EQ(narrow, expected);
  }
}

}  // namespace
}  // namespace orrery

#include "module/module_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace orrery

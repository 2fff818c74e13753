#include "core_seam.h"

#include <gtest/gtest.h>

#include "module/module_core.h"

namespace orrery::seam {
namespace {

// The tool's table against the module's registry: a command added to one and not the
// other, or a changed argument count, fails here. (The letters are held to the table
// where the commands read them, at compile time.)
TEST(CoreSeam, CommandTableMatchesTheRegistry) {
  const ModuleCore core(nullptr);
  EXPECT_EQ(commandShapes().size(), core.registry().entries().size());
  for (const auto& [name, entry] : core.registry().entries()) {
    std::string utf8;
    appendUtf8(name, utf8);
    const CommandShape* shape = findCommandShape(utf8);
    ASSERT_NE(shape, nullptr) << utf8;
    EXPECT_EQ(shape->listArguments, entry->listArgumentCount()) << utf8;
    EXPECT_GE(shape->lastArgument, shape->listArguments) << utf8;
    EXPECT_EQ(shape->optionsArgument == 0, shape->letters.empty()) << utf8;
  }
}

TEST(CoreSeam, EachRuleGivesItsReason) {
  using R = ShuffleNRefusal;
  struct Range {
    const char* name;
    std::int64_t end, start, step;
    std::optional<std::int64_t> count;
    ShuffleNRange expected;
  };
  const Range ranges[] = {
      {"all of a range", 10, 0, 3, std::nullopt, {3, R::kNone}},
      {"a count above the range", 10, 0, 1, 99, {10, R::kNone}},
      {"end below start", 3, 5, 1, std::nullopt, {0, R::kEndBelowStart}},
      {"step 0", 10, 0, 0, std::nullopt, {0, R::kStepBelowOne}},
      {"negative count", 10, 0, 1, -1, {-1, R::kNegativeCount}},
      {"one value too many",
       std::int64_t{1} << 25,
       0,
       1,
       (std::int64_t{1} << 24) + 1,
       {(std::int64_t{1} << 24) + 1, R::kTooMany}},
  };
  for (const Range& c : ranges) {
    SCOPED_TRACE(c.name);
    const ShuffleNRange range = shuffleNRange(c.end, c.start, c.step, c.count);
    EXPECT_EQ(range.refusal, c.expected.refusal);
    EXPECT_EQ(range.count, c.expected.count);
  }
  const std::pair<std::u16string, SortKey> keys[] = {
      {u"", SortKey::kInteger},  {u"LFS", SortKey::kText},      {u"LF", SortKey::kFloat},
      {u"Ls", SortKey::kLength}, {u"f l s", SortKey::kInteger},
  };
  for (const auto& [options, key] : keys) EXPECT_EQ(sortKeyOf(options), key) << options.size();
}

}  // namespace
}  // namespace orrery::seam

#include "commands/framework/list_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace orrery {
namespace {

struct SplitCase {
  const char* name;
  Text text;
  std::vector<Text> items;
};

const SplitCase kSplitCases[] = {
    {"empty text", u"", {}},
    {"one item", u"a", {u"a"}},
    {"two items",
     u"a\x0002"
     u"b",
     {u"a", u"b"}},
    {"trailing separator adds nothing", u"a\x0002", {u"a"}},
    {"empty item between separators",
     u"a\x0002\x0002"
     u"b",
     {u"a", u"", u"b"}},
    {"leading separator",
     u"\x0002"
     u"a",
     {u"", u"a"}},
    {"lone separator", u"\x0002", {u""}},
    {"two trailing separators", u"a\x0002\x0002", {u"a", u""}},
    {"pair separator is ordinary", u"k\x0001v\x0001w", {u"k\x0001v\x0001w"}},
};

TEST(SplitList, IntoViewsAndIntoValuesAlike) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE(c.name);
    std::vector<TextView> views;
    splitList(c.text, views);
    ValueList values;
    splitList(c.text, values);
    EXPECT_EQ(countListItems(c.text), c.items.size());
    ASSERT_EQ(views.size(), c.items.size());
    ASSERT_EQ(values.size(), c.items.size());
    for (std::size_t i = 0; i < c.items.size(); ++i) {
      EXPECT_EQ(views[i], c.items[i]);
      EXPECT_EQ(values[i], c.items[i]);
    }
  }
}

// Batches of every small size, and a list long enough that batches end inside and
// across the scanner's blocks, give the items of splitList.
TEST(SplitList, InBatchesAsWhole) {
  std::vector<Text> texts;
  for (const SplitCase& c : kSplitCases) texts.push_back(c.text);
  Text longList;
  for (int i = 0; i < 700; ++i) longList += Text(static_cast<std::size_t>(i % 5), u'x') + u"\x0002";
  texts.push_back(longList + u"end");
  for (const Text& text : texts) {
    std::vector<TextView> whole;
    splitList(text, whole);
    for (const std::size_t capacity : {1, 2, 3, 300}) {
      SCOPED_TRACE(capacity);
      ListItemBatches batches(text);
      std::vector<TextView> items;
      std::vector<TextView> batch(capacity);
      while (const std::size_t n = batches.next(batch.data(), capacity)) {
        items.insert(items.end(), batch.begin(), batch.begin() + static_cast<std::ptrdiff_t>(n));
      }
      EXPECT_EQ(items, whole);
    }
  }
}

// Units are tested four at a time: every mark is found, in order, wherever it lies in a
// word or a block, next to units that hold a mark's bits in other places.
TEST(ForEachMark, FindsWhatAPlainScanFinds) {
  const char16_t kUnits[] = {u'x',      u'\x0001', u'\x0002', u'\x0000',
                             u'\x0102', u'\x8002', u'\xFFFF'};
  std::uint32_t r = 7;
  for (std::size_t length : {0, 1, 3, 4, 5, 255, 256, 257, 600}) {
    Text text;
    for (std::size_t i = 0; i < length; ++i) {
      r = r * 1103515245u + 12345u;
      text += kUnits[(r >> 16) % std::size(kUnits)];
    }
    std::vector<std::size_t> expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == kListSeparator || text[i] == kPairSeparator) expected.push_back(i);
    }
    std::vector<std::size_t> found;
    forEachMark(text, kListSeparator, kPairSeparator, [&](std::size_t at) { found.push_back(at); });
    EXPECT_EQ(found, expected) << length;
  }
}

TEST(SplitList, AppendsToWhatTheListHolds) {
  ValueList values;
  values.push_back(u"first");
  splitList(
      u"a\x0002"
      u"b",
      values);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0], u"first");
  EXPECT_EQ(values[2], u"b");
}

TEST(ListJoiner, JoinsEveryItemWithATrailingSeparatorAndInvertsSplitting) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE(c.name);
    Text joined;
    ListJoiner joiner(joined);
    for (const Text& item : c.items) joiner = item;
    std::vector<TextView> again;
    splitList(joined, again);
    ASSERT_EQ(again.size(), c.items.size());
    for (std::size_t i = 0; i < c.items.size(); ++i) EXPECT_EQ(again[i], c.items[i]);
  }
  Text result = u"x\x0002";
  ListJoiner joiner(result);
  joiner = u"a";
  joiner = u"";
  joiner = u"b";
  EXPECT_EQ(result,
            u"x\x0002"
            u"a\x0002\x0002"
            u"b\x0002");
}

TEST(ValueList, SwapMovesOnlyPositions) {
  for (const bool packed : {false, true}) {
    SCOPED_TRACE(packed ? "packed" : "views");
    ValueList values;
    if (packed) values.packViewsOf(u"base");
    ASSERT_EQ(values.packs(), packed && ValueList::kPackingPays);
    values.push_back(u"one");
    values.pushJoined(u"k", kPairSeparator, u"v");
    values.push_back(u"");
    values.swap(0, 2);
    EXPECT_EQ(values[0], u"");
    EXPECT_EQ(values[1], u"k\x0001v");
    EXPECT_EQ(values[2], u"one");
    EXPECT_EQ(values.totalLength(), 6u);
  }
}

// A packed list keeps views of its base as offsets and copies any other text, including
// a view that only touches the base's ends; the copies stay right however often their
// buffer moves to grow.
TEST(ValueList, PackedValuesViewTheBaseAndCopyTheRest) {
  const Text base = u"0123456789";
  const Text before = u"xy";
  ValueList values;
  values.packViewsOf(base);
  const TextView whole(base);
  std::vector<Text> expected;
  const auto push = [&](TextView view) {
    values.pushView(view);
    expected.emplace_back(view);
  };
  push(whole.substr(2, 3));
  push(whole);
  push(whole.substr(10));  // empty, at the very end
  push(before);            // another text
  for (int i = 0; i < 200; ++i) values.push_back(Text(static_cast<std::size_t>(i % 7), u'a'));
  for (int i = 0; i < 200; ++i) expected.emplace_back(static_cast<std::size_t>(i % 7), u'a');
  ASSERT_EQ(values.size(), expected.size());
  for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(values[i], expected[i]) << i;
  EXPECT_EQ(values[0].data(), base.data() + 2);  // viewed, not copied
  if (ValueList::kPackingPays) {
    EXPECT_NE(values[3].data(), before.data());  // copied
  }

  ValueList pairs;
  pairs.packViewsOf(base);
  pairs.pushPair(whole.substr(0, 1), before);
  pairs.pushPair(before, whole.substr(9));
  Text joined;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    pairs.forEachPiece(i, [&](TextView piece) { joined += piece; });
  }
  EXPECT_EQ(joined,
            u"0\x0001xyxy\x0001"
            u"9");
}

}  // namespace
}  // namespace orrery

#include "protocol/response_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "encoding/charset_bridge.h"

namespace orrery {
namespace {

struct ResponseCase {
  const char* name;
  std::int32_t status;
  Text result;
  std::vector<Text> values;
  Text expected;
  std::int32_t finalStatus;
};

TEST(ResponseBuilder, WritesStatusLineAndForOkTheResultAndValues) {
  const ResponseCase cases[] = {
      {"empty answer becomes 204", 0, u"", {}, u"SAORI/1.0 204 No Content\r\n", 1},
      {"values without a result keep an empty Result line",
       0,
       u"",
       {u"a", u"b"},
       u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: a\r\nValue1: b\r\n",
       0},
      {"result alone", 0, u"r", {}, u"SAORI/1.0 200 OK\r\nResult: r\r\n", 0},
      {"an empty value still counts as output",
       0,
       u"",
       {u""},
       u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: \r\n",
       0},
      {"400 discards result and values", 2, u"r", {u"v"}, u"SAORI/1.0 400 Bad Request\r\n", 2},
      {"explicit 204", 1, u"r", {}, u"SAORI/1.0 204 No Content\r\n", 1},
      {"3 is an internal error", 3, u"", {}, u"SAORI/1.0 500 Internal Server Error\r\n", 3},
      {"any other status is an internal error",
       -7,
       u"",
       {},
       u"SAORI/1.0 500 Internal Server Error\r\n",
       -7},
      {"texts are copied unescaped",
       0,
       u"a\x0002"
       u"b\x0001",
       {u"x\ry"},
       u"SAORI/1.0 200 OK\r\nResult: a\x0002"
       u"b\x0001\r\nValue0: x\ry\r\n",
       0},
  };
  for (const ResponseCase& c : cases) {
    SCOPED_TRACE(c.name);
    SaoriRequest record;
    record.status = c.status;
    record.result = c.result;
    for (const Text& v : c.values) record.values.push_back(v);
    Text out;
    EXPECT_TRUE(buildResponse(record, out));
    EXPECT_EQ(out, c.expected);
    EXPECT_EQ(record.status, c.finalStatus);
  }
}

TEST(ResponseBuilder, NumbersValueLinesAcrossDigitBoundaries) {
  // 1001 values cross the one-, two-, three- and four-digit names; the reservation is
  // computed from those lengths, so a miscount would show as a wrong size here.
  SaoriRequest record;
  Text expected = u"SAORI/1.0 200 OK\r\nResult: \r\n";
  for (int i = 0; i <= 1000; ++i) {
    record.values.push_back(u"v");
    Text n;
    for (char c : std::to_string(i)) n.push_back(static_cast<char16_t>(c));
    expected += u"Value" + n + u": v\r\n";
  }
  Text out;
  buildResponse(record, out);
  EXPECT_EQ(out, expected);
}

TEST(ResponseBuilder, AppendsToWhatTheTargetHolds) {
  SaoriRequest record;
  record.result = u"r";
  Text out = u"X";
  buildResponse(record, out);
  EXPECT_EQ(out, u"XSAORI/1.0 200 OK\r\nResult: r\r\n");
}

void* mallocBlock(std::size_t bytes) noexcept { return std::malloc(bytes); }
void freeBlock(void* block) noexcept { std::free(block); }

// Takes the Values' block over with realloc, as the exports do; has no other room.
template <typename Unit>
struct OverValuesOutput final : ResponseOutput<Unit> {
  ~OverValuesOutput() { std::free(block); }
  Unit* allocate(std::size_t) override { return nullptr; }
  Unit* allocateOver(ScratchMemory::Block& taken, std::size_t units) override {
    size = units;
    return block = static_cast<Unit*>(std::realloc(taken.bytes.release(), units * sizeof(Unit)));
  }
  void shrink(std::size_t units) override { size = units; }
  Unit* block = nullptr;
  std::size_t size = 0;
};

// Where two answers first differ, npos when they do not: a readable failure, even for
// answers of megabytes.
template <typename Unit, typename String>
std::size_t firstDifference(const Unit* block, std::size_t size, const String& expected) {
  const Unit* at = std::mismatch(block, block + size, expected.begin(), expected.end()).first;
  return size == expected.size() && at == block + size ? String::npos
                                                       : static_cast<std::size_t>(at - block);
}

// The answer written over the block of its own Values, which move to the end of it, is
// the answer written into a fresh block, in UTF-16, UTF-8 and Shift_JIS: the writer
// never overtakes a value it has yet to read, down to the shortest lines (empty values)
// and across growing line names. Large Values of a UTF-8 or Shift_JIS answer, whose
// room is then only a bound, are moved aside instead.
TEST(ResponseBuilder, AnswerOverItsValuesBlockIsTheFreshAnswer) {
  const Text base = u"alpha;b;;";
  const TextView in = base;
  const Text elsewhere = u"copied";
  std::vector<TextView> mixed;
  for (int i = 0; i < 300; ++i) mixed.push_back(i % 3 == 0 ? elsewhere : in.substr(i % 7, 1));
  const struct {
    const char* name;
    std::vector<TextView> views;  // of `base`, or copied
    bool pairs;
  } cases[] = {
      {"one empty value", {in.substr(8, 0)}, false},
      {"1001 empty values", std::vector<TextView>(1001, in.substr(8, 0)), false},
      {"a megabyte of values", std::vector<TextView>(140000, in.substr(1, 1)), false},
      {"views and copies", mixed, false},
      {"pairs with empty parts",
       {in.substr(0, 5), in.substr(8, 0), in.substr(6, 1), in.substr(9)},
       true},
      {"many pairs", std::vector<TextView>(80000, in.substr(0, 2)), true},
      {"japanese copies", std::vector<TextView>(500, TextView(u"日本ｱ語")), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchMemory scratch(BlockSource{&mallocBlock, &freeBlock});
    SaoriRequest fresh;
    SaoriRequest record(&scratch);
    SaoriRequest fresh8;  // answered in UTF-8, where a line may be as short as a value
    SaoriRequest record8(&scratch);
    SaoriRequest freshSjis;
    SaoriRequest recordSjis(&scratch);
    for (SaoriRequest* r : {&fresh, &record, &fresh8, &record8, &freshSjis, &recordSjis}) {
      r->charset = r == &freshSjis || r == &recordSjis ? u"Shift_JIS" : u"UTF-8";
      r->values.packViewsOf(in);
      for (std::size_t i = 0; i < c.views.size(); ++i) {
        if (!c.pairs) r->values.pushView(c.views[i]);
        if (c.pairs && i % 2 == 1) r->values.pushPair(c.views[i - 1], c.views[i]);
      }
    }
    Text expected;
    buildResponse(fresh, expected);
    OverValuesOutput<char16_t> out;
    ASSERT_TRUE(buildResponse(record, out, AnswerRoom::kOverValues));
    EXPECT_EQ(firstDifference(out.block, out.size, expected), Text::npos);
    Bytes expected8;
    buildResponse8(fresh8, expected8);
    OverValuesOutput<char> out8;
    ASSERT_TRUE(buildResponse8(record8, out8, AnswerRoom::kOverValues));
    EXPECT_EQ(firstDifference(out8.block, out8.size, expected8), Bytes::npos);
    Bytes expectedSjis;
    buildResponse8(freshSjis, expectedSjis);
    OverValuesOutput<char> outSjis;
    ASSERT_TRUE(buildResponse8(recordSjis, outSjis, AnswerRoom::kOverValues));
    EXPECT_EQ(firstDifference(outSjis.block, outSjis.size, expectedSjis), Bytes::npos);
  }
}

}  // namespace
}  // namespace orrery

#include "protocol/response_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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

// Takes the Values' block over with realloc, as the exports do with the host's
// allocator.
class OverValuesOutput final : public ResponseOutput<char16_t> {
 public:
  ~OverValuesOutput() { std::free(block_); }
  char16_t* allocate(std::size_t units) override { return take(std::malloc(units * 2), units); }
  char16_t* allocateOver(ScratchMemory::Block& block, std::size_t units) override {
    void* grown = std::realloc(block.bytes.get(), units * 2);
    if (grown == nullptr) return nullptr;
    static_cast<void>(block.bytes.release());
    tookOver = true;
    return take(grown, units);
  }
  Text text() const { return Text(block_, units_); }
  bool tookOver = false;

 private:
  char16_t* take(void* block, std::size_t units) {
    std::free(block_);
    block_ = static_cast<char16_t*>(block);
    units_ = units;
    return block_;
  }
  char16_t* block_ = nullptr;
  std::size_t units_ = 0;
};

// The answer written over the block of its own Values, which move to the end of it, is
// the answer written into a fresh block: the writer never overtakes a value it has yet
// to read, down to the shortest lines (empty values) and across growing line names.
TEST(ResponseBuilder, AnswerOverItsValuesBlockIsTheFreshAnswer) {
  const Text base = u"alpha;b;;copy";
  const TextView in = base;
  struct Case {
    const char* name;
    std::vector<TextView> views;  // of `base`, except "copy" elsewhere
    bool pairs;
  };
  const Text elsewhere = u"elsewhere";
  std::vector<TextView> empties(1001, in.substr(8, 0));
  std::vector<TextView> mixed;
  for (int i = 0; i < 300; ++i)
    mixed.push_back(i % 3 == 0 ? TextView(elsewhere) : in.substr(i % 7, 1));
  const Case cases[] = {
      {"one empty value", {in.substr(8, 0)}, false},
      {"1001 empty values", empties, false},
      {"views and copies", mixed, false},
      {"pairs with empty parts",
       {in.substr(0, 5), in.substr(8, 0), in.substr(6, 1), in.substr(7, 0)},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchMemory scratch(BlockSource{&mallocBlock, &freeBlock});
    const auto fill = [&](SaoriRequest& record) {
      record.values.packViewsOf(in);
      for (std::size_t i = 0; i < c.views.size(); i += c.pairs ? 2 : 1) {
        if (c.pairs) {
          record.values.pushPair(c.views[i], c.views[i + 1]);
        } else {
          record.values.pushView(c.views[i]);
        }
      }
    };
    SaoriRequest fresh;
    fill(fresh);
    Text expected;
    buildResponse(fresh, expected);
    SaoriRequest record(&scratch);
    fill(record);
    OverValuesOutput out;
    ASSERT_TRUE(buildResponse(record, out, AnswerRoom::kOverValues));
    EXPECT_TRUE(out.tookOver);
    EXPECT_EQ(out.text(), expected);
  }
}

}  // namespace
}  // namespace orrery

#include "protocol/unit_search.h"

#include <gtest/gtest.h>

namespace orrery {
namespace {

// Four units are tested at once, so matches and near-misses sit at every lane and
// across word boundaries; units that differ from CR in one byte only must not match.
TEST(FindUnit, AgreesWithTheStandardSearchFromEveryStart) {
  const Text texts[] = {
      u"",
      u"\r",
      u"abc\r",
      u"abcd\r",
      u"abcdefg\rxyz\r",
      u"\x0D0D\x0C0D\x010D\xFF0D\x0D00\x000C\x000E\x8D0D",  // no CR at all
      u"\x0D0D\x0C0D\x010D\xFF0D\x0D00\x000C\x000E\x8D0D\r",
      u"\r\r\r\r\r\r\r\r\r",
  };
  for (const Text& text : texts) {
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      SCOPED_TRACE(testing::Message() << "length " << text.size() << ", from " << from);
      EXPECT_EQ(findUnit(text, u'\r', from), TextView(text).find(u'\r', from));
    }
  }
}

TEST(PutUnits, CopiesEveryLengthExactly) {
  Text source;
  for (char16_t c = 1; c <= 40; ++c) source.push_back(static_cast<char16_t>(0x3000 + c));
  for (std::size_t n = 0; n <= source.size(); ++n) {
    SCOPED_TRACE(n);
    Text out(n + 2, u'#');  // guards on both sides
    char16_t* end = putUnits(out.data() + 1, TextView(source).substr(0, n));
    EXPECT_EQ(end, out.data() + 1 + n);
    EXPECT_EQ(out, u"#" + source.substr(0, n) + u"#");
  }
}

TEST(StartsWith, ComparesWholeUnits) {
  EXPECT_TRUE(startsWith(u"EXECUTE SAORI/1.0", u"EXECUTE SAORI/"));
  EXPECT_FALSE(startsWith(u"EXECUTE SAORI", u"EXECUTE SAORI/"));
  EXPECT_FALSE(startsWith(u"\x0145", u"\x4501"));  // the same bytes in the other order
  EXPECT_TRUE(startsWith(TextView(), TextView()));
  EXPECT_TRUE(sameUnits(u"sort", u"sort"));
  EXPECT_FALSE(sameUnits(u"sort", u"sorted"));
  EXPECT_FALSE(sameUnits(TextView(), u"sort"));
}

}  // namespace
}  // namespace orrery

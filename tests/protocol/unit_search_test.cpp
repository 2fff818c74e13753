#include "protocol/unit_search.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Matches are counted eight units at a time in lanes that are added up every so often:
// every tail length, near-misses, and a run of matches long enough to overflow a lane
// that was added up too late.
TEST(CountUnit, AgreesWithTheStandardCount) {
  Text texts[] = {
      u"",
      u"\x0002",
      u"a\x0002"
      u"b\x0002\x0002"
      u"cdefgh\x0002"
      u"ij",
      u"\x0202\x0200\x0003\x8002\xFF02\x0102\x0012\x2002\x0002",
      Text(300000, u'\x0002'),
  };
  texts[4][123456] = u'x';
  for (const Text& text : texts) {
    for (std::size_t cut = 0; cut <= 9 && cut <= text.size(); ++cut) {
      const TextView view = TextView(text).substr(cut);
      SCOPED_TRACE(testing::Message() << "length " << view.size());
      EXPECT_EQ(countUnit(view, u'\x0002'),
                static_cast<std::size_t>(std::count(view.begin(), view.end(), u'\x0002')));
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

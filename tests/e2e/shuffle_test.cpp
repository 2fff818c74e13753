#include <algorithm>
#include <set>
#include <string>

#include "module_fixture.h"

namespace orrery::test {
namespace {

using ShuffleTest = ModuleTest;

// Requests and responses here write the list separator as '|'.
template <typename String>
String separated(String text) {
  for (auto& c : text) {
    if (c == '|') c = 2;
  }
  return text;
}

TEST_F(ShuffleTest, ShuffleAnswersOnBothEntries) {
  // Two items always come out exchanged, three in one of the two rotations, whatever
  // the tick count seeded.
  EXPECT_EQ(module().requestw(separated<std::u16string>(
                u"EXECUTE SAORI/1.0\r\nArgument0: shuffle\r\nArgument1: a|b\r\n\r\n")),
            u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: b\r\nValue1: a\r\n");
  const std::string rotated = module().request(separated<std::string>(
      "EXECUTE SAORI/1.0\r\nArgument0: shuffle\r\nArgument1: a|b|c\r\n\r\n"));
  const std::string head = "SAORI/1.0 200 OK\r\nResult: \r\n";
  const std::string tail = "Charset: Shift_JIS\r\n\r\n";
  EXPECT_TRUE(rotated == head + "Value0: b\r\nValue1: c\r\nValue2: a\r\n" + tail ||
              rotated == head + "Value0: c\r\nValue1: a\r\nValue2: b\r\n" + tail)
      << rotated;
  EXPECT_EQ(module().requestw(u"EXECUTE SAORI/1.0\r\nArgument0: shuffle\r\nArgument1: \r\n\r\n"),
            u"SAORI/1.0 204 No Content\r\n");
}

TEST_F(ShuffleTest, ShuffleNAnswersOnBothEntries) {
  // Two values come back in either order; over 40 draws both orders show up (a miss has
  // a chance of 2^-39).
  const std::u16string wide = u"EXECUTE SAORI/1.0\r\nArgument0: shuffle_n\r\nArgument1: 2\r\n\r\n";
  const std::string narrow = "EXECUTE SAORI/1.0\r\nArgument0: shuffle_n\r\nArgument1: 2\r\n\r\n";
  std::set<std::string> orders;
  for (int i = 0; i < 20; ++i) {
    const std::u16string w = module().requestw(wide);
    const std::string n = module().request(narrow);
    for (const std::string& order :
         {std::string("0\r\nValue1: 1"), std::string("1\r\nValue1: 0")}) {
      if (w == u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: " +
                   std::u16string(order.begin(), order.end()) + u"\r\n") {
        orders.insert(order);
      }
      if (n ==
          "SAORI/1.0 200 OK\r\nResult: \r\nValue0: " + order + "\r\nCharset: Shift_JIS\r\n\r\n") {
        orders.insert(order);
      }
    }
  }
  EXPECT_EQ(orders.size(), 2u);

  std::u16string joined = module().requestw(
      u"EXECUTE SAORI/1.0\r\nArgument0: shuffle_n\r\nArgument1: 3\r\nArgument5: s\r\n\r\n");
  const std::u16string head = u"SAORI/1.0 200 OK\r\nResult: ";
  ASSERT_EQ(joined.substr(0, head.size()), head);
  std::u16string digits = joined.substr(head.size());
  std::sort(digits.begin(), digits.end());
  EXPECT_EQ(digits, separated<std::u16string>(u"|||\n\r012"));
  EXPECT_EQ(
      module().requestw(
          u"EXECUTE SAORI/1.0\r\nArgument0: shuffle_n\r\nArgument1: 3\r\nArgument3: 0\r\n\r\n"),
      u"SAORI/1.0 400 Bad Request\r\n");
}

}  // namespace
}  // namespace orrery::test

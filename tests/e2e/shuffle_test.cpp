#include <string>

#include "module_fixture.h"

namespace orrery::test {
namespace {

using ShuffleTest = ModuleTest;

TEST_F(ShuffleTest, ShuffleAnswersOnBothEntries) {
  // Two items always come out exchanged, whatever the tick count seeded.
  EXPECT_EQ(module().requestw(u"EXECUTE SAORI/1.0\r\nArgument0: shuffle\r\n"
                              u"Argument1: a\x02"
                              u"b\r\n\r\n"),
            u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: b\r\nValue1: a\r\n");
  const std::string rotated = module().request(
      "EXECUTE SAORI/1.0\r\nArgument0: shuffle\r\nArgument1: a\x02"
      "b\x02"
      "c\r\n\r\n");
  const std::string head = "SAORI/1.0 200 OK\r\nResult: \r\n";
  const std::string tail = "Charset: Shift_JIS\r\n\r\n";
  EXPECT_TRUE(rotated == head + "Value0: b\r\nValue1: c\r\nValue2: a\r\n" + tail ||
              rotated == head + "Value0: c\r\nValue1: a\r\nValue2: b\r\n" + tail)
      << rotated;
  EXPECT_EQ(module().requestw(u"EXECUTE SAORI/1.0\r\nArgument0: shuffle\r\nArgument1: \r\n\r\n"),
            u"SAORI/1.0 204 No Content\r\n");
}

TEST_F(ShuffleTest, ShuffleNAnswersOnBothEntries) {
  const std::u16string wide = u"EXECUTE SAORI/1.0\r\nArgument0: shuffle_n\r\nArgument1: 2\r\n\r\n";
  const std::u16string expected = u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: 1\r\nValue1: 0\r\n";
  EXPECT_EQ(module().requestw(wide), expected);
  EXPECT_EQ(module().requestw(wide), expected);
  const std::string narrow = "EXECUTE SAORI/1.0\r\nArgument0: shuffle_n\r\nArgument1: 2\r\n\r\n";
  EXPECT_EQ(module().request(narrow),
            "SAORI/1.0 200 OK\r\nResult: \r\nValue0: 1\r\nValue1: 0\r\n"
            "Charset: Shift_JIS\r\n\r\n");

  const std::u16string joined = module().requestw(
      u"EXECUTE SAORI/1.0\r\nArgument0: shuffle_n\r\nArgument1: 3\r\nArgument5: s\r\n\r\n");
  EXPECT_TRUE(joined ==
                  u"SAORI/1.0 200 OK\r\nResult: 1\x02"
                  u"2\x02"
                  u"0\x02\r\n" ||
              joined ==
                  u"SAORI/1.0 200 OK\r\nResult: 2\x02"
                  u"0\x02"
                  u"1\x02\r\n");
  EXPECT_EQ(
      module().requestw(
          u"EXECUTE SAORI/1.0\r\nArgument0: shuffle_n\r\nArgument1: 3\r\nArgument3: 0\r\n\r\n"),
      u"SAORI/1.0 400 Bad Request\r\n");
}

}  // namespace
}  // namespace orrery::test

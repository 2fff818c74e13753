#include <cstring>

#include "module_fixture.h"

namespace orrery::test {
namespace {

using ExportsTest = ModuleTest;

TEST_F(ExportsTest, VersionQueryAnswers204OnBothEntries) {
  EXPECT_EQ(module().requestw(u"GET Version SAORI/1.0\r\n\r\n"), u"SAORI/1.0 204 No Content\r\n");
  EXPECT_EQ(module().request("GET Version SAORI/1.0\r\n\r\n"),
            "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n");
}

}  // namespace
}  // namespace orrery::test

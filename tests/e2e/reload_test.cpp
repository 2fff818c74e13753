#include <gtest/gtest.h>

#include "module_loader.h"

namespace orrery::test {
namespace {

// A host may load and unload the library many times in one process. Each cycle runs the
// code page conversions both ways; whatever they keep must go with the library, which
// the leak checker of the sanitizer build verifies at exit.
TEST(Reload, CodePageConvertersAreReleasedWithTheLibrary) {
  for (int cycle = 0; cycle < 3; ++cycle) {
    SCOPED_TRACE(cycle);
    host::ModuleLoader module(ORRERY_MODULE_PATH);
    ASSERT_TRUE(module.ok()) << module.error();
    ASSERT_EQ(module.load("./"), 1);
    EXPECT_EQ(module.request("GET Version SAORI/1.0\r\n\r\n"),
              "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n");
    EXPECT_EQ(module.unload(), 1);
    // load after unload starts the module afresh.
    ASSERT_EQ(module.load("./"), 1);
    EXPECT_EQ(module.requestw(u"GET Version SAORI/1.0\r\n\r\n"), u"SAORI/1.0 204 No Content\r\n");
    EXPECT_EQ(module.unload(), 1);
  }
}

}  // namespace
}  // namespace orrery::test

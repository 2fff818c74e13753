#include "module/module_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace orrery {
namespace {

TEST(ModuleCore, RegistersExactlyTheNineCommandsWithTheirListCounts) {
  ModuleCore core(nullptr);
  std::vector<std::pair<Text, std::uint32_t>> registered;
  for (const auto& [name, entry] : core.registry().entries()) {
    registered.emplace_back(name, entry->listArgumentCount());
  }
  // In name order, code unit by code unit.
  const std::vector<std::pair<Text, std::uint32_t>> expected = {
      {u"difference", 2},
      {u"intersection", 2},
      {u"make_pair", 2},
      {u"shuffle", 1},
      {u"shuffle_n", 1},
      {u"sort", 1},
      {u"symmetric_difference", 2},
      {u"union", 2},
      {u"unique", 1},
  };
  EXPECT_EQ(registered, expected);
}

TEST(ModuleCore, LoadAndUnloadSucceedWhateverThePath) {
  ModuleCore core(nullptr);
  EXPECT_TRUE(core.load(""));
  EXPECT_TRUE(core.load("C:\\ghost\\"));
  EXPECT_TRUE(core.unload());
  // The object keeps answering: only the exports decide what unload means to a host.
  Text out;
  EXPECT_TRUE(core.requestw(u"GET Version SAORI/1.0\r\n\r\n", out));
  EXPECT_EQ(out, u"SAORI/1.0 204 No Content\r\n");
}

}  // namespace
}  // namespace orrery

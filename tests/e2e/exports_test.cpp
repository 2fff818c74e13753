// The four entry points, driven as a host drives them.
#include <cstring>

#include "module_fixture.h"

namespace orrery::test {
namespace {

using host::ModuleLoader;

using ExportsTest = ModuleTest;

TEST_F(ExportsTest, VersionQueryAnswers204OnBothEntries) {
  EXPECT_EQ(module().requestw(u"GET Version SAORI/1.0\r\n\r\n"), u"SAORI/1.0 204 No Content\r\n");
  EXPECT_EQ(module().request("GET Version SAORI/1.0\r\n\r\n"),
            "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n");
}

TEST_F(ExportsTest, MalformedRequestsAnswer400) {
  EXPECT_EQ(module().requestw(u"GET Version SAORI/1.0\r\n"), u"SAORI/1.0 400 Bad Request\r\n");
  EXPECT_EQ(module().requestw(u"HELLO\r\n\r\n"), u"SAORI/1.0 400 Bad Request\r\n");
  EXPECT_EQ(module().request("EXECUTE SAORI/1.0\r\nArgument0: nothing\r\nArgument1: x\r\n\r\n"),
            "SAORI/1.0 400 Bad Request\r\nCharset: Shift_JIS\r\n\r\n");
}

TEST_F(ExportsTest, EmptyRequestAnswers400InShiftJis) {
  const std::string expected = "SAORI/1.0 400 Bad Request\r\nCharset: Shift_JIS\r\n\r\n";
  long length = 0;
  void* response = module().rawRequest(ModuleLoader::allocateBlock(0), &length);
  ASSERT_NE(response, nullptr);
  ASSERT_EQ(length, static_cast<long>(expected.size()));
  EXPECT_EQ(std::string(static_cast<char*>(response), static_cast<std::size_t>(length)), expected);
  ModuleLoader::freeBlock(response);
  EXPECT_EQ(module().requestw(u""), u"SAORI/1.0 400 Bad Request\r\n");
}

TEST_F(ExportsTest, NegativeLengthOrNullBlockIsAnEmptyRequest) {
  long length = -5;
  void* response = module().rawRequestw(ModuleLoader::allocateBlock(16), &length);
  ASSERT_NE(response, nullptr);
  const std::u16string expected = u"SAORI/1.0 400 Bad Request\r\n";
  ASSERT_EQ(length, static_cast<long>(expected.size()));
  EXPECT_EQ(std::memcmp(response, expected.data(), expected.size() * 2), 0);
  ModuleLoader::freeBlock(response);

  length = 10;
  response = module().rawRequest(nullptr, &length);
  ASSERT_NE(response, nullptr);
  EXPECT_EQ(std::string(static_cast<char*>(response), static_cast<std::size_t>(length)),
            "SAORI/1.0 400 Bad Request\r\nCharset: Shift_JIS\r\n\r\n");
  ModuleLoader::freeBlock(response);
}

TEST_F(ExportsTest, WideBlocksHoldTwiceTheLengthAsLittleEndianUnits) {
  const std::u16string text = u"GET Version SAORI/1.0\r\n\r\n";
  void* block = ModuleLoader::allocateBlock(text.size() * 2);
  auto* bytes = static_cast<unsigned char*>(block);
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<unsigned char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(text[i] >> 8);
  }
  long length = static_cast<long>(text.size());
  void* response = module().rawRequestw(block, &length);
  ASSERT_NE(response, nullptr);
  const std::string expected = "SAORI/1.0 204 No Content\r\n";
  ASSERT_EQ(length, static_cast<long>(expected.size()));
  const auto* out = static_cast<const unsigned char*>(response);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(out[2 * i], static_cast<unsigned char>(expected[i]));
    EXPECT_EQ(out[2 * i + 1], 0);
  }
  ModuleLoader::freeBlock(response);
}

TEST_F(ExportsTest, AfterUnloadTheNextRequestStartsAFreshModule) {
  EXPECT_EQ(module().unload(), 1);
  EXPECT_EQ(module().unload(), 1);  // a second unload changes nothing

  // A host that finds the library already mapped sends requests without load.
  long length = 0;
  void* response = module().rawRequest(ModuleLoader::allocateBlock(0), &length);
  ASSERT_NE(response, nullptr);
  EXPECT_EQ(std::string(static_cast<char*>(response), static_cast<std::size_t>(length)),
            "SAORI/1.0 400 Bad Request\r\nCharset: Shift_JIS\r\n\r\n");
  ModuleLoader::freeBlock(response);
  EXPECT_EQ(module().unload(), 1);
  EXPECT_EQ(module().requestw(u"GET Version SAORI/1.0\r\n\r\n"), u"SAORI/1.0 204 No Content\r\n");
}

TEST_F(ExportsTest, LoadAfterUnloadStartsAFreshModule) {
  for (int cycle = 0; cycle < 3; ++cycle) {
    SCOPED_TRACE(cycle);
    EXPECT_EQ(module().unload(), 1);
    EXPECT_EQ(module().load("C:\\some\\dir"), 1);
    EXPECT_EQ(module().requestw(u"GET Version SAORI/1.0\r\n\r\n"), u"SAORI/1.0 204 No Content\r\n");
  }
}

TEST_F(ExportsTest, LoadAcceptsAnyDirectoryForm) {
  for (const char* dir : {"", "/opt/ghost/", "/opt/ghost", "C:\\ghost\\", "relative"}) {
    SCOPED_TRACE(dir);
    EXPECT_EQ(module().load(dir), 1);
  }
  EXPECT_EQ(module().requestw(u"GET Version SAORI/1.0\r\n\r\n"), u"SAORI/1.0 204 No Content\r\n");
}

}  // namespace
}  // namespace orrery::test

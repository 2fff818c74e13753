// A host with a locale of its own: it sets a German locale (decimal comma), loads the
// module, sends requests and checks that its locale is exactly as it was. The module
// keeps its locale settings private, so nothing it does may show up here.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

#include "module_loader.h"

#if !defined(_WIN32)
#include <locale.h>
#endif

namespace orrery::test {
namespace {

const char* const kGermanLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE"};

struct HostLocale {
  std::string all;
  std::string decimalPoint;
  std::string cppGlobal;
#if !defined(_WIN32)
  bool threadUsesGlobal = true;
#endif

  static HostLocale current() {
    HostLocale now;
    now.all = std::setlocale(LC_ALL, nullptr);
    now.decimalPoint = std::localeconv()->decimal_point;
    now.cppGlobal = std::locale().name();
#if !defined(_WIN32)
    now.threadUsesGlobal = uselocale(static_cast<locale_t>(0)) == LC_GLOBAL_LOCALE;
#endif
    return now;
  }
};

void expectUnchanged(const HostLocale& before, const char* when) {
  SCOPED_TRACE(when);
  const HostLocale now = HostLocale::current();
  EXPECT_EQ(now.all, before.all);
  EXPECT_EQ(now.decimalPoint, before.decimalPoint);
  EXPECT_EQ(now.cppGlobal, before.cppGlobal);
#if !defined(_WIN32)
  EXPECT_TRUE(now.threadUsesGlobal);
#endif
}

TEST(HostLocale, ModuleLeavesTheHostsLocaleAlone) {
  const char* chosen = nullptr;
  for (const char* name : kGermanLocales) {
    if ((chosen = std::setlocale(LC_ALL, name)) != nullptr) break;
  }
  if (chosen == nullptr) {
    GTEST_SKIP() << "no German locale installed (generate one with: "
                    "localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
  }
  const HostLocale before = HostLocale::current();
  ASSERT_EQ(before.decimalPoint, ",");

  {
    host::ModuleLoader module(ORRERY_MODULE_PATH);
    ASSERT_TRUE(module.ok()) << module.error();
    expectUnchanged(before, "after the library was loaded");
    ASSERT_EQ(module.load("./"), 1);
    EXPECT_EQ(module.requestw(u"GET Version SAORI/1.0\r\n\r\n"), u"SAORI/1.0 204 No Content\r\n");
    EXPECT_EQ(module.request("GET Version SAORI/1.0\r\nCharset: Shift_JIS\r\n\r\n"),
              "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n");
    expectUnchanged(before, "after requests");
    EXPECT_EQ(module.unload(), 1);
    expectUnchanged(before, "after unload");
  }
  expectUnchanged(before, "after the library was released");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace orrery::test

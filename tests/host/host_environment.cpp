// A host's own environment: its locale (a German one, with a decimal comma), its
// rounding mode and its stdout and stderr. The module keeps its settings private and
// reports nothing, so nothing it does may show up here.
#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <string>

#include "module_loader.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <locale.h>
#include <unistd.h>
#endif

namespace orrery::test {
namespace {

const char* const kGermanLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE"};

struct HostLocale {
  std::string all;
  std::string decimalPoint;
  std::string cppGlobal;
  int rounding = 0;
#if !defined(_WIN32)
  bool threadUsesGlobal = true;
#endif

  static HostLocale current() {
    HostLocale now;
    now.all = std::setlocale(LC_ALL, nullptr);
    now.decimalPoint = std::localeconv()->decimal_point;
    now.cppGlobal = std::locale().name();
    now.rounding = std::fegetround();
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
  EXPECT_EQ(now.rounding, before.rounding);
#if !defined(_WIN32)
  EXPECT_TRUE(now.threadUsesGlobal);
#endif
}

TEST(HostLocale, ModuleLeavesTheHostsLocaleAlone) {
  const char* chosen = nullptr;
  for (const char* name : kGermanLocales) {
    if ((chosen = std::setlocale(LC_ALL, name)) != nullptr) break;
  }
#if !defined(_WIN32)
  // Not installed on this machine: the locale the build generated, if any.
  const char* generated = std::getenv("ORRERY_TEST_LOCPATH");
  if (chosen == nullptr && generated != nullptr && setenv("LOCPATH", generated, 1) == 0) {
    chosen = std::setlocale(LC_ALL, kGermanLocales[0]);
    // Only for the host's own setlocale: glibc's newlocale, which the module calls at
    // load, leaks its copy of the search path whenever LOCPATH is set.
    unsetenv("LOCPATH");
  }
#endif
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
    // Float keys are read with the module's own decimal point (the user's default, a
    // full stop in the test's environment), never with the host's comma.
    EXPECT_EQ(module.requestw(u"EXECUTE SAORI/1.0\r\nArgument0: sort\r\n"
                              u"Argument1: 1.5\x0002-2.25\x0002"
                              u"1e1\r\nArgument2: F\r\n\r\n"),
              u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: -2.25\r\nValue1: 1.5\r\nValue2: 1e1\r\n");
    EXPECT_EQ(module.requestw(u"EXECUTE SAORI/1.0\r\nArgument0: sort\r\n"
                              u"Argument1: 1,5\r\nArgument2: F\r\n\r\n"),
              u"SAORI/1.0 400 Bad Request\r\n");
    expectUnchanged(before, "after requests");
    EXPECT_EQ(std::strtod("1,5", nullptr), 1.5);  // the host still reads its own numbers
    EXPECT_EQ(module.unload(), 1);
    expectUnchanged(before, "after unload");
  }
  expectUnchanged(before, "after the library was released");
  std::setlocale(LC_ALL, "C");
}

#if !defined(_WIN32)
// Run alone, in a process started under a German LC_ALL: the decimal point is taken when
// the library is mapped, so neither a changed environment nor unload and load change it.
TEST(HostLocale, DecimalPointIsTakenWhenTheLibraryIsMapped) {
  const char* locales = std::getenv("LOCPATH");
  if (std::getenv("ORRERY_TEST_DECIMAL_COMMA") == nullptr || locales == nullptr) {
    GTEST_SKIP() << "run on its own";
  }
  const std::string environment = std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "";
  if (std::FILE* generated =
          std::fopen((std::string(locales) + "/" + environment + "/LC_NUMERIC").c_str(), "rb")) {
    std::fclose(generated);
  } else {
    GTEST_SKIP() << "the German locale was not generated";
  }
  const std::u16string sort =
      u"EXECUTE SAORI/1.0\r\nArgument0: sort\r\nArgument1: 1,5\r\nArgument2: F\r\n\r\n";
  const std::u16string sorted = u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: 1,5\r\n";

  host::ModuleLoader module(ORRERY_MODULE_PATH);
  ASSERT_TRUE(module.ok()) << module.error();
  ASSERT_EQ(module.load("./"), 1);
  EXPECT_EQ(module.requestw(sort), sorted);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(module.unload(), 1);
  ASSERT_EQ(module.load("./"), 1);
  EXPECT_EQ(module.requestw(sort), sorted);
  EXPECT_EQ(module.unload(), 1);
  setenv("LC_ALL", environment.c_str(), 1);
}
#endif

#if defined(_WIN32)
int duplicate(int fd) { return _dup(fd); }
int redirect(int from, int to) { return _dup2(from, to); }
int closeFd(int fd) { return _close(fd); }
#else
int duplicate(int fd) { return dup(fd); }
int redirect(int from, int to) { return dup2(from, to); }
int closeFd(int fd) { return close(fd); }
#endif

// Sends stdout and stderr to a file while alive; written() tells how much arrived there.
class CapturedOutput {
 public:
  CapturedOutput() : file_(std::tmpfile()) {
    if (file_ == nullptr) return;
    std::fflush(stdout);
    std::fflush(stderr);
    savedOut_ = duplicate(1);
    savedErr_ = duplicate(2);
    redirect(fileno(file_), 1);
    redirect(fileno(file_), 2);
  }
  ~CapturedOutput() {
    restore();
    if (file_ != nullptr) std::fclose(file_);
  }
  bool ok() const { return file_ != nullptr && savedOut_ >= 0 && savedErr_ >= 0; }
  long written() {
    restore();
    std::fseek(file_, 0, SEEK_END);
    return std::ftell(file_);
  }

 private:
  void restore() {
    if (savedOut_ < 0) return;
    std::fflush(stdout);
    std::fflush(stderr);
    redirect(savedOut_, 1);
    redirect(savedErr_, 2);
    closeFd(savedOut_);
    closeFd(savedErr_);
    savedOut_ = savedErr_ = -1;
  }
  std::FILE* file_;
  int savedOut_ = -1;
  int savedErr_ = -1;
};

TEST(HostOutput, ModuleWritesNothingToStdoutOrStderr) {
  CapturedOutput output;
  ASSERT_TRUE(output.ok());
  {
    host::ModuleLoader module(ORRERY_MODULE_PATH);
    ASSERT_TRUE(module.ok()) << module.error();
    module.load("./");
    // Refusals and odd input too: nothing is logged or reported anywhere.
    module.requestw(u"GET Version SAORI/1.0\r\n\r\n");
    module.requestw(u"EXECUTE SAORI/1.0\r\nArgument0: nosuch\r\n");
    module.request(
        "EXECUTE SAORI/1.0\r\nCharset: UTF-8\r\nArgument0: sort\r\n"
        "Argument1: \xFF\xC3\r\n\r\n");
    module.request(std::string("\x82\x00\x81", 3));
    module.unload();
    module.unload();
  }
  EXPECT_EQ(output.written(), 0);
}

}  // namespace
}  // namespace orrery::test

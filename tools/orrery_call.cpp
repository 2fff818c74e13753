// orrery-call: sends one request to a built Orrery module and prints the answer.
// The reference of options and commands is docs/commands.md (also --help, help COMMAND).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "call_options.h"
#include "call_session.h"
#include "command_reference.h"
#include "core_seam.h"
#include "list_input.h"
#include "markdown_text.h"
#include "refusal_hints.h"
#include "request_text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

using namespace orrery::host;

constexpr const char* kUsage =
    "usage: orrery-call [OPTION...] COMMAND [ARGUMENT...]\n"
    "       orrery-call [OPTION...] --get-version\n"
    "       orrery-call [--module PATH] [--entry w|8] --raw < request > response\n"
    "       orrery-call help [COMMAND] | --help | --version\n";

constexpr const char* kOptions =
    "Options (anywhere before --; after the command name only the -- forms):\n"
    "  --module PATH     the module to load (default: %s)\n"
    "  --entry w|8       requestw (UTF-16) or request (8-bit); default: requestw, or for\n"
    "                    a list from a file or over 64 KiB, request with UTF-8\n"
    "                    (not with --output raw)\n"
    "  --charset NAME    8-bit entry in Shift_JIS, UTF-8, EUC-JP or ISO-2022-JP, in any\n"
    "                    spelling the module reads (SJIS, CP932, UTF8, EUCJP, any case)\n"
    "  --output text|lines|raw\n"
    "                    text: the answer, escaped (default); lines: the Result's items\n"
    "                    and the Values, one per line; raw: the response bytes unchanged\n"
    "  --lines           an @FILE argument holds one item per line\n"
    "  --raw             send standard input unchanged, write the response unchanged\n"
    "  --get-version     send the version query (GET Version) to the module\n"
    "  --version         print the versions of the tool and of the project\n"
    "  --help            this text;  help COMMAND: the command's full reference, in\n"
    "                    Japanese when the locale is (LC_ALL, LC_MESSAGES or LANG ja_*);\n"
    "                    help is UTF-8, or Shift_JIS or EUC-JP when the locale's codeset\n"
    "                    is (ja_JP.SJIS, ja_JP.eucJP)\n"
    "Arguments: \\1 \\2 are U+0001 U+0002; also \\\\ \\t \\n \\r \\xHH \\uHHHH.\n"
    "@FILE reads an argument from a UTF-8 file, @- from standard input, with the escapes;\n"
    "@@FILE and @@- read it literally (a backslash is a backslash).\n"
    "Exit status: 0 for a 2xx answer, 1 for any other, 2 for a usage or loading error.\n"
    "Standard error adds a hint to a 400, a warning for characters the 8-bit charset\n"
    "cannot carry and a note for option letters the command ignores; none of them\n"
    "changes the exit status.\n"
    "\nCommands:\n";

// The folder of the running program with its trailing separator, empty when unknown.
std::string programDirectory() {
#ifdef _WIN32
  char path[MAX_PATH];  // ANSI, as LoadLibraryA takes it
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return {};
  const std::string program(path, length);
#else
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) == sizeof path) return {};
  const std::string program(path, static_cast<std::size_t>(length));
#endif
  const std::size_t slash = program.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

bool fileExists(const std::string& path) { return openForReading(path) != nullptr; }

// The module installed beside the tool, then the one it was built with; failing both,
// the soname, which the run path ($ORIGIN-relative) and the system's search resolve.
std::string defaultModule() {
  const std::string directory = programDirectory();
  if (!directory.empty() && fileExists(directory + ORRERY_INSTALLED_MODULE))
    return directory + ORRERY_INSTALLED_MODULE;
#ifndef _WIN32
  if (!fileExists(ORRERY_DEFAULT_MODULE)) return ORRERY_MODULE_SONAME;
#endif
  return ORRERY_DEFAULT_MODULE;
}

// One line: the cause is what the user needs; the usage block is a --help away.
int usageError(const std::string& message) {
  std::fprintf(stderr, "orrery-call: %s; see orrery-call --help\n", message.c_str());
  return 2;
}

// help COMMAND follows the user's locale: Japanese for ja_JP and the like.
Language helpLanguage() {
  const auto fromEnvironment = localeLanguage([](const char* name) { return std::getenv(name); });
  if (fromEnvironment) return *fromEnvironment;
#ifdef _WIN32
  if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE) return Language::kJapanese;
#endif
  return Language::kEnglish;
}

// Help is written in UTF-8, or in the locale's Japanese charset when that is Shift_JIS
// or EUC-JP, so that a terminal set up for one of them shows it.
void writeHelpText(std::string_view text) {
  const std::string charset = localeTextCharset([](const char* name) { return std::getenv(name); });
  if (charset.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return;
  }
  std::u16string wide;
  appendUtf16(text, wide);
  const std::string bytes = encodeRequest(wide, charset);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void printHelp() {
  std::string options = kOptions;
  options.replace(options.find("%s"), 2, defaultModule());
  writeHelpText(std::string(kUsage) + "\n" + options + commandSummaries() +
                "\nFull reference: orrery-call help COMMAND, or docs/commands.md.\n");
}

int toolMain(const std::vector<std::string>& args) {
  std::string error;
  const auto options = parseCallOptions(args, error);
  if (!options) return usageError(error);
  switch (options->action) {
    case Action::kHelp:
      printHelp();
      return 0;
    case Action::kCommandHelp: {
      const std::string_view section = commandSection(options->words[1], helpLanguage());
      if (section.empty()) {
        std::vector<std::u16string> name(1);
        appendUtf16(options->words[1], name[0]);
        return usageError(refusalHint(name, NumericLocale{}));
      }
      writeHelpText(markdownToText(section));
      return 0;
    }
    case Action::kToolVersion:
      std::printf("orrery-call %s\nOrrery %s\n", ORRERY_TOOL_VERSION, ORRERY_PROJECT_VERSION);
      return 0;
    default:
      break;
  }
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  orrery::seam::createPrivateLocale();
  try {
    return callModule(*options, options->module.empty() ? defaultModule() : options->module);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orrery-call: %s\n", e.what());
    return 2;
  }
}

}  // namespace

#ifdef _WIN32
// The wide command line, so that arguments outside the ANSI code page arrive intact.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args(argc > 1 ? argc - 1 : 0);
  for (int i = 1; i < argc; ++i) {
    orrery::seam::appendUtf8(reinterpret_cast<const char16_t*>(argv[i]), args[i - 1]);
  }
  return toolMain(args);
}
#else
int main(int argc, char** argv) {
  return toolMain(std::vector<std::string>(argv + 1, argv + argc));
}
#endif

// orrery-call: sends one request to a built Orrery module and prints the answer.
// The reference of options and commands is docs/commands.md (also --help, help COMMAND).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "call_options.h"
#include "charset_loss.h"
#include "command_reference.h"
#include "encoding/charset_name.h"
#include "encoding/utf8.h"
#include "list_input.h"
#include "markdown_text.h"
#include "module_loader.h"
#include "option_letters.h"
#include "platform/platform.h"
#include "refusal_hints.h"
#include "request_text.h"
#include "response_display.h"

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
    "       orrery-call [OPTION...] --version\n"
    "       orrery-call [--module PATH] [--entry w|8] --raw < request > response\n"
    "       orrery-call help [COMMAND] | --help | --tool-version\n";

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
    "  --version         send the version query\n"
    "  --tool-version    print the versions of the tool and of the project\n"
    "  --help            this text;  help COMMAND: the command's full reference, in\n"
    "                    Japanese when the locale is (LC_ALL, LC_MESSAGES or LANG ja_*)\n"
    "Arguments: \\1 \\2 are U+0001 U+0002; also \\\\ \\t \\n \\r \\xHH \\uHHHH.\n"
    "@FILE reads an argument from a UTF-8 file, @- from standard input, with the escapes;\n"
    "@@FILE and @@- read it literally (a backslash is a backslash).\n"
    "Exit status: 0 for a 2xx answer, 1 for any other, 2 for a usage or loading error.\n"
    "Standard error adds a hint to a 400, a warning for characters the 8-bit charset\n"
    "cannot carry and a note for option letters the command ignores; none of them\n"
    "changes the exit status.\n"
    "\nCommands:\n";

constexpr std::size_t kBigRequest = std::size_t{64} << 10;
constexpr std::string_view kUtf8Trailer = "Charset: UTF-8\r\n\r\n";

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

bool fileExists(const std::string& path) {
  std::FILE* file = openForReading(path);
  if (file != nullptr) std::fclose(file);
  return file != nullptr;
}

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

void printHelp() {
  std::printf("%s\n", kUsage);
  std::printf(kOptions, defaultModule().c_str());
  std::fputs(commandSummaries().c_str(), stdout);
  std::fputs("\nFull reference: orrery-call help COMMAND, or docs/commands.md.\n", stdout);
}

void writeBytes(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

std::string toBytes(std::u16string_view text) {
  std::string bytes;
  orrery::encodeUtf8(text, bytes);
  return bytes;
}

std::string readStdin() {
  std::string data;
  appendFile(stdin, 0, data);
  return data;
}

// @FILE reads a file with the escapes, @@FILE reads it literally; @- and @@- standard input.
ArgumentSource sourceOf(const std::string& word) {
  if (word.size() >= 3 && word.starts_with("@@")) return ArgumentSource::kLiteralFile;
  if (word.size() >= 2 && word[0] == '@') return ArgumentSource::kFile;
  return ArgumentSource::kWord;
}

std::string filePath(const std::string& word) {
  return word.substr(sourceOf(word) == ArgumentSource::kLiteralFile ? 2 : 1);
}

// The built request: UTF-8 bytes and where each argument's text lies in them.
struct BuiltRequest {
  std::string bytes;
  std::vector<std::pair<std::size_t, std::size_t>> arguments;

  // The argument texts, Argument0 first, as views into `bytes`.
  std::vector<std::string_view> argumentTexts() const {
    std::vector<std::string_view> texts;
    for (const auto& [begin, end] : arguments) {
      texts.push_back(std::string_view(bytes).substr(begin, end - begin));
    }
    return texts;
  }
};

bool buildRequest(const CallOptions& o, const std::string& charset, BuiltRequest& request,
                  std::string& error) {
  std::string& r = request.bytes;
  std::size_t reserve = 64;
  std::vector<std::FILE*> files(o.words.size(), nullptr);
  bool stdinUsed = false;
  for (std::size_t i = 0; i < o.words.size(); ++i) {
    const std::string& w = o.words[i];
    reserve += 24 + w.size();
    const ArgumentSource source = i == 0 ? ArgumentSource::kWord : sourceOf(w);
    if (source == ArgumentSource::kWord) continue;
    const std::string path = filePath(w);
    if (path == "-") {
      if (stdinUsed) return error = "standard input can be read for one argument only", false;
      stdinUsed = true;
      continue;
    }
    files[i] = openForReading(path);
    if (files[i] == nullptr) {
      for (std::FILE* f : files) {
        if (f != nullptr) std::fclose(f);
      }
      return error = "cannot read " + path + ": " + std::strerror(errno), false;
    }
    reserve += fileSize(files[i]);
  }
  r.reserve(reserve);
  r = "EXECUTE SAORI/1.0\r\n";
  if (!charset.empty()) r += "Charset: " + charset + "\r\n";
  r += "Sender: orrery-call\r\n";
  bool ok = true;
  for (std::size_t i = 0; i < o.words.size() && ok; ++i) {
    const std::string& w = o.words[i];
    r += "Argument" + std::to_string(i) + ": ";
    const std::size_t begin = r.size();
    const ArgumentSource source = i == 0 ? ArgumentSource::kWord : sourceOf(w);
    const bool fromFile = source != ArgumentSource::kWord;
    if (files[i] != nullptr) {
      ok = appendFile(files[i], fileSize(files[i]), r);
      std::fclose(files[i]);
      if (!ok) error = "cannot read " + filePath(w);
    } else if (fromFile) {
      const std::string in = readStdin();
      r += in;
    } else {
      r += w;
    }
    if (!ok) break;
    const std::size_t end = prepareArgument(r, begin, r.size(), source, o.lines, error);
    if (end == std::string::npos) {
      error = "Argument" + std::to_string(i) + (fromFile ? " (" + w + ")" : "") + ": " + error;
      ok = false;
      break;
    }
    r.resize(end);
    request.arguments.emplace_back(begin, end);
    r += "\r\n";
  }
  for (std::size_t i = 0; i < files.size() && !ok; ++i) {
    if (files[i] != nullptr && i > request.arguments.size()) std::fclose(files[i]);
  }
  r += "\r\n";
  return ok;
}

// Legacy charsets change what the module reads for characters outside ASCII, so the
// tool explains refusals there only for plain ASCII requests.
bool survivesLegacyCharset(std::string_view bytes) {
  for (unsigned char c : bytes) {
    if (!(c == 1 || c == 2 || c == '\t' || (c >= 0x20 && c < 0x7F))) return false;
  }
  return true;
}

void printHint(const BuiltRequest& request, const std::vector<std::string>& words, bool contentKept,
               bool legacy) {
  const std::vector<std::string_view> arguments = request.argumentTexts();
  std::vector<std::u16string> texts(words.size());
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0 && !contentKept) continue;  // the hint then needs only the name and the count
    const std::string_view text = arguments[i];
    if (legacy && !survivesLegacyCharset(text)) return;
    appendUtf16(text, texts[i]);
  }
  const NumericLocale locale{
      orrery::platform::decimalPoint(),
      numericLocaleSource([](const char* name) { return std::getenv(name); })};
  const std::string hint = refusalHint(texts, locale);
  if (!hint.empty()) std::fprintf(stderr, "orrery-call: %s\n", hint.c_str());
}

// Sends `text` (UTF-8) through requestw and returns the response as UTF-8; with `rawOut`
// set it gets the UTF-16LE bytes instead.
std::string requestWide(ModuleLoader& module, std::string_view text, std::string* rawOut) {
  std::u16string wide;
  appendUtf16(text, wide);
  const std::u16string response = module.requestw(wide);
  if (rawOut != nullptr) {
    rawOut->resize(response.size() * 2);
    std::memcpy(rawOut->data(), response.data(), rawOut->size());  // little-endian platforms only
  }
  return toBytes(response);
}

int run(const CallOptions& o) {
  const std::string modulePath = o.module.empty() ? defaultModule() : o.module;
  ModuleLoader module(modulePath);
  if (!module.ok()) {
    std::fprintf(stderr, "orrery-call: cannot load %s: %s\n", modulePath.c_str(),
                 module.error().c_str());
    return 2;
  }
  module.load(directoryOf(modulePath));

  if (o.action == Action::kRaw) {
    const std::string in = readStdin();
    std::string out;
    int code;
    if (o.entry == Entry::kWide) {
      std::u16string text(in.size() / 2, u'\0');
      std::memcpy(text.data(), in.data(), text.size() * 2);
      const std::u16string response = module.requestw(text);
      out.resize(response.size() * 2);
      std::memcpy(out.data(), response.data(), out.size());
      code = statusExitCode(toBytes(response.substr(0, 16)));
    } else {
      out = module.request(in);
      code = statusExitCode(out);
    }
    writeBytes(out);
    module.unload();
    return code;
  }

  // The entry: 8-bit with UTF-8 for big lists, where it gives the same answer as
  // requestw with half the bytes.
  bool eightBit = o.entry == Entry::kEightBit;
  bool autoUtf8 = false;
  if (o.entry == Entry::kAuto && o.output != Output::kRaw && o.action == Action::kExecute) {
    std::size_t size = 0;
    for (std::size_t i = 1; i < o.words.size(); ++i) {
      size += o.words[i].size();
      autoUtf8 = autoUtf8 || (o.words[i].size() >= 2 && o.words[i][0] == '@');
    }
    autoUtf8 = autoUtf8 || size >= kBigRequest;
    eightBit = autoUtf8;
  }
  const std::string charset = autoUtf8 ? "UTF-8" : eightBit ? o.charset : "";
  const bool legacy = eightBit && orrery::charsetNamed(charset) != orrery::RequestCharset::kUtf8;

  BuiltRequest request;
  if (o.action == Action::kVersionQuery) {
    request.bytes = "GET Version SAORI/1.0\r\n";
    if (!charset.empty()) request.bytes += "Charset: " + charset + "\r\n";
    request.bytes += "\r\n";
  } else {
    std::string error;
    if (!buildRequest(o, charset, request, error)) {
      module.unload();
      return usageError(error);
    }
  }
  // Letters the command ignores, named before the request text may be let go.
  std::string note;
  if (o.action == Action::kExecute) {
    note = ignoredOptionsNote(request.argumentTexts());
  }
  const bool keepContent = o.action == Action::kExecute && refusalDependsOnContent(o.words);

  std::string lossWarning;  // what the legacy charset changed, said after the answer
  std::string rawOut;
  std::string shown;          // the response as UTF-8, when it had to be converted
  std::string_view response;  // the response as UTF-8
  void* block = nullptr;
  if (eightBit && !legacy) {
    // The request goes over as it was built: one copy into the host's block.
    long length = static_cast<long>(request.bytes.size());
    void* in = ModuleLoader::allocateBlock(request.bytes.size());
    std::memcpy(in, request.bytes.data(), request.bytes.size());
    if (!keepContent && o.action == Action::kExecute) {
      const std::string head = request.bytes.substr(
          request.arguments[0].first, request.arguments[0].second - request.arguments[0].first);
      std::string().swap(request.bytes);
      request.bytes = head;
      request.arguments = {{0, head.size()}};
    }
    block = module.rawRequest(in, &length);
    if (block == nullptr) throw std::runtime_error("the module returned no response block");
    response = std::string_view(static_cast<const char*>(block), static_cast<std::size_t>(length));
    if (o.output == Output::kRaw) rawOut = std::string(response);
    if (autoUtf8 && response.ends_with(kUtf8Trailer)) response.remove_suffix(kUtf8Trailer.size());
  } else if (eightBit) {
    lossWarning = charsetLossWarning(findCharsetLoss(request.argumentTexts(), charset), charset);
    std::u16string text;
    appendUtf16(request.bytes, text);
    const std::string bytes = module.request(encodeRequest(text, charset));
    rawOut = bytes;
    shown = toBytes(decodeResponse(bytes));
    response = shown;
  } else {
    shown = requestWide(module, request.bytes, o.output == Output::kRaw ? &rawOut : nullptr);
    response = shown;
  }

  const int code = statusExitCode(response);
  {
    OutputSink out(stdout);
    if (o.output == Output::kRaw) {
      writeBytes(rawOut);
    } else if (o.output == Output::kLines) {
      showLines(response, out);
    } else {
      showResponse(response, out);
    }
  }
  if (!lossWarning.empty()) std::fprintf(stderr, "orrery-call: warning: %s\n", lossWarning.c_str());
  if (!note.empty()) std::fprintf(stderr, "orrery-call: note: %s\n", note.c_str());
  const bool badRequest = response.starts_with("SAORI/1.0 400");
  ModuleLoader::freeBlock(block);
  if (badRequest && o.action == Action::kExecute) printHint(request, o.words, keepContent, legacy);
  module.unload();
  return code;
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
        std::vector<std::u16string> name{
            std::u16string(options->words[1].begin(), options->words[1].end())};
        return usageError(refusalHint(name, NumericLocale{}));
      }
      writeBytes(markdownToText(section));
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
  orrery::platform::createPrivateLocale();
  try {
    return run(*options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orrery-call: %s\n", e.what());
    return 2;
  }
}

}  // namespace

#ifdef _WIN32
// The wide command line, so that arguments outside the ANSI code page arrive intact.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(toBytes(std::u16string_view(reinterpret_cast<const char16_t*>(argv[i]))));
  }
  return toolMain(args);
}
#else
int main(int argc, char** argv) {
  return toolMain(std::vector<std::string>(argv + 1, argv + argc));
}
#endif

// orrery-call: sends one request to a built Orrery module and prints the answer.
//
//   orrery-call [--module PATH] [--entry w|8] [--charset NAME] COMMAND [ARGUMENT...]
//   orrery-call [--module PATH] [--entry w|8] [--charset NAME] --version
//   orrery-call [--module PATH] [--entry w|8] --raw   < request > response
//
// Arguments become Argument1, Argument2, ...; inside them \1 and \2 stand for the pair
// and list separators (also \\ \t \n \r \xHH \uHHHH).
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "encoding/utf8.h"
#include "module_loader.h"
#include "platform/platform.h"
#include "request_text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

using orrery::host::ModuleLoader;

constexpr const char* kUsage =
    "usage: orrery-call [--module PATH] [--entry w|8] [--charset NAME] COMMAND [ARGUMENT...]\n"
    "       orrery-call [--module PATH] [--entry w|8] [--charset NAME] --version\n"
    "       orrery-call [--module PATH] [--entry w|8] --raw < request > response\n"
    "\n"
    "  --module PATH   the module to load (default: " ORRERY_DEFAULT_MODULE
    ")\n"
    "  --entry w|8     send through requestw (UTF-16, default) or request (8-bit)\n"
    "  --charset NAME  8-bit charset: Shift_JIS (default), UTF-8, EUC-JP, ISO-2022-JP\n"
    "  --raw           send standard input unchanged, write the response bytes unchanged\n"
    "  --version       send the version query\n"
    "In arguments, \\1 and \\2 are U+0001 and U+0002; also \\\\ \\t \\n \\r \\xHH \\uHHHH.\n";

struct Options {
  std::string module = ORRERY_DEFAULT_MODULE;
  bool wide = true;
  std::string charset;
  bool raw = false;
  bool version = false;
  std::vector<std::string> words;  // command name and its arguments
};

int usageError(const std::string& message) {
  std::cerr << "orrery-call: " << message << "\n\n" << kUsage;
  return 2;
}

std::optional<Options> parseOptions(int argc, char** argv, std::string& error) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    if (!o.words.empty()) {
      o.words.push_back(a);  // everything after the command name is an argument
    } else if (a == "--module") {
      auto v = next();
      if (!v) return error = "--module needs a path", std::nullopt;
      o.module = *v;
    } else if (a == "--entry") {
      auto v = next();
      if (!v || (*v != "w" && *v != "8")) return error = "--entry takes w or 8", std::nullopt;
      o.wide = *v == "w";
    } else if (a == "--charset") {
      auto v = next();
      if (!v) return error = "--charset needs a name", std::nullopt;
      o.charset = *v;
      o.wide = false;
    } else if (a == "--raw") {
      o.raw = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (a.starts_with("--")) {
      return error = "unknown option " + a, std::nullopt;
    } else {
      o.words.push_back(a);
    }
  }
  if (!o.raw && !o.version && o.words.empty()) return error = "no command given", std::nullopt;
  if (!o.charset.empty() && !orrery::host::isKnownCharset(o.charset)) {
    return error = "unknown charset " + o.charset, std::nullopt;
  }
  return o;
}

std::string readAll(std::FILE* f) {
  std::string data;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.append(buffer, n);
  return data;
}

int statusExitCode(const std::u16string& response) {
  // "SAORI/1.0 2xx" is success; anything else is reported through the exit code.
  return response.size() > 10 && response[10] == u'2' ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto options = parseOptions(argc, argv, error);
  if (!options) return usageError(error);
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  orrery::platform::createPrivateLocale();

  ModuleLoader module(options->module);
  if (!module.ok()) {
    std::cerr << "orrery-call: cannot load " << options->module << ": " << module.error() << "\n";
    return 2;
  }
  module.load(orrery::host::directoryOf(options->module));

  int exitCode = 0;
  try {
    if (options->raw) {
      const std::string in = readAll(stdin);
      std::string out;
      if (options->wide) {
        std::u16string text(in.size() / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
          text[i] = static_cast<char16_t>(static_cast<unsigned char>(in[2 * i]) |
                                          (static_cast<unsigned char>(in[2 * i + 1]) << 8));
        }
        for (char16_t u : module.requestw(text)) {
          out.push_back(static_cast<char>(u & 0xFF));
          out.push_back(static_cast<char>(u >> 8));
        }
      } else {
        out = module.request(in);
      }
      std::fwrite(out.data(), 1, out.size(), stdout);
    } else {
      std::vector<std::u16string> arguments;
      for (const std::string& word : options->words) {
        auto unescaped = orrery::host::unescapeArgument(word, error);
        if (!unescaped) {
          module.unload();
          return usageError(error);
        }
        arguments.push_back(*unescaped);
      }
      const std::u16string requestText =
          options->version
              ? orrery::host::versionRequest(options->wide ? "" : options->charset)
              : orrery::host::executeRequest(arguments, options->wide ? "" : options->charset);
      std::u16string response;
      if (options->wide) {
        response = module.requestw(requestText);
      } else {
        response = orrery::host::decodeResponse(
            module.request(orrery::host::encodeRequest(requestText, options->charset)));
      }
      std::cout << orrery::host::readableResponse(response);
      exitCode = statusExitCode(response);
    }
  } catch (const std::exception& e) {
    std::cerr << "orrery-call: " << e.what() << "\n";
    exitCode = 2;
  }
  module.unload();
  return exitCode;
}

#include "call_session.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "call_request.h"
#include "charset_loss.h"
#include "core_seam.h"
#include "list_input.h"
#include "module_loader.h"
#include "option_letters.h"
#include "raw_request_check.h"
#include "refusal_hints.h"
#include "request_text.h"
#include "response_display.h"

namespace orrery::host {
namespace {

constexpr std::size_t kBigRequest = std::size_t{64} << 10;
constexpr std::string_view kUtf8Trailer = "Charset: UTF-8\r\n\r\n";

// The module loaded for one call is unloaded at its end, however the call ends.
struct Unloading {
  ModuleLoader& module;
  ~Unloading() { module.unload(); }
};

// A response block, freed when it goes.
struct BlockFreer {
  void operator()(void* block) const { ModuleLoader::freeBlock(block); }
};
using Block = std::unique_ptr<void, BlockFreer>;

// How a command line is sent: the entry and, for the 8-bit one, the charset.
struct Route {
  bool eightBit = false;
  bool autoUtf8 = false;  // chosen by the tool for a big list or a file, not by the user
  bool legacy = false;    // a charset other than UTF-8: the tool converts the request
  std::string charset;
};

// The answer as shown (UTF-8) and, for --output raw, as the module wrote it.
struct Answer {
  std::string shown;
  std::string raw;
  Block block;               // the 8-bit response, when it is shown in place
  std::string_view inBlock;  // the part of `block` shown
  std::string lossWarning;

  // The response as UTF-8.
  std::string_view response() const { return block ? inBlock : std::string_view(shown); }
};

void say(const char* kind, const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "orrery-call: %s%s\n", kind, message.c_str());
}

void writeBytes(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

// 8-bit with UTF-8 for big lists and files, where it gives the same answer as requestw
// with half the bytes.
Route routeOf(const CallOptions& o) {
  Route route;
  route.eightBit = o.entry == Entry::kEightBit;
  if (o.entry == Entry::kAuto && o.output != Output::kRaw && o.action == Action::kExecute) {
    std::size_t size = 0;
    for (std::size_t i = 1; i < o.words.size(); ++i) size += o.words[i].size();
    route.autoUtf8 = readsFiles(o.words) || size >= kBigRequest;
    route.eightBit = route.autoUtf8;
  }
  route.charset = route.autoUtf8 ? "UTF-8" : route.eightBit ? o.charset : "";
  route.legacy = route.eightBit && seam::charsetNamed(route.charset) != seam::Charset::kUtf8;
  return route;
}

// --raw: standard input goes over unchanged and the response comes back unchanged.
int sendRaw(ModuleLoader& module, Entry entry) {
  std::string in;
  appendFile(stdin, 0, in);
  std::string out;
  std::string status;  // the status line's start, as UTF-8
  if (entry == Entry::kWide) {
    std::u16string text(in.size() / 2, u'\0');
    std::memcpy(text.data(), in.data(), text.size() * 2);
    const std::u16string response = module.requestw(text);
    out.resize(response.size() * 2);
    std::memcpy(out.data(), response.data(), out.size());  // little-endian platforms only
    status = toUtf8(std::u16string_view(response).substr(0, 16));
  } else {
    say("warning: ", undecodableByteNote(in));
    out = module.request(in);
    status = out.substr(0, 16);
  }
  writeBytes(out);
  if (status.starts_with("SAORI/1.0 400")) say("", lineEndHint(in, entry == Entry::kWide));
  return statusExitCode(status);
}

// UTF-8 over the 8-bit entry: the request goes over as built, one copy into the host's
// block, and the answer is shown from the module's block.
Answer sendUtf8(ModuleLoader& module, CallRequest& request, const Route& route,
                const CallOptions& o, bool keepContent) {
  Answer answer;
  long length = static_cast<long>(request.bytes.size());
  void* in = ModuleLoader::allocateBlock(request.bytes.size());
  std::memcpy(in, request.bytes.data(), request.bytes.size());
  if (!keepContent && o.action == Action::kExecute) request.keepOnlyName();
  answer.block.reset(module.rawRequest(in, &length));
  if (!answer.block) throw std::runtime_error("the module returned no response block");
  answer.inBlock = std::string_view(static_cast<const char*>(answer.block.get()),
                                    static_cast<std::size_t>(length));
  if (o.output == Output::kRaw) answer.raw = std::string(answer.inBlock);
  if (route.autoUtf8 && answer.inBlock.ends_with(kUtf8Trailer)) {
    answer.inBlock.remove_suffix(kUtf8Trailer.size());
  }
  return answer;
}

// Another charset over the 8-bit entry: the tool converts the request and says what
// the charset could not carry.
Answer sendConverted(ModuleLoader& module, const CallRequest& request, const Route& route) {
  Answer answer;
  answer.lossWarning =
      charsetLossWarning(findCharsetLoss(request.argumentTexts(), route.charset), route.charset);
  std::u16string text;
  appendUtf16(request.bytes, text);
  answer.raw = module.request(encodeRequest(text, route.charset));
  answer.shown = toUtf8(decodeResponse(answer.raw));
  return answer;
}

Answer sendWide(ModuleLoader& module, const CallRequest& request, bool keepRaw) {
  Answer answer;
  std::u16string text;
  appendUtf16(request.bytes, text);
  const std::u16string response = module.requestw(text);
  if (keepRaw) {
    answer.raw.resize(response.size() * 2);
    std::memcpy(answer.raw.data(), response.data(), answer.raw.size());  // little-endian only
  }
  answer.shown = toUtf8(response);
  return answer;
}

void display(const Answer& answer, Output output) {
  OutputSink out(stdout);
  if (output == Output::kRaw) {
    writeBytes(answer.raw);
  } else if (output == Output::kLines) {
    showLines(answer.response(), out);
  } else {
    showResponse(answer.response(), out);
  }
}

// Legacy charsets change what the module reads for characters outside ASCII, so the
// tool explains refusals there only for plain ASCII requests.
bool survivesLegacyCharset(std::string_view bytes) {
  for (char c : bytes) {
    const bool separator = c == seam::kListSeparatorByte || c == seam::kPairSeparatorByte;
    if (!(separator || c == '\t' || (c >= 0x20 && c < 0x7F))) return false;
  }
  return true;
}

std::string hintFor(const CallRequest& request, const std::vector<std::string>& words,
                    bool contentKept, bool legacy) {
  const std::vector<std::string_view> arguments = request.argumentTexts();
  std::vector<std::u16string> texts(words.size());
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0 && !contentKept) continue;  // the hint then needs only the name and the count
    if (legacy && !survivesLegacyCharset(arguments[i])) return {};
    appendUtf16(arguments[i], texts[i]);
  }
  const NumericLocale locale{seam::decimalPoint(), numericLocaleSource([](const char* name) {
                               return std::getenv(name);
                             })};
  return refusalHint(texts, locale);
}

}  // namespace

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

int callModule(const CallOptions& o, const std::string& modulePath) {
  ModuleLoader module(modulePath);
  if (!module.ok()) {
    std::fprintf(stderr, "orrery-call: cannot load %s: %s\n", modulePath.c_str(),
                 module.error().c_str());
    return 2;
  }
  module.load(directoryOf(modulePath));
  const Unloading unloading{module};
  if (o.action == Action::kRaw) return sendRaw(module, o.entry);

  const Route route = routeOf(o);
  const bool execute = o.action == Action::kExecute;
  std::string error;
  std::optional<CallRequest> request =
      execute ? buildCallRequest(o, route.charset, error) : versionCallRequest(route.charset);
  if (!request) {
    std::fprintf(stderr, "orrery-call: %s; see orrery-call --help\n", error.c_str());
    return 2;
  }
  // Letters the command ignores, named before the request text may be let go.
  const std::string note = execute ? ignoredOptionsNote(request->argumentTexts()) : "";
  const bool keepContent = execute && refusalDependsOnContent(o.words);

  Answer answer = route.eightBit && !route.legacy
                      ? sendUtf8(module, *request, route, o, keepContent)
                  : route.eightBit ? sendConverted(module, *request, route)
                                   : sendWide(module, *request, o.output == Output::kRaw);
  display(answer, o.output);
  say("warning: ", answer.lossWarning);
  say("note: ", note);
  const int status = statusExitCode(answer.response());
  const bool refused = answer.response().starts_with("SAORI/1.0 400");
  answer = Answer();  // the answer's memory goes before the hint's conversions
  if (execute && refused) say("", hintFor(*request, o.words, keepContent, route.legacy));
  return status;
}

}  // namespace orrery::host

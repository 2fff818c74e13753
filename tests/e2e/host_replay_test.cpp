// Replays how a real scripting host drives the module: a probe load and unload of the
// library, a lazy load, load(".", 1), the version query first with the headers in the
// host's order, the charset the answer names adopted for everything after, 8-bit
// requests only, 1,100-item lists in both output forms, and whole reload cycles. Each
// answer is checked byte for byte against one computed here from the items.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "module_loader.h"
#include "orrery.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orrery::test {
namespace {

using host::ModuleLoader;

// The library opened as that host opens it, with the platform's own calls.
class HostLibrary {
 public:
  HostLibrary() {
#ifdef _WIN32
    handle_ = reinterpret_cast<void*>(LoadLibraryA(ORRERY_MODULE_PATH));
#else
    handle_ = dlopen(ORRERY_MODULE_PATH, RTLD_LAZY);
#endif
    if (handle_ == nullptr) return;
    load_ = reinterpret_cast<orrery_load_fn>(symbol("load"));
    unload_ = reinterpret_cast<orrery_unload_fn>(symbol("unload"));
    request_ = reinterpret_cast<orrery_request_fn>(symbol("request"));
  }
  ~HostLibrary() {
    if (handle_ == nullptr) return;
#ifdef _WIN32
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
  }
  HostLibrary(const HostLibrary&) = delete;
  HostLibrary& operator=(const HostLibrary&) = delete;

  bool ok() const { return load_ && unload_ && request_; }

  int load(std::string_view directory) {
    void* block = ModuleLoader::allocateBlock(directory.size());
    std::memcpy(block, directory.data(), directory.size());
    return load_(static_cast<orrery_block>(block), static_cast<long>(directory.size()));
  }
  int unload() { return unload_(); }
  std::string request(const std::string& text) {
    void* block = ModuleLoader::allocateBlock(text.size());
    std::memcpy(block, text.data(), text.size());
    long length = static_cast<long>(text.size());
    void* response = request_(static_cast<orrery_block>(block), &length);
    if (response == nullptr) return "(no block)";
    std::string out(static_cast<const char*>(response), static_cast<std::size_t>(length));
    ModuleLoader::freeBlock(response);
    return out;
  }

 private:
  void* symbol(const char* name) {
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
  }

  void* handle_ = nullptr;
  orrery_load_fn load_ = nullptr;
  orrery_unload_fn unload_ = nullptr;
  orrery_request_fn request_ = nullptr;
};

// Items are drawn from a few characters whose bytes are known in each charset; all lie
// in the Basic Multilingual Plane, so code point order is the module's text order.
struct Symbol {
  char16_t unit;
  std::string_view shiftJis, utf8, eucJp;
};
constexpr Symbol kSymbols[] = {
    {u'1', "1", "1", "1"},
    {u'Z', "Z", "Z", "Z"},
    {u'a', "a", "a", "a"},
    {u'あ', "\x82\xA0", "\xE3\x81\x82", "\xA4\xA2"},
    {u'亜', "\x88\x9F", "\xE4\xBA\x9C", "\xB0\xA1"},
    {u'ａ', "\x82\x81", "\xEF\xBD\x81", "\xA3\xE1"},
};
constexpr std::size_t kItemCount = 1100;

enum class Wire { kShiftJis, kUtf8, kEucJp };

using Item = std::vector<std::size_t>;  // indexes into kSymbols

std::vector<Item> makeItems() {
  std::vector<Item> items(kItemCount);
  std::uint32_t state = 12345;
  for (Item& item : items) {
    state = state * 1103515245u + 12345u;
    item.resize(1 + (state >> 16) % 4);
    for (std::size_t& s : item) {
      state = state * 1103515245u + 12345u;
      s = (state >> 16) % std::size(kSymbols);
    }
  }
  return items;
}

std::string render(const Item& item, Wire wire) {
  std::string out;
  for (std::size_t s : item) {
    const Symbol& symbol = kSymbols[s];
    out += wire == Wire::kUtf8    ? symbol.utf8
           : wire == Wire::kEucJp ? symbol.eucJp
                                  : symbol.shiftJis;
  }
  return out;
}

std::string joined(const std::vector<Item>& items, Wire wire) {
  std::string out;
  for (const Item& item : items) out += render(item, wire) + '\x02';
  return out;
}

// The host's header order: Charset, Sender, SecurityLevel, then the arguments.
std::string hostRequest(std::string_view requestLine, std::string_view charset,
                        const std::vector<std::string>& arguments) {
  std::string text = std::string(requestLine) + "\r\nCharset: " + std::string(charset) +
                     "\r\nSender: AYA\r\nSecurityLevel: local\r\n";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    text += "Argument" + std::to_string(i) + ": " + arguments[i] + "\r\n";
  }
  return text + "\r\n";
}

// What the host reads from the answer to adopt: the value of its Charset line.
std::string answeredCharset(const std::string& answer) {
  const std::size_t at = answer.rfind("\r\nCharset: ");
  if (at == std::string::npos) return {};
  const std::size_t start = at + 11;
  return answer.substr(start, answer.find("\r\n", start) - start);
}

struct HostSetting {
  const char* charset;  // as the script wrote it
  bool forced;          // keeps sending its own charset instead of adopting the answer's
  Wire wire;            // the charset its requests are written in after the version query
  const char* answered;
};

void runSession(HostLibrary& library, const HostSetting& setting) {
  ASSERT_EQ(library.load("."), 1);

  const std::string version =
      library.request(hostRequest("GET Version SAORI/1.0", setting.charset, {}));
  EXPECT_EQ(version,
            "SAORI/1.0 204 No Content\r\nCharset: " + std::string(setting.answered) + "\r\n\r\n");
  const std::string adopted = setting.forced ? setting.charset : answeredCharset(version);
  const Wire answerWire =
      std::string_view(setting.answered) == "UTF-8" ? Wire::kUtf8 : Wire::kShiftJis;

  std::vector<Item> items = makeItems();
  const std::string list = joined(items, setting.wire);
  std::vector<Item> sorted = items;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Item& a, const Item& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](std::size_t x, std::size_t y) { return kSymbols[x].unit < kSymbols[y].unit; });
  });
  const std::string tail = "Charset: " + std::string(setting.answered) + "\r\n\r\n";

  std::string values = "SAORI/1.0 200 OK\r\nResult: \r\n";
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    values += "Value" + std::to_string(i) + ": " + render(sorted[i], answerWire) + "\r\n";
  }
  EXPECT_EQ(library.request(hostRequest("EXECUTE SAORI/1.0", adopted, {"sort", list, "S"})),
            values + tail);
  EXPECT_EQ(library.request(hostRequest("EXECUTE SAORI/1.0", adopted, {"sort", list, "Ss"})),
            "SAORI/1.0 200 OK\r\nResult: " + joined(sorted, answerWire) + "\r\n" + tail);

  // make_pair keeps the input order, so the first list comes back as sent, re-encoded.
  std::string pairs;
  for (const Item& item : items) pairs += render(item, answerWire) + "\x01x\x02";
  std::string xList;
  for (std::size_t i = 0; i < kItemCount; ++i) xList += "x\x02";
  EXPECT_EQ(
      library.request(hostRequest("EXECUTE SAORI/1.0", adopted, {"make_pair", list, xList, "s"})),
      "SAORI/1.0 200 OK\r\nResult: " + pairs + "\r\n" + tail);

  EXPECT_EQ(library.unload(), 1);
}

TEST(HostReplay, LifecycleAndRequestShapesOfAScriptingHost) {
  const HostSetting settings[] = {
      {"Shift_JIS", false, Wire::kShiftJis, "Shift_JIS"},
      {"UTF-8", false, Wire::kUtf8, "UTF-8"},
      {"utf-8", false, Wire::kUtf8, "UTF-8"},
      {"UTF8 ", false, Wire::kUtf8, "UTF-8"},
      // Adopts the Shift_JIS the answer names.
      {"EUC_JP", false, Wire::kShiftJis, "Shift_JIS"},
      // Keeps writing EUC-JP and reads every answer as the Shift_JIS it names.
      {"EUC_JP", true, Wire::kEucJp, "Shift_JIS"},
  };
  {
    // The probe: loaded only to see that it is a module, then unloaded at once.
    HostLibrary probe;
    ASSERT_TRUE(probe.ok());
  }
  for (int cycle = 0; cycle < 3; ++cycle) {
    HostLibrary library;
    ASSERT_TRUE(library.ok());
    for (const HostSetting& setting : settings) {
      SCOPED_TRACE(std::string(setting.charset) + (setting.forced ? " forced" : "") + ", cycle " +
                   std::to_string(cycle));
      runSession(library, setting);
    }
  }
}

// Ghosts reload their modules often: many short load/unload cycles of the library, each
// answering its version query.
TEST(HostReplay, ManyReloadCycles) {
  for (int cycle = 0; cycle < 200; ++cycle) {
    HostLibrary library;
    ASSERT_TRUE(library.ok());
    ASSERT_EQ(library.load("."), 1);
    ASSERT_EQ(library.request(hostRequest("GET Version SAORI/1.0", "UTF-8", {})),
              "SAORI/1.0 204 No Content\r\nCharset: UTF-8\r\n\r\n")
        << "cycle " << cycle;
    ASSERT_EQ(library.unload(), 1);
  }
}

}  // namespace
}  // namespace orrery::test

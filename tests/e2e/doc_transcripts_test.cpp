// Every request/response transcript of the host guide and of its Japanese translation,
// sent to the built module: the answer must be the one the guide shows, byte for byte.
#include <string>
#include <string_view>
#include <vector>

#include "module_fixture.h"

namespace orrery::test {
namespace {

constexpr char kHostsGuide[] = {
#include "hosts_md.inc"
};
constexpr char kHostsGuideJa[] = {
#include "hosts_ja_md.inc"
};

// The fenced block after the next marker line at or after `from`; advances `from`.
std::string nextBlock(std::string_view doc, std::string_view marker, std::size_t& from) {
  const std::string line = "<!-- check: " + std::string(marker) + " -->\n";
  std::size_t at = doc.find(line, from);
  if (at == std::string_view::npos) return {};
  at = doc.find('\n', doc.find("```", at)) + 1;
  const std::size_t close = doc.find("\n```", at);
  from = close;
  return std::string(doc.substr(at, close + 1 - at));
}

// Transcripts show lines without CR and the separators as \1 and \2.
std::string wire(std::string_view shown) {
  std::string out;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '\n') {
      out += "\r\n";
    } else if (shown[i] == '\\' && i + 1 < shown.size() &&
               (shown[i + 1] == '1' || shown[i + 1] == '2')) {
      out += static_cast<char>(shown[++i] - '0');
    } else {
      out += shown[i];
    }
  }
  return out;
}

using HostGuide = ModuleTest;

TEST_F(HostGuide, TranscriptsAreWhatTheModuleAnswers) {
  for (const std::string_view doc : {std::string_view(kHostsGuide, sizeof kHostsGuide),
                                     std::string_view(kHostsGuideJa, sizeof kHostsGuideJa)}) {
    std::size_t from = 0;
    int checked = 0;
    for (;;) {
      const std::string request = nextBlock(doc, "transcript", from);
      if (request.empty()) break;
      const std::string response = nextBlock(doc, "response", from);
      SCOPED_TRACE(request);
      ASSERT_FALSE(response.empty()) << "a transcript without its response";
      EXPECT_EQ(module().request(wire(request)), wire(response));
      ++checked;
    }
    EXPECT_GE(checked, 6);
  }
}

}  // namespace
}  // namespace orrery::test

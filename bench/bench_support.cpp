#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "encoding/utf8.h"
#include "protocol/decimal_format.h"
#include "request_text.h"

namespace orrery::bench {
namespace {

constexpr char16_t kAsciiAlphabet[] =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr char16_t kJapaneseAlphabet[] =
    u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"
    u"日本語文字列整列比較集合演算乱数";

// Collects each run's real time per iteration while the console reporter prints as usual.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      times_[run.benchmark_name()] = run.GetAdjustedRealTime();
      cpuTimes_[run.benchmark_name()] = run.GetAdjustedCPUTime();
      unitToNanoseconds_[run.benchmark_name()] =
          1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      if (auto items = run.counters.find("items"); items != run.counters.end()) {
        items_[run.benchmark_name()] = items->second.value;
      }
    }
  }

  // Per group and size: both CPU times per item (the size is the name's last part, unless
  // a counter "items" says how many items one iteration handles),
  // their ratio, and the wall-clock ratio. The table is of CPU time because on a loaded
  // machine the wall clock mostly measures waiting for a core. Then, per group, how far
  // the cost per item moves between the best and the worst size.
  void printRatios() const {
    std::printf("\n%-36s %10s %12s %12s %9s %10s\n", "ratio orrery / baseline (cpu)", "items",
                "orrery ns/it", "base ns/it", "ratio", "real ratio");
    struct Spread {
      double lowest = 1e300, highest = 0, lowestBase = 1e300, highestBase = 0;
      double lowestRatio = 1e300, highestRatio = 0;
    };
    std::map<std::string, Spread> spreads;
    for (const auto& [name, time] : times_) {
      const auto at = name.find("/orrery/");
      if (at == std::string::npos) continue;
      const std::string group = name.substr(0, at);
      const std::string suffix = name.substr(at + 8);
      auto it = times_.find(group + "/baseline/" + suffix);
      const std::string size = suffix.substr(0, suffix.find('/'));  // without "/real_time"
      if (it == times_.end() || it->second <= 0) continue;
      const auto counted = items_.find(name);
      const double items =
          std::max(1.0, counted != items_.end() ? counted->second : std::atof(size.c_str()));
      // Adjusted times are in the benchmark's unit; per item is printed in nanoseconds.
      const double perItem = cpuTimes_.at(name) * unitToNanoseconds_.at(name) / items;
      const double perItemBase = cpuTimes_.at(it->first) * unitToNanoseconds_.at(it->first) / items;
      std::printf("%-36s %10s %12.2f %12.2f %9.3f %10.3f\n", group.c_str(), size.c_str(), perItem,
                  perItemBase, perItem / perItemBase, time / it->second);
      Spread& s = spreads[group];
      s.lowest = std::min(s.lowest, perItem);
      s.highest = std::max(s.highest, perItem);
      s.lowestBase = std::min(s.lowestBase, perItemBase);
      s.highestBase = std::max(s.highestBase, perItemBase);
      s.lowestRatio = std::min(s.lowestRatio, perItem / perItemBase);
      s.highestRatio = std::max(s.highestRatio, perItem / perItemBase);
    }
    if (spreads.empty()) return;
    std::printf("\n%-36s %10s %10s %10s\n", "cost per item, worst / best size", "orrery",
                "baseline", "ratio");
    for (const auto& [group, s] : spreads) {
      std::printf("%-36s %10.2f %10.2f %10.2f\n", group.c_str(), s.highest / s.lowest,
                  s.highestBase / s.lowestBase, s.highestRatio / s.lowestRatio);
    }
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, double> cpuTimes_;
  std::map<std::string, double> unitToNanoseconds_;
  std::map<std::string, double> items_;
};

}  // namespace

std::vector<Text> randomTextItems(std::size_t count, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> length(1, 16);
  constexpr std::size_t kAscii = sizeof(kAsciiAlphabet) / sizeof(char16_t) - 1;
  constexpr std::size_t kJapanese = sizeof(kJapaneseAlphabet) / sizeof(char16_t) - 1;
  std::vector<Text> items;
  items.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const bool japanese = (i % 2) == 1;
    Text item(static_cast<std::size_t>(length(rng)), u'\0');
    for (char16_t& c : item) {
      c = japanese ? kJapaneseAlphabet[rng() % kJapanese] : kAsciiAlphabet[rng() % kAscii];
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<Text> randomIntegerItems(std::size_t count, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<Text> items;
  items.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    Text item;
    appendSigned(item, static_cast<std::int32_t>(rng()));
    items.push_back(std::move(item));
  }
  return items;
}

Text joinList(const std::vector<Text>& items) {
  std::size_t total = 0;
  for (const Text& item : items) total += item.size() + 1;
  Text list;
  list.reserve(total);
  for (const Text& item : items) {
    list.append(item);
    list.push_back(kListSeparator);
  }
  return list;
}

Text executeRequest(TextView command, const std::vector<Text>& arguments) {
  // Built by the hosts' one request builder, which writes UTF-8; the benches send UTF-16.
  std::vector<Bytes> texts(arguments.size() + 1);
  encodeUtf8(command, texts[0]);
  for (std::size_t i = 0; i < arguments.size(); ++i) encodeUtf8(arguments[i], texts[i + 1]);
  Text request;
  decodeUtf8(host::executeRequest(std::vector<BytesView>(texts.begin(), texts.end())), request);
  return request;
}

int runWithRatios(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}

}  // namespace orrery::bench

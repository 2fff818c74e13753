// The list commands end to end through requestw (parse, command, response), each
// against std::stable_sort of the same items held as std::vector<std::u16string>; shuffle
// and shuffle_n against the bare permutation loop over the same items. Sizes run from
// 10^3 to 10^7 items, and the ratio table gives the time per item of both sides.
//
// The orrery side pays for copying the request text into the call, as a host does; the
// baseline's copy of its items is made with the timer paused, so it is charged only
// for sorting. Each orrery benchmark also reports, from one extra request, the peak
// heap use during that request divided by the request and response texts' bytes.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <new>

#include "bench_support.h"
#include "commands/lists/random_source.h"
#include "module/module_core.h"
#include "protocol/decimal_format.h"

namespace {

// Heap accounting for the whole program: every allocation carries its size in a
// header so that the current and peak totals can be kept.
std::atomic<std::size_t> gCurrentBytes{0};
std::atomic<std::size_t> gPeakBytes{0};
constexpr std::size_t kHeader = 16;

void* countedAllocate(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const std::size_t now = gCurrentBytes.fetch_add(size) + size;
  std::size_t peak = gPeakBytes.load();
  while (now > peak && !gPeakBytes.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void countedFree(void* p) noexcept {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  gCurrentBytes.fetch_sub(*static_cast<std::size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return countedAllocate(size); }
void* operator new[](std::size_t size) { return countedAllocate(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }

namespace {

using namespace orrery;
using orrery::bench::executeRequest;
using orrery::bench::joinList;

struct Workload {
  Text request;
  std::vector<Text> baselineItems;  // what the baseline sorts
};

std::vector<Text> concat(std::vector<Text> a, const std::vector<Text>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A second list sharing half of its items with `first`.
std::vector<Text> overlapping(const std::vector<Text>& first) {
  std::vector<Text> second = bench::randomTextItems(first.size() - first.size() / 2, 7);
  second.insert(second.end(), first.begin(), first.begin() + first.size() / 2);
  return second;
}

Workload makeWorkload(const std::string& group, std::size_t n) {
  if (group == "sort_text") {
    auto items = bench::randomTextItems(n);
    return {executeRequest(u"sort", {joinList(items), u"S"}), items};
  }
  if (group == "sort_integer") {
    auto items = bench::randomIntegerItems(n);
    return {executeRequest(u"sort", {joinList(items)}), items};
  }
  if (group == "unique") {
    auto items = bench::randomTextItems(n);
    return {executeRequest(u"unique", {joinList(items)}), items};
  }
  if (group == "shuffle") {
    auto items = bench::randomTextItems(n);
    return {executeRequest(u"shuffle", {joinList(items)}), items};
  }
  if (group == "shuffle_n") {
    Text end;
    appendUnsigned(end, n);
    return {executeRequest(u"shuffle_n", {end}), {}};
  }
  if (group == "union" || group == "intersection" || group == "difference" ||
      group == "symmetric_difference") {
    auto first = bench::randomTextItems(n);
    auto second = overlapping(first);
    const Text command(group.begin(), group.end());
    return {executeRequest(command, {joinList(first), joinList(second)}), concat(first, second)};
  }
  // make_pair
  auto first = bench::randomTextItems(n);
  auto second = bench::randomTextItems(n, 9);
  return {executeRequest(u"make_pair", {joinList(first), joinList(second)}), concat(first, second)};
}

// Only the workload in use is kept: at 10^7 items one workload is a gigabyte. The two
// sides of one group and size run one after the other.
const Workload& workload(const std::string& group, std::size_t n) {
  static std::pair<std::string, std::size_t> key;
  static Workload current;
  if (key != std::make_pair(group, n)) {
    current = {};
    current = makeWorkload(group, n);
    key = {group, n};
  }
  return current;
}

void orreryRequest(benchmark::State& state, const std::string& group) {
  const Workload& w = workload(group, static_cast<std::size_t>(state.range(0)));
  ModuleCore core(nullptr);

  // One request outside the timing for the memory figure.
  Text response;
  const std::size_t before = gCurrentBytes.load();
  gPeakBytes.store(before);
  core.requestw(w.request, response);
  const double peak = static_cast<double>(gPeakBytes.load() - before);
  const double texts = static_cast<double>((w.request.size() + response.size()) * sizeof(char16_t));
  if (response.rfind(u"SAORI/1.0 200 OK", 0) != 0) state.SkipWithError("request failed");

  for (auto _ : state) {
    Text out;
    core.requestw(w.request, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["peak/texts"] = peak / texts;
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The shuffling loop alone, over the items as a host program would hold them.
void baselinePermute(benchmark::State& state, const std::string& group) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<Text> items = workload(group, n).baselineItems;
  std::vector<std::int32_t> numbers(group == "shuffle_n" ? n : 0);
  for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = static_cast<std::int32_t>(i);
  RandomSource source;
  for (auto _ : state) {
    if (numbers.empty()) {
      permute(source, n, [&](std::size_t k, std::size_t r) { std::swap(items[k], items[r]); });
      benchmark::DoNotOptimize(items.data());
    } else {
      // shuffle_n draws fairly: the Fisher–Yates loop, not the cyclic one.
      for (std::size_t i = 0; i + 1 < n; ++i) {
        std::swap(numbers[i], numbers[i + source.drawBelow(n - i)]);
      }
      benchmark::DoNotOptimize(numbers.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void baselineSort(benchmark::State& state, const std::string& group) {
  if (group == "shuffle" || group == "shuffle_n") return baselinePermute(state, group);
  const Workload& w = workload(group, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Text> items = w.baselineItems;
    state.ResumeTiming();
    std::stable_sort(items.begin(), items.end());
    benchmark::DoNotOptimize(items.data());
    state.PauseTiming();
    items = {};  // freed outside the timing too
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

const char* const kGroups[] = {
    "sort_text",  "sort_integer",         "unique",    "union",   "intersection",
    "difference", "symmetric_difference", "make_pair", "shuffle", "shuffle_n"};

// ORRERY_BENCH_MAX_ITEMS (default 10^7) caps the sizes, for a quicker run.
const bool kRegistered = [] {
  const char* cap = std::getenv("ORRERY_BENCH_MAX_ITEMS");
  const long long maxItems = cap != nullptr ? std::atoll(cap) : 10000000;
  for (const char* group : kGroups) {
    const std::string g = group;
    for (long long n = 1000; n <= maxItems; n *= 10) {
      for (auto [suffix, fn] :
           {std::pair{"/orrery", &orreryRequest}, {"/baseline", &baselineSort}}) {
        benchmark::RegisterBenchmark((g + suffix).c_str(), fn, g)
            ->Arg(n)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
      }
    }
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN_WITH_RATIOS();

// shuffle and shuffle_n end to end through the module object, against the bare
// permutation loop over the same items in a plain vector.
#include <unordered_map>
#include <vector>

#include "bench_support.h"
#include "commands/lists/random_source.h"
#include "module/module_core.h"
#include "protocol/decimal_format.h"

namespace {

using namespace orrery;

void shuffleOrrery(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const Text request =
      bench::executeRequest(u"shuffle", {bench::joinList(bench::randomTextItems(n))});
  ModuleCore core(nullptr);
  for (auto _ : state) {
    Text out;
    core.requestw(request, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
}

void shuffleBaseline(benchmark::State& state) {
  std::vector<Text> items = bench::randomTextItems(static_cast<std::size_t>(state.range(0)));
  RandomSource source;
  for (auto _ : state) {
    permute(source, items.size(),
            [&](std::size_t k, std::size_t r) { std::swap(items[k], items[r]); });
    benchmark::DoNotOptimize(items.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

constexpr std::uint32_t kCount = 10;

// shuffle_n over a range of state.range(0) values, `count` of them asked for (empty: all).
void shuffleNOrrery(benchmark::State& state, const Text& count) {
  Text end;
  appendSigned(end, state.range(0));
  const Text request = bench::executeRequest(u"shuffle_n", {end, u"", u"", count});
  ModuleCore core(nullptr);
  for (auto _ : state) {
    Text out;
    core.requestw(request, out);
    benchmark::DoNotOptimize(out.data());
  }
  const std::int64_t items = count.empty() ? state.range(0) : kCount;
  state.SetItemsProcessed(state.iterations() * items);
  state.counters["items"] = static_cast<double>(items);
}

// The textbook draw of a few from a long range: a Fisher–Yates loop over a hash map of
// the moved places, values only, no text.
void drawFewBaseline(benchmark::State& state) {
  const auto length = static_cast<std::uint32_t>(state.range(0));
  RandomSource source;
  for (auto _ : state) {
    std::unordered_map<std::uint32_t, std::uint32_t> moved;
    auto at = [&](std::uint32_t j) -> std::uint32_t& {
      return moved.try_emplace(j, j).first->second;
    };
    for (std::uint32_t i = 0; i < kCount; ++i)
      std::swap(at(i), at(i + source.drawBelow(length - i)));
    benchmark::DoNotOptimize(at(0));
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  state.counters["items"] = kCount;
}

// The whole range: the same loop over a vector that holds it, built outside the timing.
void drawAllBaseline(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  RandomSource source;
  std::vector<std::int32_t> sequence(n);
  for (std::size_t i = 0; i < n; ++i) sequence[i] = static_cast<std::int32_t>(i);
  for (auto _ : state) {
    for (std::size_t i = 0; i + 1 < n; ++i)
      std::swap(sequence[i], sequence[i + source.drawBelow(n - i)]);
    benchmark::DoNotOptimize(sequence.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(shuffleOrrery)->Name("shuffle/orrery")->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(shuffleBaseline)->Name("shuffle/baseline")->Arg(1000000)->Unit(benchmark::kMillisecond);
// Ten values cost the same whatever the range: the range is never built.
BENCHMARK_CAPTURE(shuffleNOrrery, count_10, Text(u"10"))
    ->Name("shuffle_n_count_10/orrery")
    ->Arg(1000)
    ->Arg(1000000)
    ->Arg(1000000000);
BENCHMARK(drawFewBaseline)
    ->Name("shuffle_n_count_10/baseline")
    ->Arg(1000)
    ->Arg(1000000)
    ->Arg(1000000000);
BENCHMARK_CAPTURE(shuffleNOrrery, all, Text())
    ->Name("shuffle_n/orrery")
    ->Arg(1 << 20)
    ->Arg(1 << 24)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(drawAllBaseline)
    ->Name("shuffle_n/baseline")
    ->Arg(1 << 20)
    ->Arg(1 << 24)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN_WITH_RATIOS();

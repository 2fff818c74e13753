// shuffle and shuffle_n end to end through the module object, against the bare
// permutation loop over the same items in a plain vector.
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

constexpr char16_t kCount[] = u"10";

void shuffleNOrrery(benchmark::State& state) {
  Text end;
  appendSigned(end, state.range(0));
  const Text request = bench::executeRequest(u"shuffle_n", {end, u"", u"", kCount});
  ModuleCore core(nullptr);
  for (auto _ : state) {
    Text out;
    core.requestw(request, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void shuffleNBaseline(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  RandomSource source;
  std::vector<std::int32_t> sequence(n);
  for (std::size_t i = 0; i < n; ++i) sequence[i] = static_cast<std::int32_t>(i);
  // The loop alone: the vector is built once, outside the timing.
  for (auto _ : state) {
    permute(source, n, [&](std::size_t k, std::size_t r) { std::swap(sequence[k], sequence[r]); });
    benchmark::DoNotOptimize(sequence.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(shuffleOrrery)->Name("shuffle/orrery")->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(shuffleBaseline)->Name("shuffle/baseline")->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(shuffleNOrrery)
    ->Name("shuffle_n/orrery")
    ->Arg(1 << 20)
    ->Arg(1 << 24)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(shuffleNBaseline)
    ->Name("shuffle_n/baseline")
    ->Arg(1 << 20)
    ->Arg(1 << 24)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN_WITH_RATIOS();

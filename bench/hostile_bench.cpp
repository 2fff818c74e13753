// Hostile sizes and values, timed: each must be answered promptly. Correctness is the
// business of tests/hardening/hostile_sizes_test.cpp; this only reports the times.
#include "bench_support.h"
#include "module/module_core.h"
#include "protocol/decimal_format.h"

namespace {

using namespace orrery;

constexpr std::size_t kMegabyte = 1024 * 1024;

void answer(benchmark::State& state, const Text& request) {
  ModuleCore core(nullptr);
  for (auto _ : state) {
    Text out;
    core.requestw(request, out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * request.size() * 2));
}

void answer8(benchmark::State& state, const Bytes& request) {
  ModuleCore core(nullptr);
  for (auto _ : state) {
    Bytes out;
    core.request(request, out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * request.size()));
}

void request64MbWide(benchmark::State& state) {
  answer(state, u"GET Version SAORI/1.0\r\nSender: " + Text(32 * kMegabyte, u'x') + u"\r\n\r\n");
}
BENCHMARK(request64MbWide)->Unit(benchmark::kMillisecond);

void request64MbNarrow(benchmark::State& state) {
  answer8(state, "GET Version SAORI/1.0\r\nSender: " + Bytes(64 * kMegabyte, 'x') + "\r\n\r\n");
}
BENCHMARK(request64MbNarrow)->Unit(benchmark::kMillisecond);

void request64MbUnclosed(benchmark::State& state) {
  answer(state, u"GET Version SAORI/1.0\r\n" + Text(32 * kMegabyte, u'x'));
}
BENCHMARK(request64MbUnclosed)->Unit(benchmark::kMillisecond);

void hundredThousandArguments(benchmark::State& state) {
  Text request = u"GET Version SAORI/1.0\r\n";
  for (std::uint32_t n = 0; n < 100000; ++n) {
    request += u"Argument";
    appendUnsigned(request, n);
    request += u": v\r\n";
  }
  answer(state, request + u"\r\n");
}
BENCHMARK(hundredThousandArguments)->Unit(benchmark::kMillisecond);

void argumentNumbersBeyond32Bits(benchmark::State& state) {
  // Ten thousand headers whose numbers have a thousand digits each.
  Text request = u"GET Version SAORI/1.0\r\n";
  for (int n = 0; n < 10000; ++n) request += u"Argument" + Text(1000, u'9') + u": v\r\n";
  answer(state, request + u"\r\n");
}
BENCHMARK(argumentNumbersBeyond32Bits)->Unit(benchmark::kMillisecond);

void millionEmptyItems(benchmark::State& state, TextView command,
                       const std::vector<Text>& arguments) {
  answer(state, bench::executeRequest(command, arguments));
}
const Text kMillionEmpty(1000000, kListSeparator);
BENCHMARK_CAPTURE(millionEmptyItems, sort, u"sort", {kMillionEmpty, u"A"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(millionEmptyItems, shuffle, u"shuffle", {kMillionEmpty})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(millionEmptyItems, unique, u"unique", {kMillionEmpty})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(millionEmptyItems, union, u"union", {kMillionEmpty, kMillionEmpty})
    ->Unit(benchmark::kMillisecond);

// shuffle_n at the edges of the 32-bit range: refused, tiny, and the longest served.
void shuffleN(benchmark::State& state, const std::vector<Text>& arguments) {
  answer(state, bench::executeRequest(u"shuffle_n", arguments));
}
BENCHMARK_CAPTURE(shuffleN, full_range_step_1, {u"2147483647", u"-2147483648", u"1"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(shuffleN, full_range_step_max, {u"2147483647", u"-2147483648", u"2147483647"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(shuffleN, count_0, {u"2147483647", u"-2147483648", u"2147483647", u"0"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(shuffleN, count_negative, {u"2147483647", u"-2147483648", u"1", u"-1"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(shuffleN, longest_served_count_5, {u"16777216", u"0", u"1", u"5"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(shuffleN, longest_served_all, {u"16777216"})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN_WITH_RATIOS();

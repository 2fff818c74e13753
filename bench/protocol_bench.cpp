// The protocol path alone: parse a request with many arguments and build a response
// with many values, against copying the same texts.
#include "bench_support.h"
#include "module/module_core.h"

namespace {

using namespace orrery;

void versionQuery(benchmark::State& state) {
  ModuleCore core(nullptr);
  for (auto _ : state) {
    Text out;
    core.requestw(u"GET Version SAORI/1.0\r\n\r\n", out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(versionQuery);

}  // namespace

BENCHMARK_MAIN_WITH_RATIOS();

// Small requests through the module's real entry points, as a host sends them: the host
// fills a fresh block with the request, calls requestw or request, and frees the answer.
// Each command at 1, 10, 100 and 1,000 items, against a floor that does the same with
// a bare copy of the request into the response, so the ratio shows the module's fixed
// cost (parsing, dispatch, the command, response building, blocks).
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_support.h"
#include "encoding/utf8.h"
#include "orrery.h"
#include "protocol/decimal_format.h"

namespace {

using namespace orrery;
using bench::executeRequest;
using bench::joinList;

Text makeRequest(const std::string& command, std::size_t n) {
  const Text list = joinList(bench::randomTextItems(n));
  const Text other = joinList(bench::randomTextItems(n, 9));
  if (command == "sort_text") return executeRequest(u"sort", {list, u"S"});
  if (command == "sort_integer")
    return executeRequest(u"sort", {joinList(bench::randomIntegerItems(n))});
  if (command == "shuffle_n") {
    Text end;
    appendUnsigned(end, n);
    return executeRequest(u"shuffle_n", {end});
  }
  const Text name(command.begin(), command.end());
  if (command == "shuffle" || command == "unique") return executeRequest(name, {list});
  return executeRequest(name, {list, other});
}

struct Payload {
  std::string bytes;
  long length = 0;  // in the entry's units
};

Payload payload(const std::string& command, std::size_t n, bool wide) {
  Text request = makeRequest(command, n);
  if (wide) {
    return {std::string(reinterpret_cast<const char*>(request.data()), request.size() * 2),
            static_cast<long>(request.size())};
  }
  // The 8-bit entry reads the charset from the request's headers.
  request.insert(request.find(u"\r\n") + 2, u"Charset: UTF-8\r\n");
  std::string bytes;
  encodeUtf8(request, bytes);
  const long length = static_cast<long>(bytes.size());
  return {std::move(bytes), length};
}

char* hostBlock(const Payload& p) {
  char* block = static_cast<char*>(std::malloc(p.bytes.size()));
  std::memcpy(block, p.bytes.data(), p.bytes.size());
  return block;
}

void moduleCall(benchmark::State& state, std::string command, bool wide) {
  const Payload p = payload(command, static_cast<std::size_t>(state.range(0)), wide);
  for (auto _ : state) {
    long len = p.length;
    char* response = wide ? requestw(hostBlock(p), &len) : request(hostBlock(p), &len);
    benchmark::DoNotOptimize(response);
    std::free(response);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The floor: the same blocks, with the request copied into a response of its size.
void bareCopy(benchmark::State& state, std::string command, bool wide) {
  const Payload p = payload(command, static_cast<std::size_t>(state.range(0)), wide);
  for (auto _ : state) {
    char* in = hostBlock(p);
    benchmark::DoNotOptimize(in);
    char* response = static_cast<char*>(std::malloc(p.bytes.size()));
    std::memcpy(response, in, p.bytes.size());
    std::free(in);
    benchmark::DoNotOptimize(response);
    std::free(response);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

const char* const kCommands[] = {"sort_text", "sort_integer",        "shuffle",      "shuffle_n",
                                 "unique",    "make_pair",           "intersection", "difference",
                                 "union",     "symmetric_difference"};

const bool kRegistered = [] {
  char dir[] = ".";
  char* block = static_cast<char*>(std::malloc(1));
  std::memcpy(block, dir, 1);
  load(block, 1);
  for (bool wide : {true, false}) {
    for (const char* command : kCommands) {
      const std::string group = std::string(wide ? "requestw_" : "request_") + command;
      for (long n : {1, 10, 100, 1000}) {
        benchmark::RegisterBenchmark((group + "/orrery").c_str(), moduleCall, command, wide)
            ->Arg(n)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((group + "/baseline").c_str(), bareCopy, command, wide)
            ->Arg(n)
            ->Unit(benchmark::kMicrosecond);
      }
    }
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN_WITH_RATIOS();

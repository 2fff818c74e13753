#pragma once
// Sample data and a ratio report for the benchmarks.
//
// Name each measured benchmark "<group>/orrery/<size>" and its baseline
// "<group>/baseline/<size>"; BENCHMARK_MAIN_WITH_RATIOS() runs them all and then prints,
// per group and size, time(orrery) / time(baseline) from the same run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "protocol/text.h"

namespace orrery::bench {

// Random items of 1 to 16 code units; half of them ASCII letters and digits, half
// Japanese (hiragana, katakana and common kanji).
std::vector<Text> randomTextItems(std::size_t count, std::uint32_t seed = 42);
// Random signed 32-bit integers written in decimal.
std::vector<Text> randomIntegerItems(std::size_t count, std::uint32_t seed = 42);

// Items joined by the list separator, as one list argument.
Text joinList(const std::vector<Text>& items);

// A complete EXECUTE request: Argument0 = command, then the given arguments.
Text executeRequest(TextView command, const std::vector<Text>& arguments);

// Runs the benchmarks and prints the ratio table; returns the process exit code.
int runWithRatios(int argc, char** argv);

}  // namespace orrery::bench

#define BENCHMARK_MAIN_WITH_RATIOS() \
  int main(int argc, char** argv) { return ::orrery::bench::runWithRatios(argc, argv); }

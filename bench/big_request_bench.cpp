// Sends one 8-bit request read from a file through the module's `request` entry and
// reports what the module alone spends on it: the time of the call, and the process's
// peak resident memory before and after it (the file's bytes and the host block are
// the host's share). Usage: big_request_bench FILE
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "orrery.h"

namespace {

// Peak resident set in kB, from /proc (VmHWM).
long peakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

long minorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  char* dir = static_cast<char*>(std::malloc(1));
  dir[0] = '.';
  load(dir, 1);

  char* block = static_cast<char*>(std::malloc(bytes.size()));
  std::memcpy(block, bytes.data(), bytes.size());
  const long before = peakResidentKb();
  const long faultsBefore = minorFaults();
  long len = static_cast<long>(bytes.size());
  const auto start = std::chrono::steady_clock::now();
  char* response = request(block, &len);
  const auto end = std::chrono::steady_clock::now();
  const long after = peakResidentKb();
  const long faults = minorFaults() - faultsBefore;
  std::printf(
      "request %.1f MB, response %.1f MB, call %.1f ms, peak RSS %.1f MB before the "
      "call (file and block), %.1f MB after; the call's own peak %.1f MB = %.2fx the "
      "request, %ld page faults\n",
      bytes.size() / 1e6, len / 1e6, std::chrono::duration<double, std::milli>(end - start).count(),
      before / 1e3, after / 1e3, (after - before) / 1e3, (after - before) * 1e3 / bytes.size(),
      faults);
  std::free(response);
  unload();
  return 0;
}

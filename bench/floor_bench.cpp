// The module against the floor of any request: copying the host's block into a fresh
// block and writing the answer into a fresh block of the answer's length, with the same
// allocator, sizes and order (for shuffle, plus a permutation of the item positions).
//
// Each case runs in two fresh processes, one calling the module through its real entry
// points and one doing the floor, so that the first call meets the allocator as a host's
// first request does. The request is generated straight into mapped memory and the host
// fills its block before the clock starts, so nothing of the set-up moves the
// allocator's thresholds. Printed per case: the first call and the median of the later
// calls, as CPU time of the process (user and system: page faults are system time) and
// minor page faults, for the module, the floor and their ratio. With --runs N, each side
// runs in N fresh processes, the two sides taking turns, and each figure is the median
// of the runs: on a shared machine the speed of a process varies from one to the next.
//
// Entries: requestw, request in UTF-8, and with --entry s or all, request in Shift_JIS
// (the charset of most hosts).
//
// Usage: floor_bench [--entry w|8|s|ws8...|both|all] [--calls N] [--runs N] [--only COMMAND]
//                    [--max ITEMS]
#include <iconv.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "orrery.h"

namespace {

// How the request is sent: requestw, or request with the charset it names.
enum class Entry { kWide, kUtf8, kShiftJis };

constexpr int kMaxCalls = 16;
constexpr int kMaxRuns = 15;

struct Sample {
  double cpuMs;
  long faults;
};

struct ChildReport {
  long answerBytes;
  int calls;
  bool ok;
  Sample samples[kMaxCalls];
};

// Deterministic items: a hash of (seed, index), so a second list can repeat items of the
// first without keeping them.
std::uint64_t mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15u;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  return x ^ (x >> 31);
}

constexpr char16_t kAscii[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr char16_t kJapanese[] =
    u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"
    u"日本語文字列整列比較集合演算乱数";

// UTF-16 written into a mapping, never through the allocator.
class Sink {
 public:
  explicit Sink(std::size_t capacity)
      : data_(static_cast<char16_t*>(mmap(nullptr, capacity * 2, PROT_READ | PROT_WRITE,
                                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0))) {
    if (data_ == MAP_FAILED) std::abort();
  }
  void put(char16_t c) { data_[size_++] = c; }
  void put(const char* ascii) {
    while (*ascii != '\0') put(static_cast<char16_t>(*ascii++));
  }
  void putNumber(long long v) {
    char digits[24];
    std::snprintf(digits, sizeof(digits), "%lld", v);
    put(digits);
  }
  const char16_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  char16_t* data_;
  std::size_t size_ = 0;
};

// Half the items ASCII letters and digits, half Japanese, 1 to 16 code units.
void textItem(Sink& out, std::uint64_t seed, std::size_t i) {
  std::uint64_t r = mix(seed * 0x100000001B3u + i);
  const std::size_t length = 1 + r % 16;
  const bool japanese = i % 2 == 1;
  for (std::size_t k = 0; k < length; ++k) {
    r = mix(r);
    out.put(japanese ? kJapanese[r % (sizeof(kJapanese) / 2 - 1)]
                     : kAscii[r % (sizeof(kAscii) / 2 - 1)]);
  }
}

void argumentStart(Sink& out, int number) {
  out.put("Argument");
  out.putNumber(number);
  out.put(": ");
}

// One list argument of n items; items below `sharedBelow` come from the first list.
void listArgument(Sink& out, int number, std::size_t n, std::uint64_t seed,
                  std::size_t sharedBelow = 0, bool integers = false) {
  argumentStart(out, number);
  for (std::size_t i = 0; i < n; ++i) {
    if (integers) {
      out.putNumber(static_cast<std::int32_t>(mix(seed + i)));
    } else {
      textItem(out, i < sharedBelow ? 1 : seed, i);
    }
    out.put(u'\x0002');
  }
  out.put("\r\n");
}

const char* const kCommands[] = {"sort_text", "sort_integer", "unique",
                                 "union",     "make_pair",    "shuffle"};

// The request of `command` with n items per list argument.
void buildRequest(Sink& out, const char* command, std::size_t n, Entry entry) {
  out.put("EXECUTE SAORI/1.0\r\n");
  if (entry == Entry::kUtf8) out.put("Charset: UTF-8\r\n");
  if (entry == Entry::kShiftJis) out.put("Charset: Shift_JIS\r\n");
  out.put("Argument0: ");
  const bool sort = std::strncmp(command, "sort", 4) == 0;
  out.put(sort ? "sort" : command);
  out.put("\r\n");
  if (std::strcmp(command, "sort_integer") == 0) {
    listArgument(out, 1, n, 2, 0, true);
  } else if (std::strcmp(command, "union") == 0) {
    listArgument(out, 1, n, 1);
    listArgument(out, 2, n, 3, n / 2);  // half of it repeats the first list
  } else if (std::strcmp(command, "make_pair") == 0) {
    listArgument(out, 1, n, 1);
    listArgument(out, 2, n, 4);
  } else {
    listArgument(out, 1, n, 1);
  }
  if (std::strcmp(command, "sort_text") == 0) {
    argumentStart(out, 2);
    out.put("S\r\n");
  }
  out.put("\r\n");
}

// UTF-8 of text without surrogates, into a mapping of its own.
std::size_t toUtf8(const char16_t* text, std::size_t n, char** out) {
  char* p = static_cast<char*>(mmap(nullptr, n * 3 + 1, PROT_READ | PROT_WRITE,
                                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
  if (p == MAP_FAILED) std::abort();
  *out = p;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t u = text[i];
    if (u < 0x80) {
      *p++ = static_cast<char>(u);
    } else if (u < 0x800) {
      *p++ = static_cast<char>(0xC0 | (u >> 6));
      *p++ = static_cast<char>(0x80 | (u & 0x3F));
    } else {
      *p++ = static_cast<char>(0xE0 | (u >> 12));
      *p++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *p++ = static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return static_cast<std::size_t>(p - *out);
}

// Shift_JIS of text, into a mapping of its own.
std::size_t toShiftJis(const char16_t* text, std::size_t n, char** out) {
  char* p = static_cast<char*>(mmap(nullptr, n * 2 + 1, PROT_READ | PROT_WRITE,
                                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
  if (p == MAP_FAILED) std::abort();
  *out = p;
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) std::abort();
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text));
  std::size_t inLeft = n * 2;
  std::size_t outLeft = n * 2 + 1;
  if (iconv(cd, &in, &inLeft, &p, &outLeft) == static_cast<std::size_t>(-1)) std::abort();
  iconv_close(cd);
  return static_cast<std::size_t>(p - *out);
}

double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long minorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// The floor of one call: the module's two blocks, with their copy and their writes.
char* floorCall(char* in, std::size_t requestBytes, std::size_t answerBytes, std::size_t items,
                bool permute) {
  char* copy = static_cast<char*>(std::malloc(requestBytes == 0 ? 1 : requestBytes));
  std::memcpy(copy, in, requestBytes);
  std::free(in);
  if (permute) {
    auto* positions =
        static_cast<std::uint32_t*>(std::malloc((items == 0 ? 1 : items) * sizeof(std::uint32_t)));
    for (std::size_t i = 0; i < items; ++i) positions[i] = static_cast<std::uint32_t>(i);
    std::uint64_t r = 12345;
    for (std::size_t i = items; i > 1; --i) {
      r = mix(r);
      std::swap(positions[i - 1], positions[r % i]);
    }
    asm volatile("" : : "r"(positions) : "memory");
    std::free(positions);
  }
  char* answer = static_cast<char*>(std::malloc(answerBytes == 0 ? 1 : answerBytes));
  // Written in long runs from the request copy, as an answer made of its items would be.
  for (std::size_t done = 0; done < answerBytes;) {
    const std::size_t run = std::min(answerBytes - done, requestBytes == 0 ? 1 : requestBytes);
    if (requestBytes == 0) {
      answer[done] = 'x';
    } else {
      std::memcpy(answer + done, copy, run);
    }
    done += run;
  }
  std::free(copy);
  return answer;
}

// Runs in a fresh process: `calls` calls of the module, or of the floor when
// answerBytes >= 0.
ChildReport runChild(const char* command, std::size_t n, Entry entry, int calls, long answerBytes) {
  Sink text(n * 2 * 18 + 4096);
  buildRequest(text, command, n, entry);
  const bool narrow = entry != Entry::kWide;
  const char* requestBytesAt = reinterpret_cast<const char*>(text.data());
  std::size_t requestBytes = text.size() * 2;
  long requestLength = static_cast<long>(text.size());
  if (narrow) {
    char* bytes = nullptr;
    requestBytes = entry == Entry::kUtf8 ? toUtf8(text.data(), text.size(), &bytes)
                                         : toShiftJis(text.data(), text.size(), &bytes);
    requestBytesAt = bytes;
    requestLength = static_cast<long>(requestBytes);
  }
  const bool permute = std::strcmp(command, "shuffle") == 0;

  ChildReport report{};
  report.calls = calls;
  report.ok = true;
  report.answerBytes = answerBytes;
  for (int call = 0; call < calls; ++call) {
    // The host's request block, filled before the clock starts.
    char* block = static_cast<char*>(std::malloc(requestBytes));
    std::memcpy(block, requestBytesAt, requestBytes);
    char* answer = nullptr;
    long length = requestLength;
    const long faults = minorFaults();
    const double start = cpuMs();
    if (answerBytes >= 0) {
      answer = floorCall(block, requestBytes, static_cast<std::size_t>(answerBytes), n, permute);
    } else {
      answer = narrow ? request(block, &length) : requestw(block, &length);
    }
    report.samples[call] = {cpuMs() - start, minorFaults() - faults};
    if (answerBytes < 0) {
      const long bytes = narrow ? length : length * 2;
      const char* ok = "SAORI/1.0 200 OK";
      bool answered = answer != nullptr && bytes > 32;
      for (std::size_t i = 0; answered && ok[i] != '\0'; ++i) {
        answered = answer[narrow ? i : i * 2] == ok[i];
      }
      report.ok = report.ok && answered;
      report.answerBytes = bytes;
    }
    std::free(answer);
  }
  return report;
}

// Forks a fresh process for one side of a case and reads its report through a pipe.
bool runSide(const char* command, std::size_t n, Entry entry, int calls, long answerBytes,
             ChildReport& report) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    close(fds[0]);
    const ChildReport r = runChild(command, n, entry, calls, answerBytes);
    const bool written = write(fds[1], &r, sizeof(r)) == static_cast<ssize_t>(sizeof(r));
    _exit(written ? 0 : 1);
  }
  close(fds[1]);
  std::size_t got = 0;
  while (got < sizeof(report)) {
    const ssize_t k = read(fds[0], reinterpret_cast<char*>(&report) + got, sizeof(report) - got);
    if (k <= 0) break;
    got += static_cast<std::size_t>(k);
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return got == sizeof(report) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The median time and the median faults of `n` samples, each taken on its own.
Sample median(const Sample* samples, int n) {
  double times[kMaxCalls > kMaxRuns ? kMaxCalls : kMaxRuns];
  long faults[kMaxCalls > kMaxRuns ? kMaxCalls : kMaxRuns];
  for (int i = 0; i < n; ++i) {
    times[i] = samples[i].cpuMs;
    faults[i] = samples[i].faults;
  }
  std::sort(times, times + n);
  std::sort(faults, faults + n);
  return {times[n / 2], faults[n / 2]};
}

Sample medianOfLater(const ChildReport& r) { return median(r.samples + 1, r.calls - 1); }

void printRow(const char* entry, const char* command, std::size_t n, const char* call,
              Sample module, Sample floor) {
  std::printf("%-8s %-13s %8zu  %-5s %10.2f %10.2f %7.2f %10ld %10ld %7.2f\n", entry, command, n,
              call, module.cpuMs, floor.cpuMs, module.cpuMs / floor.cpuMs, module.faults,
              floor.faults,
              floor.faults > 0 ? static_cast<double>(module.faults) / floor.faults : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const char* entries = "both";
  const char* only = nullptr;
  int calls = 6;
  int runs = 1;
  std::size_t max = 1000000;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--entry") == 0) entries = argv[i + 1];
    if (std::strcmp(argv[i], "--calls") == 0)
      calls = std::clamp(std::atoi(argv[i + 1]), 2, kMaxCalls);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::clamp(std::atoi(argv[i + 1]), 1, kMaxRuns);
    if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
    if (std::strcmp(argv[i], "--max") == 0) max = std::strtoul(argv[i + 1], nullptr, 10);
  }
  char dir[] = ".";
  char* path = static_cast<char*>(std::malloc(1));
  std::memcpy(path, dir, 1);
  load(path, 1);

  std::printf(
      "CPU ms per call (user + system) and minor faults per call; \"later\" is the "
      "median of %d later calls; medians of %d runs\n",
      calls - 1, runs);
  std::printf("%-8s %-13s %8s  %-5s %10s %10s %7s %10s %10s %7s\n", "entry", "command", "items",
              "call", "module ms", "floor ms", "ratio", "mod flt", "floor flt", "ratio");
  int failures = 0;
  for (const Entry entry : {Entry::kWide, Entry::kUtf8, Entry::kShiftJis}) {
    const char own = entry == Entry::kWide ? 'w' : entry == Entry::kUtf8 ? '8' : 's';
    const bool wanted = std::strcmp(entries, "all") == 0 ||
                        (std::strcmp(entries, "both") == 0 && entry != Entry::kShiftJis) ||
                        std::strchr(entries, own) != nullptr;
    if (!wanted) continue;
    const char* name = entry == Entry::kWide   ? "requestw"
                       : entry == Entry::kUtf8 ? "request"
                                               : "sjis";
    for (const char* command : kCommands) {
      if (only != nullptr && std::strcmp(only, command) != 0) continue;
      for (std::size_t n = 10000; n <= max; n *= 10) {
        Sample first[2][kMaxRuns];  // module, floor
        Sample later[2][kMaxRuns];
        bool ok = true;
        for (int run = 0; run < runs && ok; ++run) {
          ChildReport module{};
          ChildReport floor{};
          ok = runSide(command, n, entry, calls, -1, module) && module.ok &&
               runSide(command, n, entry, calls, module.answerBytes, floor);
          first[0][run] = module.samples[0];
          first[1][run] = floor.samples[0];
          later[0][run] = medianOfLater(module);
          later[1][run] = medianOfLater(floor);
        }
        if (!ok) {
          std::printf("%-8s %-13s %8zu  failed\n", name, command, n);
          ++failures;
          continue;
        }
        printRow(name, command, n, "first", median(first[0], runs), median(first[1], runs));
        printRow(name, command, n, "later", median(later[0], runs), median(later[1], runs));
      }
    }
  }
  unload();
  return failures == 0 ? 0 : 1;
}

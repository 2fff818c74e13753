// Exhausted memory at the boundary: every allocation of a set of representative requests
// is made to fail in turn, and each run must still end in a proper response, free the
// host's block exactly once, leak nothing and leave the module usable.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fault/failing_new.h"
#include "module/module_instance.h"
#include "orrery.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "protocol/value_list.h"
#include "support/guard_page.h"

namespace orrery::test {
namespace {

namespace faults = platform::faults;

constexpr std::string_view kNarrowFallback =
    "SAORI/1.0 500 Internal Server Error\r\nSender: Pennant\r\nCharset: Shift_JIS\r\n\r\n";
constexpr std::u16string_view kWideFallback =
    u"SAORI/1.0 500 Internal Server Error\r\nSender: Pennant\r\n\r\n";

// Frees of one watched block, counted by the free hook while an export runs.
const void* gWatched = nullptr;
int gWatchedFrees = 0;
const GuardedBuffer* gGuarded = nullptr;

bool observeFree(void* block) {
  if (block == gWatched) ++gWatchedFrees;
  // A guarded block is mapped memory: it is unmapped by its owner, not freed.
  return gGuarded != nullptr && gGuarded->owns(block);
}

template <typename Unit>
struct Outcome {
  std::basic_string<Unit> response;
  bool failed = false;        // the armed allocation was reached
  int requestBlockFrees = 0;  // how often the module freed the host's block
  std::int64_t leaked = 0;    // operator new allocations the call left behind
  bool noBlock = false;       // null returned, with a length of 0
};

using Export = orrery_block(ORRERY_CALL*)(orrery_block, long*);

template <typename Unit>
Outcome<Unit> call(Export entry, std::basic_string_view<Unit> in, std::uint64_t failAt,
                   bool andAllLater = false, void* block = nullptr) {
  if (block == nullptr) {
    block = platform::allocateBlock(in.size() * sizeof(Unit));
    if (!in.empty()) std::memcpy(block, in.data(), in.size() * sizeof(Unit));
  }
  long length = static_cast<long>(in.size());
  Outcome<Unit> outcome;
  gWatched = block;
  gWatchedFrees = 0;
  const std::int64_t liveBefore = liveAllocations();

  faults::failAllocation(failAt, andAllLater);
  void* response = entry(static_cast<orrery_block>(block), &length);
  outcome.failed = faults::failureHappened();
  faults::failAllocation(0);

  outcome.leaked = liveAllocations() - liveBefore;
  outcome.requestBlockFrees = gWatchedFrees;
  gWatched = nullptr;
  // Only when no memory is left at all, not even for the fallback, is there no block.
  if (response == nullptr) {
    EXPECT_TRUE(andAllLater && outcome.failed);
    EXPECT_EQ(length, 0);
    outcome.noBlock = true;
  } else {
    outcome.response.assign(static_cast<const Unit*>(response), static_cast<std::size_t>(length));
    platform::freeBlock(response);
  }
  return outcome;
}

struct RequestCase {
  const char* name;
  bool wide;
  std::string text;  // UTF-8 here; sent as UTF-16 or as these very bytes
};

std::u16string toUtf16(const std::string& utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out.push_back(b);
      i += 1;
    } else if ((b & 0xE0) == 0xC0) {
      out.push_back(static_cast<char16_t>(((b & 0x1F) << 6) | (utf8[i + 1] & 0x3F)));
      i += 2;
    } else {
      out.push_back(static_cast<char16_t>(((b & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) |
                                          (utf8[i + 2] & 0x3F)));
      i += 3;
    }
  }
  return out;
}

std::string execute(std::vector<std::string> arguments, const std::string& headers = "") {
  std::string text = "EXECUTE SAORI/1.0\r\nSender: test\r\n" + headers;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    text += "Argument" + std::to_string(i) + ": " + arguments[i] + "\r\n";
  }
  return text + "\r\n";
}

// One request for every route and command: the version query, refusals, each charset
// of the 8-bit entry, and each command with a list that gives it work to do.
std::vector<RequestCase> representativeRequests() {
  const std::string list =
      "pear\x02"
      "apple\x02"
      "\xE3\x81\x82\x02"
      "fig\x01"
      "1\x02"
      "apple";
  const std::string numbers =
      "10\x02"
      "-3\x02"
      "7\x02"
      "7";
  std::string large;  // more than a megabyte once decoded: its text is a bulk region
  for (int i = 0; i < 60000; ++i) large += "item" + std::to_string((i * 7919) % 100000) + "\x02";
  return {
      {"version query", true, "GET Version SAORI/1.0\r\n\r\n"},
      {"no closing empty line", true, "EXECUTE SAORI/1.0\r\nArgument0: sort\r\n"},
      {"unknown command", true, execute({"nosuch", "a"})},
      {"sort", true, execute({"sort", list, "R"})},
      {"sort integers", true, execute({"sort", numbers, "I"})},
      {"sort floats", true,
       execute({"sort",
                "1.5\x02"
                "-2\x02"
                "1e3",
                "F"})},
      // Two items always come out exchanged, and a range of one value has one draw, so
      // the answers are fixed.
      {"shuffle", true,
       execute({"shuffle",
                "a\x02"
                "b"})},
      {"shuffle_n", true, execute({"shuffle_n", "1"})},
      {"unique", true, execute({"unique", list})},
      {"make_pair", true, execute({"make_pair", list, numbers})},
      {"intersection", true,
       execute({"intersection", list,
                "apple\x02"
                "fig"})},
      {"difference", true, execute({"difference", list, "apple"})},
      {"union", true,
       execute({"union", list,
                "kiwi\x02"
                "apple"})},
      {"symmetric_difference", true, execute({"symmetric_difference", list, "kiwi"})},
      {"large request", true, execute({"sort", large})},
      {"large Shift_JIS request", false, execute({"sort", large})},
      {"large UTF-8 request", false, execute({"sort", large}, "Charset: UTF-8\r\n")},
      {"empty 8-bit request", false, ""},
      {"Shift_JIS request", false,
       execute({"sort",
                "b\x02\x82\xA0\x02"
                "a"})},
      {"UTF-8 request", false,
       execute({"sort",
                "b\x02\xE3\x81\x82\x02"
                "a"},
               "Charset: UTF-8\r\n")},
      {"EUC-JP request", false,
       execute({"sort",
                "b\x02\xA4\xA2\x02"
                "a"},
               "Charset: EUC-JP\r\n")},
      {"ISO-2022-JP request", false,
       execute({"sort",
                "b\x02\x1B$B$\"\x1B(B\x02"
                "a"},
               "Charset: ISO-2022-JP\r\n")},
  };
}

class AllocationFailure : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    faults::setFreeHook(&observeFree);
    onProcessAttach(nullptr);
  }
  static void TearDownTestSuite() {
    onProcessDetach();
    faults::setFreeHook(nullptr);
  }
  void SetUp() override { throwForeignExceptions(GetParam()); }
  void TearDown() override { throwForeignExceptions(false); }

  // Fails allocation 1, 2, ... of `in` until a run completes without reaching the
  // armed one; returns the number of allocations the request makes.
  template <typename Unit>
  std::uint64_t failEachAllocation(Export entry, std::basic_string_view<Unit> in,
                                   std::basic_string_view<Unit> fallback,
                                   bool andAllLater = false) {
    // Unfaulted, twice: the first run may set up what later runs reuse.
    call<Unit>(entry, in, 0);
    const Outcome<Unit> reference = call<Unit>(entry, in, 0);
    EXPECT_NE(reference.response, fallback);
    EXPECT_EQ(reference.leaked, 0);

    std::uint64_t n = 1;
    for (;; ++n) {
      SCOPED_TRACE("allocation " + std::to_string(n));
      const Outcome<Unit> outcome = call<Unit>(entry, in, n, andAllLater);
      EXPECT_EQ(outcome.requestBlockFrees, 1);
      EXPECT_EQ(outcome.leaked, 0);
      if (!outcome.failed) {
        EXPECT_EQ(outcome.response, reference.response);
        break;
      }
      // Either the failure was absorbed (a temporary buffer that is only a speed-up)
      // or the request is answered with the fallback.
      if (outcome.response != reference.response && !outcome.noBlock) {
        EXPECT_EQ(outcome.response, fallback);
      }
      // And the module answers the next request as if nothing had happened.
      EXPECT_EQ(call<Unit>(entry, in, 0).response, reference.response);
      if (::testing::Test::HasFailure() || n > 100000) break;
    }
    return n - 1;
  }
};

TEST_P(AllocationFailure, EveryAllocationOfEveryRepresentativeRequest) {
  for (const RequestCase& c : representativeRequests()) {
    SCOPED_TRACE(c.name);
    std::uint64_t allocations = 0;
    if (c.wide) {
      const std::u16string text = toUtf16(c.text);
      allocations = failEachAllocation<char16_t>(&requestw, text, kWideFallback);
    } else {
      allocations = failEachAllocation<char>(&request, c.text, kNarrowFallback);
    }
    EXPECT_GT(allocations, 0u);
    if (HasFailure()) return;
  }
}

// From the n-th allocation on, every one fails: memory is gone for good, and the
// fallback itself may find no block.
TEST_P(AllocationFailure, MemoryExhaustedForGood) {
  for (const RequestCase& c : representativeRequests()) {
    SCOPED_TRACE(c.name);
    if (c.wide) {
      failEachAllocation<char16_t>(&requestw, toUtf16(c.text), kWideFallback, true);
    } else {
      failEachAllocation<char>(&request, c.text, kNarrowFallback, true);
    }
    if (HasFailure()) return;
  }
}

TEST_P(AllocationFailure, LoadWithoutMemoryLeavesNoModuleAndNoLeak) {
  unload();
  const std::int64_t baseline = liveAllocations();
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    void* path = platform::allocateBlock(2);
    std::memcpy(path, "./", 2);
    gWatched = path;
    gWatchedFrees = 0;
    faults::failAllocation(n);
    const orrery_bool loaded = load(static_cast<orrery_block>(path), 2);
    const bool failed = faults::failureHappened();
    faults::failAllocation(0);
    gWatched = nullptr;
    EXPECT_EQ(gWatchedFrees, 1);

    if (loaded == 0) {
      EXPECT_TRUE(failed);
      EXPECT_EQ(currentModule(), nullptr);
    }
    // With memory back, the next request starts a module if load could not.
    EXPECT_EQ(call<char16_t>(&requestw, u"GET Version SAORI/1.0\r\n\r\n", 0).response,
              u"SAORI/1.0 204 No Content\r\n");
    EXPECT_EQ(unload(), 1);
    EXPECT_EQ(liveAllocations(), baseline);
    if (!failed || HasFailure()) break;
  }
  ASSERT_TRUE(ensureModule());
}

// A request that finds no module (after unload) starts one; without the memory for it,
// the answer is the fallback, and nothing is left behind either way.
TEST_P(AllocationFailure, RequestThatCannotStartAModuleAnswersTheFallback) {
  const std::string text = "GET Version SAORI/1.0\r\n\r\n";
  const std::string answer = "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n";
  unload();
  const std::int64_t baseline = liveAllocations();
  int fallbacks = 0;
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    bool failed = false;
    {
      const Outcome<char> outcome = call<char>(&request, text, n);
      failed = outcome.failed;
      EXPECT_EQ(outcome.requestBlockFrees, 1);
      if (outcome.response == kNarrowFallback) {
        ++fallbacks;
      } else {
        EXPECT_EQ(outcome.response, answer);
      }
    }
    EXPECT_EQ(unload(), 1);
    EXPECT_EQ(liveAllocations(), baseline);
    if (!failed || HasFailure()) break;
  }
  EXPECT_GT(fallbacks, 0);
  ASSERT_TRUE(ensureModule());
}

INSTANTIATE_TEST_SUITE_P(Exceptions, AllocationFailure, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Foreign" : "BadAlloc"; });

// Found by the test above (shuffle_n): a value chunk was allocated while the list of
// chunks still had to grow, and a failure of that growth lost the chunk.
TEST(ValueListWithoutMemory, ChunkIsReleasedWhenTheChunkListCannotGrow) {
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    const std::int64_t before = liveAllocations();
    faults::failAllocation(n);
    try {
      ValueList values;
      values.reserveAdditional(2, 5000);  // a chunk of its own, past the minimum
      values.push_back(u"copied");
      values.pushJoined(u"first", kPairSeparator, u"second");
    } catch (const std::bad_alloc&) {
    }
    const bool failed = faults::failureHappened();
    faults::failAllocation(0);
    EXPECT_EQ(liveAllocations(), before);
    if (!failed || HasFailure()) break;
  }
}

// The blocks the module keeps between requests: a larger request than they hold takes
// new ones, and whichever of its allocations fails, the kept blocks stay usable, both
// requests are answered as before, and unload leaves nothing behind.
TEST(KeptScratchWithoutMemory, LargerRequestAfterASmallerOne) {
  faults::setFreeHook(&observeFree);
  onProcessAttach(nullptr);
  const auto sortRequest = [](int count) {
    std::string list;
    for (int i = 0; i < count; ++i) list += std::to_string((i * 7919) % 1000) + "\x02";
    return toUtf16(execute({"sort", list, "SA"}));
  };
  const std::u16string smaller = sortRequest(100);
  const std::u16string larger = sortRequest(5000);
  const std::u16string smallerAnswer = call<char16_t>(&requestw, smaller, 0).response;
  const std::u16string largerAnswer = call<char16_t>(&requestw, larger, 0).response;
  destroyModule();
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    const std::int64_t baseline = liveAllocations();
    ASSERT_TRUE(ensureModule());
    EXPECT_EQ(call<char16_t>(&requestw, smaller, 0).response, smallerAnswer);
    bool failed = false;
    {
      const Outcome<char16_t> outcome = call<char16_t>(&requestw, larger, n);
      failed = outcome.failed;
      EXPECT_EQ(outcome.requestBlockFrees, 1);
      if (outcome.response != largerAnswer) EXPECT_EQ(outcome.response, kWideFallback);
    }
    EXPECT_EQ(call<char16_t>(&requestw, larger, 0).response, largerAnswer);
    EXPECT_EQ(call<char16_t>(&requestw, smaller, 0).response, smallerAnswer);
    destroyModule();
    EXPECT_EQ(liveAllocations(), baseline);
    if (!failed || HasFailure()) break;
  }
  onProcessDetach();
  faults::setFreeHook(nullptr);
}

// The host's block itself ends at a guard page: the entries copy exactly the counted
// units and nothing after them.
TEST(HostBlockAtGuardPage, EntriesReadExactlyTheGivenLength) {
  if (!kGuardPages) GTEST_SKIP() << "guard pages need Linux";
  faults::setFreeHook(&observeFree);
  onProcessAttach(nullptr);
  const std::string narrow = "GET Version SAORI/1.0\r\n\r\n";
  for (std::size_t cut = 0; cut <= narrow.size(); ++cut) {
    SCOPED_TRACE(cut);
    const std::string_view in = std::string_view(narrow).substr(0, cut);
    const std::u16string wide(in.begin(), in.end());
    const char* expectedEnd = cut == narrow.size() ? "204 No Content\r\n" : "400 Bad Request\r\n";

    GuardedBuffer bytes(in.size());
    ASSERT_TRUE(bytes.ok());
    guardedCopy<char>(bytes, in);
    gGuarded = &bytes;
    const auto narrowOutcome = call<char>(&request, in, 0, false, bytes.data());
    EXPECT_EQ(narrowOutcome.response,
              std::string("SAORI/1.0 ") + expectedEnd + "Charset: Shift_JIS\r\n\r\n");
    EXPECT_EQ(narrowOutcome.requestBlockFrees, 1);

    GuardedBuffer units(wide.size() * 2);
    ASSERT_TRUE(units.ok());
    guardedCopy<char16_t>(units, wide);
    gGuarded = &units;
    const auto wideOutcome = call<char16_t>(&requestw, wide, 0, false, units.data());
    EXPECT_EQ(wideOutcome.response, u"SAORI/1.0 " + toUtf16(expectedEnd));
    EXPECT_EQ(wideOutcome.requestBlockFrees, 1);
    gGuarded = nullptr;
  }
  onProcessDetach();
  faults::setFreeHook(nullptr);
}

}  // namespace
}  // namespace orrery::test

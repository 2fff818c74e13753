#include "commands/lists/random_source.h"

#include <gtest/gtest.h>

#include <vector>

#include "shuffle_test_support.h"

namespace orrery {
namespace {

TEST(RandomSource, FirstDrawsAfterSeeding) {
  struct Case {
    const char* name;
    std::uint32_t seed;
    std::uint32_t draws[3];
  };
  const Case cases[] = {
      {"seed 1", 1, {4182529786u, 2180050607u, 3809380472u}},
      {"seed 4357", 4357, {4290933890u, 2191955339u, 564929546u}},
      {"seed 0 stays all zero", 0, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RandomSource source;
    source.seed(c.seed);
    for (std::uint32_t expected : c.draws) EXPECT_EQ(source.draw(), expected);
  }
}

TEST(RandomSource, DefaultConstructionUsesSeed4357) {
  RandomSource source;
  EXPECT_EQ(source.draw(), 4290933890u);
}

// 10,000 draws cross both refills many times (draws 1, 625, 1249, … start a refill).
TEST(RandomSource, StreamIsStandardMt19937OfTheSeededState) {
  for (std::uint32_t seed : {1u, 4357u, 0xFFFFFFFFu, 123456789u}) {
    SCOPED_TRACE(seed);
    RandomSource source;
    source.seed(seed);
    std::mt19937 reference = test::referenceEngine(seed);
    for (int n = 1; n <= 10000; ++n) {
      ASSERT_EQ(source.draw(), static_cast<std::uint32_t>(reference())) << "draw " << n;
    }
  }
}

TEST(RandomSource, ReseedingLeavesNoTrace) {
  RandomSource fresh;
  fresh.seed(99);
  std::vector<std::uint32_t> expected;
  for (int i = 0; i < 1300; ++i) expected.push_back(fresh.draw());
  // Re-seed from inside either half: the stream must restart exactly.
  for (int drawnBefore : {0, 1, 623, 624, 700, 1247, 1248, 1500}) {
    SCOPED_TRACE(drawnBefore);
    RandomSource source;
    source.seed(7);
    for (int i = 0; i < drawnBefore; ++i) source.draw();
    source.seed(99);
    for (std::uint32_t e : expected) ASSERT_EQ(source.draw(), e);
  }
}

TEST(RandomSource, PositionsBelowABound) {
  RandomSource source;
  source.seed(4357);
  EXPECT_EQ(source.drawBelow(1), 0u);
  EXPECT_EQ(source.drawBelow(2), 2191955339u % 2);
  EXPECT_EQ(source.drawBelow(1000), 564929546u % 1000);
  RandomSource zero;
  zero.seed(0);
  for (std::size_t bound = 1; bound < 2000; ++bound) ASSERT_EQ(zero.drawBelow(bound), 0u);
}

}  // namespace
}  // namespace orrery

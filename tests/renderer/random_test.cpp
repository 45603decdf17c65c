#include "random.h"

#include <gtest/gtest.h>

namespace orveline {
namespace {

TEST(RandomGenerator, KnownSequenceFromSeedOne) {
    RandomGenerator rng;
    rng.seed(1);
    // state 1 -> 214013 + 2531011 = 2745024 -> >>16 = 41
    EXPECT_EQ(rng.next(), 41);
    EXPECT_EQ(rng.next(), 18467);
    EXPECT_EQ(rng.next(), 6334);
    EXPECT_EQ(rng.next(), 26500);
    EXPECT_EQ(rng.next(), 19169);
}

TEST(RandomGenerator, StateWrapsModulo2To32AndStaysInRange) {
    RandomGenerator rng;
    rng.seed(0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        int r = rng.next();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

}  // namespace
}  // namespace orveline

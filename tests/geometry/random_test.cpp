// The game's random generator: repeatable from a seed, always within 0..32767.
#include <gtest/gtest.h>
#include <cstdint>
#include <vector>
#include "geometry/random.h"

TEST(Random, SameSeedSameSequenceAndRange)
{
    std::vector<int32_t> first;
    random_seed(12345);
    for (int i = 0; i < 1000; ++i)
        first.push_back(random_next());
    random_seed(12345);
    bool high = false, odd = false;
    for (int i = 0; i < 1000; ++i) {
        int32_t v = random_next();
        ASSERT_EQ(v, first[i]);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, RANDOM_MAX);
        high |= v > RANDOM_MAX / 2;
        odd |= (v & 1) != 0;
    }
    EXPECT_TRUE(high);
    EXPECT_TRUE(odd);
    random_seed(54321);
    EXPECT_NE(random_next(), first[0]);
}

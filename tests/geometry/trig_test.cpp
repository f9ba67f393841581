// The sine table and the direction search: exact table entries, the known
// directions and facings, and the search's tie rules and step sequence.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include "geometry/trig.h"

static int facing_of(uint16_t a) { return ((a + 32) >> 6) & 7; }

TEST(SineTable, EveryEntryIsTheRoundedSine)
{
    for (int k = 0; k < ANGLE_STEPS; ++k) {
        long expect = std::lround(256.0 * std::sin(2.0 * M_PI * k / 512.0));
        EXPECT_EQ(sine_table[k], expect) << "entry " << k;
    }
    EXPECT_EQ(sine_table[64], 181);
    EXPECT_EQ(cos512(0), 256);
    EXPECT_EQ(cos512(256), -256);
    EXPECT_EQ(sin512(384 + 512), -256);
}

TEST(DirectionAngle, ScreenDirectionsAndFacings)
{
    struct Case { int32_t x1, y1; uint16_t angle; int facing; };
    const Case cases[] = {
        {200, 160, 0, 0}, {120, 100, 128, 2}, {40, 160, 256, 4},
        {120, 250, 384, 6}, {200, 80, 64, 1}, {40, 240, 320, 5},
    };
    for (const Case& c : cases) {
        uint16_t a = direction_angle(120, 160, c.x1, c.y1);
        EXPECT_EQ(a, c.angle) << c.x1 << "," << c.y1;
        EXPECT_EQ(facing_of(a), c.facing);
    }
}

TEST(DirectionAngle, CoincidentPointsSettleOn434)
{
    EXPECT_EQ(direction_angle(120, 160, 120, 160), 434);
    EXPECT_EQ(direction_angle(-7, 300, -7, 300), 434);
    EXPECT_EQ(facing_of(434), 7);
}

TEST(DirectionAngle, FarPointsNeedSixtyFourBitDistances)
{
    // 24.8 differences of 60000 pixels square to about 2^47.
    EXPECT_EQ(direction_angle(-30000, 0, 30000, 0), 0);
    EXPECT_EQ(direction_angle(30000, 0, -30000, 0), 256);
    EXPECT_EQ(direction_angle(-32768, 32767, 32767, -32768), 64);
    EXPECT_EQ(direction_angle(0, -32768, 0, 32767), 384);
}

TEST(AngleRefine, TieRules)
{
    // Target to the left: a - step (384) and a + step (128) are equally better
    // than a = 0; the lower side wins.
    EXPECT_EQ(angle_refine(0, 128, 0, 0, -1000, 0), 384);
    // Target up-right: a + step (128) only ties with a = 0, so a stays.
    EXPECT_EQ(angle_refine(0, 128, 0, 0, 1000, -1000), 0);
    // Only the upper side is better.
    EXPECT_EQ(angle_refine(0, 128, 0, 0, 0, -1000), 128);
    // Steps wrap around the turn in both directions.
    EXPECT_EQ(angle_refine(10, 20, 0, 0, 1000, 10), 502);
    EXPECT_EQ(angle_refine(500, 20, 0, 0, 1000, -100), 8);
}

TEST(DirectionAngle, UsesTheFixedStepSequence)
{
    const int32_t steps[] = {180, 113, 71, 45, 29, 19, 12, 8, 4, 2, 1};
    for (int32_t y0 = -20; y0 < 340; y0 += 37) {
        for (int32_t x0 = -20; x0 < 260; x0 += 29) {
            for (int32_t y1 = 0; y1 < 320; y1 += 23) {
                for (int32_t x1 = 0; x1 < 240; x1 += 19) {
                    uint16_t a = 0;
                    for (int32_t s : steps)
                        a = angle_refine(a, s, x0, y0, x1, y1);
                    ASSERT_EQ(direction_angle(x0, y0, x1, y1), a)
                        << x0 << "," << y0 << " -> " << x1 << "," << y1;
                }
            }
        }
    }
}

TEST(DirectionAngle, StaysWithinSevenUnitsOfTheTrueDirection)
{
    for (int32_t y0 = 0; y0 < 320; y0 += 31) {
        for (int32_t x0 = 0; x0 < 240; x0 += 23) {
            for (int32_t y1 = 0; y1 < 320; y1 += 13) {
                for (int32_t x1 = 0; x1 < 240; x1 += 11) {
                    if (x0 == x1 && y0 == y1)
                        continue;
                    double exact = std::atan2(double(y0 - y1), double(x1 - x0)) * 256.0 / M_PI;
                    double diff = std::fmod(direction_angle(x0, y0, x1, y1) - exact + 1024.0 + 256.0, 512.0) - 256.0;
                    ASSERT_LE(std::fabs(diff), 7.0) << x0 << "," << y0 << " -> " << x1 << "," << y1;
                }
            }
        }
    }
}

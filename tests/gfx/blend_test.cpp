// The packed RGB565 blend: its end weights and its exact per-channel rounding,
// which every translucent picture of the game depends on.
#include <gtest/gtest.h>

#include "gfx/pixel.h"

// Brightening truncates towards the destination; darkening borrows through the
// packed word and lands one step darker. Channels never bleed into each other.
TEST(Blend565, RoundingIsBitExact)
{
    struct Case { uint16_t dst, src; int weight; uint16_t want; };
    const Case cases[] = {
        {0x0000, 0xFFFF, 16, 0x7BEF}, {0xFFFF, 0x0000, 16, 0x7BEF}, {0x0000, 0xFFFF, 1, 0x0020},
        {0xFFFF, 0x0000, 1, 0xF7BE},  {0x0000, 0xFFFF, 31, 0xF7BE}, {0xF800, 0x07E0, 8, 0xB9E0},
        {0x1234, 0xABCD, 20, 0x6B2F}, {0xABCD, 0x1234, 20, 0x4AB1}, {0x001F, 0x0000, 17, 0x000E},
        {0x07E0, 0x07FF, 16, 0x07EF}, {0x07FF, 0x07E0, 16, 0x07EF}, {0x0000, 0xF800, 16, 0x7800},
    };
    for (const Case& c : cases)
        EXPECT_EQ(blend565(c.dst, c.src, c.weight), c.want) << std::hex << c.dst << " " << c.src << " " << std::dec << c.weight;
}

TEST(Blend565, WeightEndsGiveDestinationAndSource)
{
    for (uint32_t dst = 0; dst <= 0xFFFF; dst += 251) {
        for (uint32_t src = 0; src <= 0xFFFF; src += 257) {
            ASSERT_EQ(blend565(uint16_t(dst), uint16_t(src), 0), dst) << dst << " " << src;
            ASSERT_EQ(blend565(uint16_t(dst), uint16_t(src), 32), src) << dst << " " << src;
        }
    }
}

TEST(Rgb565, TruncatesEachChannel)
{
    EXPECT_EQ(rgb565(255, 255, 255), 0xFFFF);
    EXPECT_EQ(rgb565(8, 4, 8), 0x0821);
    EXPECT_EQ(rgb565(7, 3, 7), 0x0000);
    EXPECT_EQ(rgb565(255, 0, 255), COLOUR_KEY);
}

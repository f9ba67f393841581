// The packed RGB565 blend: its end weights and its exact per-channel rounding,
// which every translucent picture of the game depends on.
#include <gtest/gtest.h>

#include "gfx/pixel.h"

TEST(Blend565, HalfWayWhiteOverBlackIs7BEF)
{
    EXPECT_EQ(blend565(0x0000, 0xFFFF, 16), 0x7BEF);
}

// Rounding follows the packed arithmetic: brightening truncates towards the
// destination, darkening borrows and lands one step darker.
TEST(Blend565, ChannelRoundingIsBitExact)
{
    EXPECT_EQ(blend565(0xFFFF, 0x0000, 16), 0x7BEF);
    EXPECT_EQ(blend565(0x0000, 0xFFFF, 1), 0x0020);
    EXPECT_EQ(blend565(0xFFFF, 0x0000, 1), 0xF7BE);
    EXPECT_EQ(blend565(0x0000, 0xFFFF, 31), 0xF7BE);
    EXPECT_EQ(blend565(0xF800, 0x07E0, 8), 0xB9E0);
    EXPECT_EQ(blend565(0x1234, 0xABCD, 20), 0x6B2F);
    EXPECT_EQ(blend565(0xABCD, 0x1234, 20), 0x4AB1);
    EXPECT_EQ(blend565(0x0821, 0x0000, 16), 0x0000);
    EXPECT_EQ(blend565(0x001F, 0x0000, 17), 0x000E);
}

// One channel moving must not carry into or borrow from its neighbours.
TEST(Blend565, ChannelsStayApart)
{
    EXPECT_EQ(blend565(0x0000, 0x001F, 16), 0x000F);     // blue alone
    EXPECT_EQ(blend565(0x0000, 0x07E0, 16), 0x03E0);     // green alone
    EXPECT_EQ(blend565(0x0000, 0xF800, 16), 0x7800);     // red alone
    EXPECT_EQ(blend565(0x07E0, 0x07FF, 16), 0x07EF);     // blue rises under full green
    EXPECT_EQ(blend565(0x07FF, 0x07E0, 16), 0x07EF);     // blue falls under full green
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

TEST(Blend565, EqualColoursStayPut)
{
    for (uint32_t c = 0; c <= 0xFFFF; c += 97)
        for (int w = 0; w <= 32; ++w)
            ASSERT_EQ(blend565(uint16_t(c), uint16_t(c), w), c) << c << " " << w;
}

TEST(Rgb565, TruncatesEachChannel)
{
    EXPECT_EQ(rgb565(255, 255, 255), 0xFFFF);
    EXPECT_EQ(rgb565(8, 4, 8), 0x0821);
    EXPECT_EQ(rgb565(7, 3, 7), 0x0000);
    EXPECT_EQ(rgb565(255, 0, 255), COLOUR_KEY);
}

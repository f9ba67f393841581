// Start-up: the caption cut from the program's path, the window and state the
// engine leaves for the game, and the failure without a video driver.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <unistd.h>

#include "gfx/blit.h"
#include "scene/compose.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/shell_harness.h"

TEST(CaptionFromPath, NameWithoutItsLastExtension)
{
    const char* cases[][2] = {
        {"D:\\Games\\Zembrolfink.exe", "Zembrolfink"},
        {"D:\\my.games\\Zembrolfink", "Zembrolfink"},   // a dot in a directory cuts nothing
        {"D:\\Games\\a.b.exe", "a.b"},
        {"/usr/local/games/Zembrolfink", "Zembrolfink"},
        {"/home/me/my.games/Zembrolfink", "Zembrolfink"},
        {"/home/me/build/a.b.c", "a.b"},
        {"/mnt/d\\x.y/Zembrolfink.bin", "Zembrolfink"}, // either separator, whichever is last
        {"/home/me/.hidden", ""},
        {"a.exe", "a"},
        {"Zembrolfink", "Zembrolfink"},
        {"", ""},
    };
    for (auto& c : cases) {
        char out[64] = "junk";
        caption_from_path(c[0], out, sizeof out);
        EXPECT_STREQ(out, c[1]) << c[0];
    }
    char small[5];
    caption_from_path("D:\\Games\\Zembrolfink.exe", small, sizeof small);
    EXPECT_STREQ(small, "Zemb");
}

TEST(EngineStart, OpensTheWindowAndSetsTheSharedState)
{
    const StartRecord& r = shell_start_once();
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.created_w, 480);
    EXPECT_EQ(r.created_h, 640);
    EXPECT_EQ(r.first_w, 240);
    EXPECT_EQ(r.first_h, 320);
    // The first frame is held back 32 ms, so the shrunken window can settle.
    EXPECT_EQ(r.first_hold_us, 32000u);
    EXPECT_STREQ(r.caption, "test_shell");
    EXPECT_EQ(screen_height, 320);
    const ClipRect& c = requested_clip_rects[0];
    EXPECT_EQ((std::vector<int>{c.x0, c.y0, c.x1, c.y1}), (std::vector<int>{0, 0, 239, 319}));
    EXPECT_EQ((std::vector<int>{screen_rect.x0, screen_rect.y0, screen_rect.x1, screen_rect.y1}),
              (std::vector<int>{0, 0, 239, 319}));
}

TEST(EngineStartDeathTest, NoVideoDriverPrintsTheReasonAndFails)
{
    // A fresh process, where SDL has not been started; its standard output is
    // sent to standard error, where the death test reads it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            setenv("SDL_VIDEODRIVER", "nonexistent_driver", 1);
            int result = engine_start();
            std::fflush(stdout);
            std::exit(result == 1 && pointer_x == 0 ? 1 : 3);
        },
        ::testing::ExitedWithCode(1), "^Loading\\.\\.\\.\nUnable to init SDL: .+\n$");
}

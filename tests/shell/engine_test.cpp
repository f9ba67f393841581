// Start-up: the window caption cut from the program's path, the state the
// engine leaves for the first frame, and the failure without a video driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <cstdio>
#include <unistd.h>

#include "geometry/random.h"
#include "gfx/blit.h"
#include "gfx/image.h"
#include "scene/compose.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/shell_harness.h"

static std::string caption_of(const char* path, int size = 256)
{
    char out[256];
    caption_from_path(path, out, size);
    return out;
}

TEST(CaptionFromPath, CutsDirectoryAndLastExtension)
{
    EXPECT_EQ(caption_of("D:\\Games\\Zembrolfink.exe"), "Zembrolfink");
    EXPECT_EQ(caption_of("D:\\Games\\a.b.exe"), "a.b");
    EXPECT_EQ(caption_of("/usr/local/games/Zembrolfink"), "Zembrolfink");
    EXPECT_EQ(caption_of("/opt/z/Zembrolfink.bin"), "Zembrolfink");
    EXPECT_EQ(caption_of("/home/me/build/a.b.c"), "a.b");
}

TEST(CaptionFromPath, DotInDirectoryLeavesTheNameWhole)
{
    EXPECT_EQ(caption_of("D:\\my.games\\Zembrolfink"), "Zembrolfink");
    EXPECT_EQ(caption_of("/home/me/my.games/Zembrolfink"), "Zembrolfink");
    // Both separators count, whichever comes last.
    EXPECT_EQ(caption_of("/mnt/d\\my.games/sub\\Zembrolfink"), "Zembrolfink");
    EXPECT_EQ(caption_of("C:\\x.y/Zembrolfink.exe"), "Zembrolfink");
}

TEST(CaptionFromPath, OddNames)
{
    // A name that is all extension has nothing left.
    EXPECT_EQ(caption_of("/home/me/.hidden"), "");
    EXPECT_EQ(caption_of("/home/me/name."), "name");
    EXPECT_EQ(caption_of("/home/me/"), "");
    EXPECT_EQ(caption_of(""), "");
    EXPECT_EQ(caption_of("a.exe"), "a");
    // With neither separator nor dot the whole path is the name.
    EXPECT_EQ(caption_of("Zembrolfink"), "Zembrolfink");
}

TEST(CaptionFromPath, CutToTheBuffer)
{
    EXPECT_EQ(caption_of("D:\\Games\\Zembrolfink.exe", 5), "Zemb");
    EXPECT_EQ(caption_of("D:\\Games\\Zembrolfink.exe", 1), "");
    char guard[4] = {'x', 'x', 'x', 'x'};
    caption_from_path("D:\\Games\\Zembrolfink.exe", guard, 0);
    EXPECT_EQ(guard[0], 'x');
}

TEST(EngineStart, WindowIsCreatedDoubledThenShrunkByTheFirstFrame)
{
    const StartRecord& r = shell_start_once();
    ASSERT_EQ(r.engine_result, 0);
    ASSERT_NE(shell_window(), nullptr);
    EXPECT_EQ(r.created_w, 480);
    EXPECT_EQ(r.created_h, 640);
    EXPECT_EQ(r.doubled_before_first_frame, 1);
    EXPECT_EQ(r.first_frame_w, 240);
    EXPECT_EQ(r.first_frame_h, 320);
    EXPECT_EQ(r.doubled_after_first_frame, 0);
    // The first frame turns composing on and waits 32 ms: all but one slept.
    EXPECT_EQ(r.compose_after_first_frame, 1);
    EXPECT_EQ(r.first_frame_delay, 31u);
}

TEST(EngineStart, CaptionIsTheProgramFileName)
{
    // The test program's file is .../tests/test_shell.
    EXPECT_EQ(std::string(shell_start_once().caption), "test_shell");
}

TEST(EngineStart, SharedStateForTheGame)
{
    shell_start_once();
    EXPECT_EQ(screen_height, 320);
    EXPECT_EQ(requested_clip_rects[0].x0, 0);
    EXPECT_EQ(requested_clip_rects[0].y0, 0);
    EXPECT_EQ(requested_clip_rects[0].x1, 239);
    EXPECT_EQ(requested_clip_rects[0].y1, 319);
    EXPECT_EQ(screen_rect.x0, 0);
    EXPECT_EQ(screen_rect.y0, 0);
    EXPECT_EQ(screen_rect.x1, 239);
    EXPECT_EQ(screen_rect.y1, 319);
}

TEST(EngineStart, RandomGeneratorIsSeededFromTheClock)
{
    const StartRecord& r = shell_start_once();
    bool matched = false;
    for (uint32_t s = r.seconds_before; s <= r.seconds_after; ++s) {
        random_seed(s);
        matched = matched || random_next() == r.first_random;
    }
    EXPECT_TRUE(matched);
}

TEST(EngineStart, ResetsPointerAndSpriteTable)
{
    shell_start_once();
    // Dirty the state engine_start owns, then start a second time in a child
    // process so the shared window of this process is left alone.
    EXPECT_EXIT(
        {
            pointer_x = 7;
            pointer_y = 9;
            pointer_down = pointer_pressed = pointer_released = 1;
            static Image blank{};
            sprite_create(2048, &blank, 16, 16, 232, 9);
            random_seed(0);
            if (engine_start() != 0)
                std::exit(2);
            bool ok = pointer_x == 120 && pointer_y == 160 && pointer_down == 0 && pointer_pressed == 0 &&
                      pointer_released == 0 && sprite_table[2048] == nullptr;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(EngineStartDeathTest, NoVideoDriverPrintsTheReasonAndFails)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process, so that SDL is not started yet; its output goes to
    // standard error, where the death test can read it.
    EXPECT_EXIT(
        {
            dup2(2, 1);
            setenv("SDL_VIDEODRIVER", "nonexistent_driver", 1);
            int result = engine_start();
            std::fflush(stdout);
            std::exit(result == 1 && screen_height == 320 ? 1 : 3);
        },
        ::testing::ExitedWithCode(1), "^Loading\\.\\.\\.\nUnable to init SDL: .+\n$");
}

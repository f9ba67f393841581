// The game's tests on the kit's scripted player (testkit/player.h): the test
// fixtures, each of which runs in a fresh working directory, and the step
// lists played through game_main or one piece of the game. Header only: every
// test program of the game can include it.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "testkit/player.h"
#include "game/shared_pictures.h"

// Every game test runs in a fresh empty directory with the fake clock and no
// input left over from an earlier test.
class GameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zf_game_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        old_dir = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        FakeClock::install();
        if (SDL_WasInit(SDL_INIT_VIDEO))
            SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        button_held = 0;
        return_raw = 0;
        for (int i = 0; i < SOFT_TIMER_COUNT; ++i) {
            soft_timers[i] = 0;
            soft_timer_modes[i] = TIMER_STOPPED;
        }
        frame_hook = nullptr;
    }
    void TearDown() override
    {
        frame_hook = nullptr;
        std::filesystem::current_path(old_dir);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::filesystem::path dir;
    std::filesystem::path old_dir;
};

// For tests of single pieces: the engine started and the shared resources
// built, as game_main has them before its title screen.
class GameWorldTest : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        ASSERT_EQ(engine_start(), 0);
        resources_build();
        // The first frame of a run shrinks the window; get it behind us.
        frame_step();
        sprite_create(SPRITE_CLOSE, close_icon_image, PIC_CLOSE_ICON, CLOSE_X, CLOSE_Y);
        game_mode = MODE_CLASSIC;
        vertex_count = 0;
        compose_enabled = 1;
    }
};

// A session of the player's, step after step, through game_main.
struct Played {
    int status;            // game_main's, or -100 when the steps (or the frame limit) stopped it
    std::string reason;    // why it was stopped: "done" after the last step
    size_t step;           // the step it stopped in
};

inline Played steps_play(std::vector<Step> steps, std::function<void()> watch = nullptr, uint32_t seed = 12345,
                         int frame_limit = 20000)
{
    StepList list{std::move(steps)};
    GameDriver driver([&list](GameDriver& d) { list.run(d); }, seed, frame_limit);
    driver.watch = std::move(watch);
    const int status = driver.run();
    return {status, driver.stop_reason, list.at};
}

// The steps played into one piece of the game (a screen, a loop) instead of
// game_main; false when the steps stopped it before it returned.
template <class F>
bool steps_play_with(std::vector<Step> steps, F piece)
{
    StepList list{std::move(steps)};
    GameDriver driver([&list](GameDriver& d) { list.run(d); });
    return driver.run_with(piece);
}

// A fresh profile open and on disk, as a first start of the game leaves it.
inline void profile_start_fresh()
{
    profile_open("Zembrolfink");
    profile_reset(&profile);
    profile_write();
}

// Writes a profile file as a previous run would have left it.
inline void profile_file_write(const Profile& record)
{
    uint8_t bytes[PROFILE_SIZE];
    profile_encode(record, bytes);
    FILE* f = std::fopen("Zembrolfink.sav", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes, 1, PROFILE_SIZE, f);
    std::fclose(f);
}

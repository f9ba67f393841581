// Saves cut short by a kill: a child process saves a changing profile and level
// file over and over, reporting each finished round through a pipe, and is
// killed at random moments. After every kill each file must be exactly what
// the last reported round left or what the round after it leaves (for the
// level file, also its state between that round's two writes): never a mix
// of two rounds, never a short file. Each round's content follows from its
// number, so the expected bytes are rebuilt here without the writer's help.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <random>
#include <thread>
#include <vector>
#include "storage/level_file.h"
#include "storage/profile.h"
#include "storage/ring_game.h"
#include "storage/scratch_dir.h"

constexpr int KILLS = 150;
constexpr int MAX_DELAY_US = 20000;
constexpr int LEVELS_IN_PLAY = 3;           // the rounds save levels 1..3 in turn
constexpr uint8_t TRACK = 0;
constexpr uint32_t CHILD_ROUND_CAP = 200000; // a child the parent lost still ends
constexpr int PROGRESS_EVERY = 10;          // every tenth child finishes a round before its kill
constexpr int PROGRESS_WAIT_MS = 10000;

static const char* const PROFILE_FILE = "Zembrolfink.sav";
static const char* const LEVEL_FILE = "ZembrolShape0.lvl";

static void profile_fill(uint32_t round, Profile* p)
{
    p->profile_version = 2;
    for (int i = 0; i < LEVELS_OPEN_COUNT; ++i)
        p->levels_open[i] = round * 10 + uint32_t(i);
    for (int i = 0; i < BEST_TIME_LEVELS; ++i)
        p->best_times[i] = uint16_t(round + uint32_t(i) * 3);
    for (int i = 0; i < TOP_SCORE_COUNT; ++i)
        p->top_scores[i] = int32_t(round * 100) - i;
}

// The file a round's profile must give, field by field in little-endian order.
static std::vector<uint8_t> profile_expected(uint32_t round)
{
    Profile p;
    profile_fill(round, &p);
    std::vector<uint8_t> b;
    auto put = [&b](uint32_t v, int bytes) {
        for (int k = 0; k < bytes; ++k)
            b.push_back(uint8_t(v >> (8 * k)));
    };
    put(uint32_t(p.profile_version), 4);
    for (uint32_t v : p.levels_open)
        put(v, 4);
    for (uint16_t v : p.best_times)
        put(v, 2);
    for (int32_t v : p.top_scores)
        put(uint32_t(v), 4);
    return b;
}

static uint8_t round_level(uint32_t round)
{
    return uint8_t(1 + round % LEVELS_IN_PLAY);
}

// The game a round saves: the level's ring, moved and clocked by the round.
static SavedGame round_game(uint32_t round, uint8_t level)
{
    SavedGame g = ring_game(saved_slot_vertices(level - 1), round * 1000 + level);
    for (int i = 0; i < g.vertex_count; ++i)
        g.vertices[i].x = int16_t(g.vertices[i].x + int16_t(round & 0x3FF));
    return g;
}

// Round r (from 1): the profile of r, then level round_level(r) saved with its
// game, then the previous round's level cleared. Round 0 is the starting state:
// levels 1..3 saved with their round-0 games.
static void round_play(uint32_t round)
{
    profile_fill(round, &profile);
    profile_write();
    const uint8_t level = round_level(round);
    saved_game_write(level, TRACK, round_game(round, level));
    saved_flag_clear(round_level(round - 1), TRACK);
}

// The level file after `rounds` whole rounds, and then, when half is set, the
// save of the next round without its clear.
static std::vector<uint8_t> level_expected(uint32_t rounds, bool half)
{
    uint8_t flags[SAVED_FLAG_COUNT] = {1, 1, 1};
    uint32_t latest[LEVELS_IN_PLAY + 1] = {};
    for (uint32_t r = 1; r <= rounds + (half ? 1 : 0); ++r) {
        flags[round_level(r) - 1] = 1;
        latest[round_level(r)] = r;
        if (r <= rounds)
            flags[round_level(r - 1) - 1] = 0;
    }
    std::vector<uint8_t> b(flags, flags + SAVED_FLAG_COUNT);
    for (uint8_t level = 1; level <= LEVELS_IN_PLAY; ++level) {
        const std::vector<uint8_t> slot = slot_bytes(round_game(latest[level], level));
        b.insert(b.end(), slot.begin(), slot.end());
    }
    return b;
}

// Plays rounds from `first` on until killed, writing each finished round's
// number to the pipe.
[[noreturn]] static void child_run(uint32_t first, int report)
{
    for (uint32_t round = first; round < first + CHILD_ROUND_CAP; ++round) {
        round_play(round);
        if (write(report, &round, sizeof round) != sizeof round)
            _exit(1);
    }
    _exit(0);
}

class SaveKillTest : public ScratchDirTest {};

TEST_F(SaveKillTest, EveryKillLeavesWholeFiles)
{
    profile_open("Zembrolfink");
    profile_fill(0, &profile);
    ASSERT_EQ(profile_write(), 1);
    for (uint8_t level = 1; level <= LEVELS_IN_PLAY; ++level)
        ASSERT_EQ(saved_game_write(level, TRACK, round_game(0, level)), 1);
    ASSERT_EQ(file_bytes(PROFILE_FILE), profile_expected(0));
    ASSERT_EQ(file_bytes(LEVEL_FILE), level_expected(0, false));

    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delay(0, MAX_DELAY_US);
    uint32_t reported = 0;
    int mid_round = 0;
    for (int kill_no = 0; kill_no < KILLS; ++kill_no) {
        int pipe_ends[2];
        ASSERT_EQ(pipe(pipe_ends), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(pipe_ends[0]);
            child_run(reported + 1, pipe_ends[1]);
        }
        close(pipe_ends[1]);
        // However slow the disk, some rounds finish and later kills land in
        // new states: now and then the kill waits for the child's first round.
        uint32_t round = 0;
        if (kill_no % PROGRESS_EVERY == PROGRESS_EVERY - 1) {
            pollfd ready = {pipe_ends[0], POLLIN, 0};
            EXPECT_EQ(poll(&ready, 1, PROGRESS_WAIT_MS), 1) << "the child finished no round";
            if (read(pipe_ends[0], &round, sizeof round) == sizeof round)
                reported = round;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << status;

        while (read(pipe_ends[0], &round, sizeof round) == sizeof round)
            reported = round;
        close(pipe_ends[0]);

        SCOPED_TRACE(testing::Message() << "kill " << kill_no << " after round " << reported);
        const std::vector<uint8_t> profile_now = file_bytes(PROFILE_FILE);
        ASSERT_TRUE(profile_now == profile_expected(reported) || profile_now == profile_expected(reported + 1))
            << "profile of " << profile_now.size() << " bytes is neither round's";
        const std::vector<uint8_t> level_now = file_bytes(LEVEL_FILE);
        const bool half = level_now == level_expected(reported, true);
        mid_round += half;
        ASSERT_TRUE(level_now == level_expected(reported, false) || half ||
                    level_now == level_expected(reported + 1, false))
            << "level file of " << level_now.size() << " bytes is neither round's";
    }
    RecordProperty("rounds", int(reported));
    RecordProperty("kills_between_two_level_writes", mid_round);
}

// Saves that cannot be made: whatever stops one (a step the system refuses, a
// directory where the temporary file should go, a file size limit standing in
// for a full disk, a read-only directory or file), the old file stays byte for
// byte, no temporary file is left, the call answers 0, and the next save once
// the obstacle is gone writes exactly what it would have written anyway. A
// folder that takes no new file but holds writable save files still saves,
// in place. The tests run as root, where permission bits stop nothing, so the
// permission cases run in a child process that first drops to an unprivileged
// user.
#include <gtest/gtest.h>
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "storage/level_file.h"
#include "storage/profile.h"
#include "storage/ring_game.h"
#include "storage/save_file.h"
#include "storage/scratch_dir.h"

// One kind of save: prepare leaves the file it changes in its old state (or
// absent), act attempts the change.
struct SaveCase {
    const char* label;
    const char* file;
    void (*prepare)();
    uint8_t (*act)();
};

static void profile_prepare_existing()
{
    profile_open("Zembrolfink");
    profile_reset(&profile);
    profile.levels_open[0] = 5;
    profile.best_times[3] = 42;
    ASSERT_EQ(profile_write(), 1);
    profile.levels_open[0] = 6;
    profile.top_scores[0] = 1234;
}

static void profile_prepare_first_run()
{
    profile_open("Zembrolfink");
    profile_reset(&profile);
}

static void level_prepare_existing()
{
    ASSERT_EQ(saved_game_write(1, 2, ring_game(6, 11)), 1);
    ASSERT_EQ(saved_game_write(2, 2, ring_game(10, 22)), 1);
}

static void nothing_to_prepare() {}

static const SaveCase SAVE_CASES[] = {
    {"profile over an old one", "Zembrolfink.sav", profile_prepare_existing, profile_write},
    {"first profile", "Zembrolfink.sav", profile_prepare_first_run, profile_write},
    {"saved game into an old file", "ZembrolShape2.lvl", level_prepare_existing,
     [] { return saved_game_write(3, 2, ring_game(15, 33)); }},
    {"saved game into a new file", "ZembrolShape5.lvl", nothing_to_prepare,
     [] { return saved_game_write(2, 5, ring_game(10, 44)); }},
    {"flag cleared", "ZembrolShape2.lvl", level_prepare_existing, [] { return saved_flag_clear(2, 2); }},
};

// The old state of one case's directory, taken after prepare.
struct Before {
    bool existed;
    std::vector<uint8_t> bytes;
    std::vector<std::string> names;
};

static Before before_take(const SaveCase& c)
{
    return Before{file_exists(c.file), file_bytes(c.file), names_in(".")};
}

class SaveFailureTest : public ::testing::Test {
protected:
    void TearDown() override { save_fault_step = SAVE_STEP_NONE; }

    // What each case writes when nothing is in its way, from a directory of its own.
    std::vector<uint8_t> unhindered_result(const SaveCase& c)
    {
        ScratchDir dir;
        dir.enter();
        c.prepare();
        EXPECT_EQ(c.act(), 1) << c.label;
        std::vector<uint8_t> bytes = file_bytes(c.file);
        dir.leave();
        return bytes;
    }

    // Runs every case in a fresh directory: prepare, hinder, act and expect a
    // clean failure, then unhinder and expect the unhindered result.
    void expect_failures_clean(void (*hinder)(const SaveCase&), uint8_t (*attempt)(const SaveCase&),
                               void (*unhinder)(const SaveCase&))
    {
        for (const SaveCase& c : SAVE_CASES) {
            SCOPED_TRACE(c.label);
            const std::vector<uint8_t> expect = unhindered_result(c);
            ScratchDir dir;
            dir.enter();
            c.prepare();
            hinder(c);
            const Before before = before_take(c);
            EXPECT_EQ(attempt(c), 0);
            EXPECT_EQ(file_exists(c.file), before.existed);
            EXPECT_EQ(file_bytes(c.file), before.bytes);
            EXPECT_EQ(names_in("."), before.names) << "a temporary file was left behind";
            unhinder(c);
            EXPECT_EQ(c.act(), 1) << "the next save goes through";
            EXPECT_EQ(file_bytes(c.file), expect);
            EXPECT_FALSE(file_exists((std::string(c.file) + ".tmp").c_str()));
            dir.leave();
        }
    }
};

static uint8_t attempt_plainly(const SaveCase& c)
{
    return c.act();
}

static void no_change(const SaveCase&) {}

TEST_F(SaveFailureTest, EveryRefusedStepLeavesTheOldFile)
{
    static SaveStep step;
    for (int s = SAVE_STEP_OPEN; s < SAVE_STEP_NONE; ++s) {
        SCOPED_TRACE(s);
        step = SaveStep(s);
        expect_failures_clean([](const SaveCase&) { save_fault_step = step; }, attempt_plainly,
                              [](const SaveCase&) { save_fault_step = SAVE_STEP_NONE; });
    }
}

// A directory under the temporary name cannot be opened for writing, by root
// or anyone, nor removed by the save.
TEST_F(SaveFailureTest, DirectoryInTheWayOfTheTemporaryFile)
{
    expect_failures_clean(
        [](const SaveCase& c) { ASSERT_EQ(mkdir((std::string(c.file) + ".tmp").c_str(), 0755), 0); },
        attempt_plainly,
        [](const SaveCase& c) { ASSERT_EQ(rmdir((std::string(c.file) + ".tmp").c_str()), 0); });
}

// A file size limit makes writes past it fail just as a full disk does, and
// binds root too. 100 bytes is less than any file here. The save runs in a
// child that has SIGXFSZ as a fresh process has it, so a write past the limit
// would end it: the save itself must keep the game alive.
static uint8_t attempt_with_size_limit(const SaveCase& c)
{
    const int status = child_run([&c] {
        signal(SIGXFSZ, SIG_DFL);
        rlimit small;
        if (getrlimit(RLIMIT_FSIZE, &small) != 0)
            return 99;
        small.rlim_cur = 100;
        if (setrlimit(RLIMIT_FSIZE, &small) != 0)
            return 99;
        return int(c.act());
    });
    EXPECT_LT(status, CHILD_SIGNALLED) << "the save was ended by signal " << status - CHILD_SIGNALLED;
    return uint8_t(status);
}

TEST_F(SaveFailureTest, DiskFullLeavesTheOldFile)
{
    expect_failures_clean(no_change, attempt_with_size_limit, no_change);
}

// Runs the case's save in a child process as an unprivileged user (when we
// are root) and returns what it answered.
static uint8_t attempt_unprivileged(const SaveCase& c)
{
    return uint8_t(child_run([&c] { return int(c.act()); }, true));
}

TEST_F(SaveFailureTest, ReadOnlyDirectoryLeavesTheOldFile)
{
    expect_failures_clean([](const SaveCase&) { ASSERT_EQ(chmod(".", 0555), 0); }, attempt_unprivileged,
                          [](const SaveCase&) { ASSERT_EQ(chmod(".", 0700), 0); });
}

// In a directory anyone may write, a read-only file is still kept: the rename
// alone would be allowed, but the player asked for the file to stay.
TEST_F(SaveFailureTest, ReadOnlyFileIsKept)
{
    for (const SaveCase& c : SAVE_CASES) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        dir.enter();
        c.prepare();
        if (!file_exists(c.file)) {
            dir.leave();
            continue;
        }
        ASSERT_EQ(chmod(".", 0777), 0);
        ASSERT_EQ(chmod(c.file, 0444), 0);
        const Before before = before_take(c);
        EXPECT_EQ(attempt_unprivileged(c), 0);
        EXPECT_EQ(file_bytes(c.file), before.bytes);
        EXPECT_EQ(names_in("."), before.names);
        dir.leave();
    }
}

// A folder the player may not add files to, holding save files they may
// write: no temporary file can be made there, so the save is written into the
// file itself and must come out exactly as a replacement would have. A file
// that is not there yet cannot be made, and a read-only one is still kept.
TEST_F(SaveFailureTest, ReadOnlyFolderWithWritableFilesSavesInPlace)
{
    for (const SaveCase& c : SAVE_CASES) {
        SCOPED_TRACE(c.label);
        const std::vector<uint8_t> expect = unhindered_result(c);
        ScratchDir dir;
        dir.enter();
        c.prepare();
        const bool existed = file_exists(c.file);
        if (existed) {
            ASSERT_EQ(chmod(c.file, 0444), 0);
            ASSERT_EQ(chmod(".", 0555), 0);
            const Before read_only = before_take(c);
            EXPECT_EQ(attempt_unprivileged(c), 0) << "a read-only file was written";
            EXPECT_EQ(file_bytes(c.file), read_only.bytes);
            ASSERT_EQ(chmod(".", 0700), 0);
            ASSERT_EQ(chmod(c.file, 0666), 0);
        }
        ASSERT_EQ(chmod(".", 0555), 0);
        const Before before = before_take(c);
        EXPECT_EQ(attempt_unprivileged(c), existed ? 1 : 0);
        EXPECT_EQ(file_exists(c.file), existed);
        EXPECT_EQ(file_bytes(c.file), existed ? expect : before.bytes);
        EXPECT_EQ(names_in("."), before.names);
        struct stat st;
        if (existed && stat(c.file, &st) == 0)
            EXPECT_EQ(st.st_mode & 07777, 0666u);
        ASSERT_EQ(chmod(".", 0700), 0);
        dir.leave();
    }
}

TEST(SaveFileTest, ReplacementKeepsPermissionsAndClearsAStaleTemporaryFile)
{
    ScratchDir dir;
    dir.enter();
    file_put("Zembrolfink.sav", {1, 2, 3});
    ASSERT_EQ(chmod("Zembrolfink.sav", 0640), 0);
    // Left by a save that was cut short.
    file_put("Zembrolfink.sav.tmp", std::vector<uint8_t>(5000, 0xAB));
    const uint8_t fresh[] = {9, 8, 7, 6};
    ASSERT_EQ(save_file_replace("Zembrolfink.sav", fresh, sizeof fresh), 1);
    EXPECT_EQ(file_bytes("Zembrolfink.sav"), std::vector<uint8_t>({9, 8, 7, 6}));
    EXPECT_FALSE(file_exists("Zembrolfink.sav.tmp"));
    struct stat st;
    ASSERT_EQ(stat("Zembrolfink.sav", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // Not a regular file: left alone.
    ASSERT_EQ(mkdir("nested.sav", 0755), 0);
    EXPECT_EQ(save_file_replace("nested.sav", fresh, sizeof fresh), 0);
    EXPECT_TRUE(std::filesystem::is_directory("nested.sav"));
    // A path too long for the temporary name.
    const std::string long_name(SAVE_PATH_SIZE, 'x');
    EXPECT_EQ(save_file_replace(long_name.c_str(), fresh, sizeof fresh), 0);
    dir.leave();
}

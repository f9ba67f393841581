// What may lie under a save file's name besides a plain file of the right
// size: a named pipe (no file to the readers, never replaced, and nothing
// waits on it), a symbolic link (followed: its target is saved, the link
// stays) and a level file far longer than its last slot (cut there, every
// flag and slot before it kept).
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include "storage/level_file.h"
#include "storage/profile.h"
#include "storage/ring_game.h"
#include "storage/save_file.h"
#include "storage/scratch_dir.h"

namespace {

bool is_kind(const char* name, mode_t kind)
{
    struct stat st;
    return lstat(name, &st) == 0 && (st.st_mode & S_IFMT) == kind;
}

std::string link_text(const char* name)
{
    char text[4096];
    const ssize_t n = readlink(name, text, sizeof text - 1);
    return n < 0 ? std::string() : std::string(text, size_t(n));
}

std::vector<uint8_t> profile_image(const Profile& p)
{
    std::vector<uint8_t> bytes(PROFILE_SIZE);
    profile_encode(p, bytes.data());
    return bytes;
}

// Seconds a check in a child may take before it counts as hung.
constexpr unsigned HANG_SECONDS = 30;

// The first `limit` bytes of a file, however long it is.
std::vector<uint8_t> file_head(const char* name, size_t limit)
{
    std::vector<uint8_t> bytes(limit);
    FILE* f = std::fopen(name, "rb");
    if (!f)
        return {};
    bytes.resize(std::fread(bytes.data(), 1, limit, f));
    std::fclose(f);
    return bytes;
}

}  // namespace

// Opening a pipe for reading waits for a writer; a start-up or a level chooser
// that did so would never come back. The checks run in a child with an alarm,
// so a reader that waits fails the test instead of hanging it. The child
// answers the number of the first check that failed, 0 when none did.
TEST(SaveFileTest, NamedPipesAreNoFileAndAreNeverReplaced)
{
    ScratchDir dir;
    dir.enter();
    ASSERT_EQ(mkfifo("Zembrolfink.sav", 0666), 0);
    ASSERT_EQ(mkfifo("ZembrolShape0.lvl", 0666), 0);
    const int status = child_run(
        [] {
            Profile& p = profile;
            std::memset(&p, 0x5A, sizeof p);
            Profile untouched = p;
            if (profile_open("Zembrolfink") != 0 || std::memcmp(&p, &untouched, sizeof p) != 0)
                return 1;
            if (profile_read() != 0)
                return 2;
            profile_reset(&p);
            if (profile_write() != 0)
                return 3;
            std::memset(saved_flags, 1, sizeof saved_flags);
            if (saved_flags_read(0) != 0)
                return 4;
            for (uint8_t flag : saved_flags) {
                if (flag != 0)
                    return 5;
            }
            static SavedGame g;
            if (saved_game_read(0, 0, &g) != 0)
                return 6;
            if (saved_game_write(1, 0, ring_game(6, 1)) != 0)
                return 7;
            if (saved_flag_clear(1, 0) != 0)
                return 8;
            FILE* f = save_file_open("ZembrolShape0.lvl");
            if (f || errno != ENOENT)
                return 9;
            return 0;
        },
        false, HANG_SECONDS);
    EXPECT_EQ(status, 0) << (status >= CHILD_SIGNALLED ? "a reader hung or the child died" : "check failed");
    EXPECT_TRUE(is_kind("Zembrolfink.sav", S_IFIFO));
    EXPECT_TRUE(is_kind("ZembrolShape0.lvl", S_IFIFO));
    EXPECT_EQ(names_in("."), std::vector<std::string>({"ZembrolShape0.lvl", "Zembrolfink.sav"}));

    // A directory under the name is no file either.
    ASSERT_EQ(mkdir("ZembrolShape1.lvl", 0755), 0);
    EXPECT_EQ(saved_flags_read(1), 0);
    EXPECT_EQ(saved_game_write(1, 1, ring_game(6, 1)), 0);
    EXPECT_TRUE(is_kind("ZembrolShape1.lvl", S_IFDIR));
    dir.leave();
}

// A player who keeps the save files elsewhere and links them in keeps the
// links: each save goes to the end of the chain, beside which its temporary
// file is made, and no file appears beside the link.
TEST(SaveFileTest, SavesGoThroughLinksToTheirTargets)
{
    ScratchDir dir;
    dir.enter();
    ASSERT_EQ(mkdir("keep", 0755), 0);
    // The profile: a relative link to a relative link, read from its own folder.
    file_put("keep/real.sav", std::vector<uint8_t>(PROFILE_SIZE, 0));
    ASSERT_EQ(chmod("keep/real.sav", 0640), 0);
    ASSERT_EQ(symlink("real.sav", "keep/hop.sav"), 0);
    ASSERT_EQ(symlink("keep/hop.sav", "Zembrolfink.sav"), 0);
    profile_open("Zembrolfink");
    profile_reset(&profile);
    profile.levels_open[0] = 7;
    profile.top_scores[0] = 4321;
    ASSERT_EQ(profile_write(), 1);
    EXPECT_EQ(link_text("Zembrolfink.sav"), "keep/hop.sav");
    EXPECT_EQ(link_text("keep/hop.sav"), "real.sav");
    EXPECT_TRUE(is_kind("keep/real.sav", S_IFREG));
    EXPECT_EQ(file_bytes("keep/real.sav"), profile_image(profile));
    struct stat st;
    ASSERT_EQ(stat("keep/real.sav", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    profile_reset(&profile);
    ASSERT_EQ(profile_open("Zembrolfink"), 1);
    EXPECT_EQ(profile.levels_open[0], 7u);

    // A level file: an absolute link whose target does not exist yet.
    char* cwd = getcwd(nullptr, 0);
    ASSERT_NE(cwd, nullptr);
    const std::string target = std::string(cwd) + "/keep/track2.lvl";
    std::free(cwd);
    ASSERT_EQ(symlink(target.c_str(), "ZembrolShape2.lvl"), 0);
    const SavedGame g = ring_game(6, 77);
    ASSERT_EQ(saved_game_write(1, 2, g), 1);
    ASSERT_EQ(saved_flag_clear(1, 2), 1);
    EXPECT_EQ(link_text("ZembrolShape2.lvl"), target);
    std::vector<uint8_t> expect(SAVED_FLAG_COUNT, 0);
    const std::vector<uint8_t> slot = slot_bytes(g);
    expect.insert(expect.end(), slot.begin(), slot.end());
    EXPECT_EQ(file_bytes("keep/track2.lvl"), expect);

    EXPECT_EQ(names_in("."), std::vector<std::string>({"ZembrolShape2.lvl", "Zembrolfink.sav", "keep"}));
    EXPECT_EQ(names_in("keep"), std::vector<std::string>({"hop.sav", "real.sav", "track2.lvl"}));

    // A loop of links leads nowhere: refused, both links kept.
    ASSERT_EQ(symlink("loop_b.sav", "loop_a.sav"), 0);
    ASSERT_EQ(symlink("loop_a.sav", "loop_b.sav"), 0);
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(save_file_replace("loop_a.sav", bytes, sizeof bytes), 0);
    EXPECT_EQ(link_text("loop_a.sav"), "loop_b.sav");
    EXPECT_EQ(link_text("loop_b.sav"), "loop_a.sav");
    dir.leave();
}

// A level file stretched to a gigabyte (sparse, so it costs no disk) with
// marks past the last slot. A save reads and writes only as far as the last
// slot: it runs in a child under a file size limit a little above that, with
// SIGXFSZ as a fresh process has it, so a save that carried the rest over
// would fail or die instead of taking its time.
TEST(SaveFileTest, LevelFileFarLongerThanItsLastSlotIsCutThere)
{
    ScratchDir dir;
    dir.enter();
    const char* name = "ZembrolShape1.lvl";
    std::vector<uint8_t> expect(static_cast<size_t>(LEVEL_FILE_MAX_SIZE));
    for (size_t i = 0; i < expect.size(); ++i)
        expect[i] = uint8_t(i * 7 + (i >> 9));
    std::fill(expect.begin(), expect.begin() + SAVED_FLAG_COUNT, 0);
    expect[4] = 1;
    expect[SAVED_FLAG_COUNT - 1] = 1;

    const auto stretch = [&] {
        file_put(name, expect);
        const int fd = open(name, O_WRONLY);
        ASSERT_GE(fd, 0);
        const off_t huge = off_t(1) << 30;
        ASSERT_EQ(ftruncate(fd, huge), 0);
        const uint8_t mark = 0xEE;
        ASSERT_EQ(pwrite(fd, &mark, 1, LEVEL_FILE_MAX_SIZE), 1);
        ASSERT_EQ(pwrite(fd, &mark, 1, huge - 1), 1);
        close(fd);
    };
    const auto limited = [](uint8_t (*act)()) {
        return child_run(
            [act] {
                signal(SIGXFSZ, SIG_DFL);
                rlimit limit;
                if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
                    return 99;
                limit.rlim_cur = 2 * rlim_t(LEVEL_FILE_MAX_SIZE);
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    return 99;
                return int(act());
            },
            false, HANG_SECONDS);
    };

    stretch();
    EXPECT_EQ(limited([] { return saved_game_write(2, 1, ring_game(10, 5)); }), 1);
    expect[1] = 1;
    const std::vector<uint8_t> slot = slot_bytes(ring_game(10, 5));
    std::copy(slot.begin(), slot.end(), expect.begin() + 290);
    EXPECT_EQ(std::filesystem::file_size(name), expect.size());
    EXPECT_TRUE(file_head(name, expect.size()) == expect);

    stretch();
    EXPECT_EQ(limited([] { return saved_flag_clear(5, 1); }), 1);
    expect[4] = 0;
    EXPECT_EQ(std::filesystem::file_size(name), expect.size());
    EXPECT_TRUE(file_head(name, expect.size()) == expect);

    // The saved game reads back from the file cut to size.
    SavedGame last{};
    EXPECT_EQ(saved_game_read(1, 1, &last), 1);
    EXPECT_EQ(last.clock_ms, 5u);
    dir.leave();
}

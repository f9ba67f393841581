// The hook the browser build uses to copy saves to the page's lasting
// storage: called once for every save that is in place, with the new bytes
// already under the file's own name, and never for a save that failed.
#include <gtest/gtest.h>

#include <vector>

#include "storage/level_file.h"
#include "storage/profile.h"
#include "storage/ring_game.h"
#include "storage/save_file.h"
#include "storage/scratch_dir.h"

namespace {

// What each call of the hook found on disk.
std::vector<std::vector<uint8_t>> profiles_seen;
std::vector<bool> temp_seen;

void hook_record()
{
    profiles_seen.push_back(file_bytes("Zembrolfink.sav"));
    temp_seen.push_back(file_exists("Zembrolfink.sav.tmp"));
}

class SaveHookTest : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        profiles_seen.clear();
        temp_seen.clear();
        save_written_hook = hook_record;
    }
    void TearDown() override
    {
        save_written_hook = nullptr;
        save_fault_step = SAVE_STEP_NONE;
        ScratchDirTest::TearDown();
    }
};

TEST_F(SaveHookTest, CalledOnceForEverySaveThatIsInPlace)
{
    profile_open("Zembrolfink");
    profile_reset(&profile);
    profile.best_times[2] = 77;
    ASSERT_EQ(profile_write(), 1);
    ASSERT_EQ(profiles_seen.size(), 1u);
    EXPECT_EQ(profiles_seen[0], file_bytes("Zembrolfink.sav"));
    EXPECT_EQ(profiles_seen[0].size(), size_t(PROFILE_SIZE));
    EXPECT_FALSE(temp_seen[0]);

    ASSERT_EQ(saved_game_write(1, 2, ring_game(6, 11)), 1);
    EXPECT_EQ(profiles_seen.size(), 2u);
}

TEST_F(SaveHookTest, NotCalledWhenTheSaveFails)
{
    profile_open("Zembrolfink");
    profile_reset(&profile);
    for (SaveStep step : {SAVE_STEP_OPEN, SAVE_STEP_WRITE, SAVE_STEP_SYNC, SAVE_STEP_RENAME}) {
        save_fault_step = step;
        EXPECT_EQ(profile_write(), 0);
    }
    save_fault_step = SAVE_STEP_NONE;
    EXPECT_TRUE(profiles_seen.empty());
    EXPECT_EQ(profile_write(), 1);
    EXPECT_EQ(profiles_seen.size(), 1u);
}

}  // namespace

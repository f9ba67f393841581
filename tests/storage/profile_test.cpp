// The profile file: its exact bytes, short and long files, and the upkeep of
// best times, unlocked levels and top scores.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "storage/profile.h"
#include "storage/scratch_dir.h"

static const char* const PROFILE_FILE = "Zembrolfink.sav";

class ProfileTest : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        std::memset(&profile, 0x5A, sizeof profile);
    }

    // Binds the fresh directory's profile file, as start-up does, with a fresh record.
    void bind_fresh()
    {
        ASSERT_EQ(profile_open("Zembrolfink"), 0);
        profile_reset(&profile);
    }
};

TEST_F(ProfileTest, FirstRunWritesVersionTwoAndZeros)
{
    Profile before;
    std::memcpy(&before, &profile, sizeof profile);
    EXPECT_EQ(profile_open("Zembrolfink"), 0);
    EXPECT_EQ(std::memcmp(&before, &profile, sizeof profile), 0) << "a missing file leaves the record alone";
    EXPECT_FALSE(file_exists(PROFILE_FILE));

    profile_reset(&profile);
    EXPECT_EQ(profile_write(), 1);
    std::vector<uint8_t> expect(PROFILE_SIZE, 0);
    expect[0] = 2;
    EXPECT_EQ(file_bytes(PROFILE_FILE), expect);
}

TEST_F(ProfileTest, LittleEndianLayoutAndRoundTrip)
{
    bind_fresh();
    profile.profile_version = 0x01020304;
    profile.levels_open[0] = 7;
    profile.levels_open[9] = 0xA1B2C3D4u;
    profile.best_times[0] = 0x1234;
    profile.best_times[99] = 5999;
    profile.top_scores[0] = -2;
    profile.top_scores[9] = 0x0A0B0C0D;
    ASSERT_EQ(profile_write(), 1);

    std::vector<uint8_t> expect(PROFILE_SIZE, 0);
    const uint8_t version[] = {0x04, 0x03, 0x02, 0x01};
    std::memcpy(&expect[0], version, 4);
    expect[4] = 7;
    const uint8_t open9[] = {0xD4, 0xC3, 0xB2, 0xA1};
    std::memcpy(&expect[40], open9, 4);
    expect[44] = 0x34;
    expect[45] = 0x12;
    expect[242] = 5999 & 0xFF;
    expect[243] = 5999 >> 8;
    const uint8_t minus2[] = {0xFE, 0xFF, 0xFF, 0xFF};
    std::memcpy(&expect[244], minus2, 4);
    const uint8_t score9[] = {0x0D, 0x0C, 0x0B, 0x0A};
    std::memcpy(&expect[280], score9, 4);
    ASSERT_EQ(file_bytes(PROFILE_FILE), expect);

    Profile saved = profile;
    std::memset(&profile, 0, sizeof profile);
    ASSERT_EQ(profile_open("Zembrolfink"), 1);
    EXPECT_EQ(profile.profile_version, saved.profile_version);
    EXPECT_EQ(std::memcmp(profile.levels_open, saved.levels_open, sizeof saved.levels_open), 0);
    EXPECT_EQ(std::memcmp(profile.best_times, saved.best_times, sizeof saved.best_times), 0);
    EXPECT_EQ(std::memcmp(profile.top_scores, saved.top_scores, sizeof saved.top_scores), 0);
}

TEST_F(ProfileTest, ShortAndLongFiles)
{
    // Six bytes: the version and the low half of levels_open[0]; everything else reads 0.
    file_put(PROFILE_FILE, {2, 0, 0, 0, 0x05, 0x01});
    ASSERT_EQ(profile_open("Zembrolfink"), 1);
    EXPECT_EQ(profile.profile_version, 2);
    EXPECT_EQ(profile.levels_open[0], 0x0105u);
    EXPECT_EQ(profile.levels_open[1], 0u);
    EXPECT_EQ(profile.best_times[0], 0);
    EXPECT_EQ(profile.top_scores[9], 0);

    file_put(PROFILE_FILE, {});
    std::memset(&profile, 0x5A, sizeof profile);
    ASSERT_EQ(profile_read(), 1);
    EXPECT_EQ(profile.profile_version, 0);
    EXPECT_EQ(profile.top_scores[5], 0);

    // A longer file: only the first 284 bytes count.
    std::vector<uint8_t> bytes(PROFILE_SIZE + 40, 0xFF);
    std::memset(bytes.data(), 0, PROFILE_SIZE);
    bytes[280] = 9;
    file_put(PROFILE_FILE, bytes);
    ASSERT_EQ(profile_read(), 1);
    EXPECT_EQ(profile.top_scores[9], 9);
    EXPECT_EQ(profile.top_scores[8], 0);
}

TEST_F(ProfileTest, SolvingUnlocksTheTrack)
{
    bind_fresh();
    // Time attack also opens the level in classic play.
    profile.levels_open[1] = 3;
    profile.levels_open[0] = 2;
    uint8_t new_record = 9;
    EXPECT_EQ(profile_level_solved(3, 1, 1, 30000, &new_record), 1);
    EXPECT_EQ(profile.levels_open[1], 4u);
    EXPECT_EQ(profile.levels_open[0], 4u);
    EXPECT_EQ(new_record, 1);
    std::vector<uint8_t> written = file_bytes(PROFILE_FILE);
    ASSERT_EQ(written.size(), size_t(PROFILE_SIZE));
    EXPECT_EQ(written[4], 4);
    EXPECT_EQ(written[8], 4);
    EXPECT_EQ(written[44 + 2 * 2], 30);

    // Classic play never opens time attack.
    profile_reset(&profile);
    profile.levels_open[0] = 3;
    profile.levels_open[1] = 2;
    profile.best_times[2] = 10;
    EXPECT_EQ(profile_level_solved(3, 0, 0, 50000, &new_record), 1);
    EXPECT_EQ(profile.levels_open[0], 4u);
    EXPECT_EQ(profile.levels_open[1], 2u);
    EXPECT_EQ(new_record, 0);
    EXPECT_EQ(profile.best_times[2], 10);

    // Time attack never lowers classic play's progress.
    profile.levels_open[0] = 9;
    profile.levels_open[1] = 3;
    EXPECT_EQ(profile_level_solved(3, 1, 1, 50000, nullptr), 1);
    EXPECT_EQ(profile.levels_open[0], 9u);
    EXPECT_EQ(profile.levels_open[1], 4u);
}

TEST_F(ProfileTest, BestTimesInWholeCappedSeconds)
{
    bind_fresh();
    uint8_t new_record = 0;
    EXPECT_EQ(profile_level_solved(5, 0, 0, 6000001, &new_record), 1);
    EXPECT_EQ(profile.best_times[4], 5999);
    EXPECT_EQ(new_record, 1);
    EXPECT_EQ(profile_level_solved(5, 0, 0, 4294967295u, &new_record), 0);
    EXPECT_EQ(profile.best_times[4], 5999);
    EXPECT_EQ(new_record, 0);

    EXPECT_EQ(profile_level_solved(5, 0, 0, 61999, &new_record), 1);
    EXPECT_EQ(profile.best_times[4], 61);
    EXPECT_EQ(new_record, 1);
    EXPECT_EQ(profile_level_solved(5, 0, 0, 61000, &new_record), 0);
    EXPECT_EQ(new_record, 0);
}

TEST_F(ProfileTest, LevelsPastTheTimeTableKeepNoTime)
{
    bind_fresh();
    uint8_t new_record = 9;
    EXPECT_EQ(profile_level_solved(100, 0, 0, 7000, &new_record), 1);
    EXPECT_EQ(profile.best_times[99], 7);
    const Profile before = profile;
    EXPECT_EQ(profile_level_solved(101, 0, 0, 8000, &new_record), 1);
    EXPECT_EQ(new_record, 0);
    EXPECT_EQ(profile.levels_open[0], 102u);
    EXPECT_EQ(std::memcmp(profile.best_times, before.best_times, sizeof before.best_times), 0);
    EXPECT_EQ(std::memcmp(profile.top_scores, before.top_scores, sizeof before.top_scores), 0);
    // A track number past the table unlocks nothing.
    EXPECT_EQ(profile_level_solved(101, 10, 1, 8000, &new_record), 0);
    EXPECT_EQ(profile.levels_open[0], 102u);
}

TEST_F(ProfileTest, NothingChangedNothingWritten)
{
    bind_fresh();
    profile.levels_open[7] = 10;
    profile.best_times[1] = 5;
    EXPECT_EQ(profile_level_solved(2, 7, 0, 9000, nullptr), 0);
    EXPECT_FALSE(file_exists(PROFILE_FILE));
}

TEST_F(ProfileTest, TopScoresInsertion)
{
    bind_fresh();
    const int32_t start[TOP_SCORE_COUNT] = {900, 500, 300};
    std::memcpy(profile.top_scores, start, sizeof start);
    EXPECT_EQ(profile_score_insert(500), 1);
    const int32_t after[TOP_SCORE_COUNT] = {900, 500, 500, 300};
    EXPECT_EQ(std::memcmp(profile.top_scores, after, sizeof after), 0);
    std::vector<uint8_t> written = file_bytes(PROFILE_FILE);
    ASSERT_EQ(written.size(), size_t(PROFILE_SIZE));
    EXPECT_EQ(written[244 + 8], 500 & 0xFF);
    EXPECT_EQ(written[244 + 12], 300 & 0xFF);
    std::remove(PROFILE_FILE);

    const int32_t full[TOP_SCORE_COUNT] = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
    std::memcpy(profile.top_scores, full, sizeof full);
    EXPECT_EQ(profile_score_insert(10), 0) << "equal to the tenth is not entered";
    EXPECT_EQ(std::memcmp(profile.top_scores, full, sizeof full), 0);
    EXPECT_FALSE(file_exists(PROFILE_FILE));
    EXPECT_EQ(profile_score_insert(-1), 0);
    EXPECT_EQ(profile_score_insert(11), 1);
    EXPECT_EQ(profile.top_scores[9], 11);
    EXPECT_EQ(profile.top_scores[8], 20);
    EXPECT_EQ(profile_score_insert(1000), 1);
    const int32_t top[TOP_SCORE_COUNT] = {1000, 100, 90, 80, 70, 60, 50, 40, 30, 20};
    EXPECT_EQ(std::memcmp(profile.top_scores, top, sizeof top), 0);
}

// Level files: exact bytes of flags, filler and slots, round trips, flag
// clearing, and the refusal of every unsound slot with the caller's record untouched.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "storage/level_file.h"
#include "storage/ring_game.h"
#include "storage/scratch_dir.h"

static const char* const FILE0 = "ZembrolShape0.lvl";
static const char* const FILE4 = "ZembrolShape4.lvl";

static bool same_game(const SavedGame& a, const SavedGame& b)
{
    if (a.vertex_count != b.vertex_count || a.clock_ms != b.clock_ms)
        return false;
    for (int i = 0; i < a.vertex_count; ++i) {
        const SavedVertex& p = a.vertices[i];
        const SavedVertex& q = b.vertices[i];
        if (p.x != q.x || p.y != q.y || p.facing != q.facing || p.degree != q.degree)
            return false;
        for (int k = 0; k < p.degree; ++k) {
            if (p.neighbours[k] != q.neighbours[k])
                return false;
        }
    }
    return true;
}

class LevelFileTest : public ScratchDirTest {};

TEST_F(LevelFileTest, SlotSizesAndNames)
{
    EXPECT_EQ(saved_slot_vertices(0), 6);
    EXPECT_EQ(saved_slot_vertices(1), 10);
    EXPECT_EQ(saved_slot_vertices(101), 510);
    EXPECT_EQ(saved_slot_size(0), 90);
    EXPECT_EQ(saved_slot_size(1), 146);
    EXPECT_EQ(saved_slot_size(2), 216);
    char name[32];
    level_file_name(6, name, sizeof name);
    EXPECT_STREQ(name, "ZembrolShape6.lvl");
}

TEST_F(LevelFileTest, SavingLevelThreeIntoANewFile)
{
    const SavedGame g = ring_game(15, 0x12345678);
    ASSERT_EQ(saved_game_write(3, 0, g), 1);

    std::vector<uint8_t> expect(200, 0);
    expect[2] = 1;
    expect.insert(expect.end(), 90, 0);
    expect.insert(expect.end(), 146, 1);
    const std::vector<uint8_t> slot = slot_bytes(g);
    ASSERT_EQ(slot.size(), size_t(216));
    expect.insert(expect.end(), slot.begin(), slot.end());
    const std::vector<uint8_t> got = file_bytes(FILE0);
    ASSERT_EQ(got.size(), size_t(200 + 90 + 146 + 216));
    EXPECT_EQ(got, expect);
    // Spot-check the encoding itself: count 15, the clock, vertex 0 at x = -50.
    const uint8_t head[] = {0x0F, 0x00, 0x78, 0x56, 0x34, 0x12, 0xCE, 0xFF, 0x2C, 0x01, 0, 2, 1, 0, 14, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&got[436], head, sizeof head), 0);
}

TEST_F(LevelFileTest, LaterSaveKeepsEarlierSlot)
{
    const SavedGame one = ring_game(6, 1111);
    const SavedGame three = ring_game(15, 3333);
    ASSERT_EQ(saved_game_write(1, 4, one), 1);
    ASSERT_EQ(file_bytes(FILE4).size(), size_t(290));
    ASSERT_EQ(saved_game_write(3, 4, three), 1);

    const std::vector<uint8_t> got = file_bytes(FILE4);
    ASSERT_EQ(got.size(), size_t(652));
    EXPECT_EQ(got[0], 1);
    EXPECT_EQ(got[1], 0);
    EXPECT_EQ(got[2], 1);
    const std::vector<uint8_t> slot1 = slot_bytes(one);
    EXPECT_TRUE(std::equal(slot1.begin(), slot1.end(), got.begin() + 200));
    for (int i = 290; i < 436; ++i)
        ASSERT_EQ(got[i], 1) << "filler of slot 1 at " << i;
    const std::vector<uint8_t> slot3 = slot_bytes(three);
    EXPECT_TRUE(std::equal(slot3.begin(), slot3.end(), got.begin() + 436));

    // Overwriting level 1 touches only its slot.
    const SavedGame again = ring_game(6, 9999);
    ASSERT_EQ(saved_game_write(1, 4, again), 1);
    std::vector<uint8_t> expect = got;
    const std::vector<uint8_t> slot1b = slot_bytes(again);
    std::copy(slot1b.begin(), slot1b.end(), expect.begin() + 200);
    EXPECT_EQ(file_bytes(FILE4), expect);
}

TEST_F(LevelFileTest, ShortFilesArePaddedFromTheirEnd)
{
    // Shorter than the flags: the flags start afresh.
    file_put(FILE0, std::vector<uint8_t>(50, 0xEE));
    ASSERT_EQ(saved_game_write(2, 0, ring_game(10, 5)), 1);
    std::vector<uint8_t> got = file_bytes(FILE0);
    ASSERT_EQ(got.size(), size_t(436));
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(got[i], i == 1 ? 1 : 0) << i;
    for (int i = 200; i < 290; ++i)
        ASSERT_EQ(got[i], 0) << i;

    // Ending inside slot 0: its bytes stay, the rest of it is padded.
    std::vector<uint8_t> part(250, 0x33);
    file_put(FILE0, part);
    ASSERT_EQ(saved_game_write(2, 0, ring_game(10, 5)), 1);
    got = file_bytes(FILE0);
    ASSERT_EQ(got.size(), size_t(436));
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(got[i], i == 1 ? 1 : 0x33) << i;
    for (int i = 200; i < 250; ++i)
        ASSERT_EQ(got[i], 0x33) << i;
    for (int i = 250; i < 290; ++i)
        ASSERT_EQ(got[i], 0) << i;
}

TEST_F(LevelFileTest, WriteRefusals)
{
    EXPECT_EQ(saved_game_write(0, 0, ring_game(6, 0)), 0);
    EXPECT_EQ(saved_game_write(201, 0, ring_game(6, 0)), 0);
    EXPECT_EQ(saved_game_write(2, 0, ring_game(6, 0)), 0) << "level 2 holds 10 vertices";
    EXPECT_EQ(saved_game_write(1, 0, ring_game(10, 0)), 0);
    // Level 103 would need 515 vertices, more than a puzzle can hold.
    EXPECT_EQ(saved_game_write(103, 0, ring_game(512, 0)), 0);
    SavedGame wide = ring_game(6, 0);
    wide.vertices[3].degree = 5;
    EXPECT_EQ(saved_game_write(1, 0, wide), 0);
    EXPECT_FALSE(file_exists(FILE0));

    // The largest savable level, written far past an empty file.
    ASSERT_EQ(saved_game_write(102, 0, ring_game(510, 7)), 1);
    long offset = 200;
    for (int k = 0; k < 101; ++k)
        offset += saved_slot_size(k);
    const std::vector<uint8_t> got = file_bytes(FILE0);
    ASSERT_EQ(got.size(), size_t(offset + saved_slot_size(101)));
    EXPECT_EQ(got[101], 1);
    EXPECT_EQ(got[offset - 1], 100);
    SavedGame back;
    ASSERT_EQ(saved_game_read(101, 0, &back), 1);
    EXPECT_TRUE(same_game(back, ring_game(510, 7)));
}

TEST_F(LevelFileTest, RoundTripAndFlags)
{
    SavedGame g = ring_game(10, 0xFFFFFFFFu);
    g.vertices[0].degree = 4;
    g.vertices[0].neighbours[2] = 5;
    g.vertices[0].neighbours[3] = 3;
    g.vertices[5].degree = 3;
    g.vertices[5].neighbours[2] = 0;
    g.vertices[3].degree = 3;
    g.vertices[3].neighbours[2] = 0;
    g.vertices[7].x = -32768;
    g.vertices[7].y = 32767;
    ASSERT_EQ(saved_game_write(2, 0, g), 1);
    SavedGame back;
    std::memset(&back, 0, sizeof back);
    ASSERT_EQ(saved_game_read(1, 0, &back), 1);
    EXPECT_TRUE(same_game(back, g));

    std::memset(saved_flags, 7, sizeof saved_flags);
    ASSERT_EQ(saved_flags_read(0), 1);
    for (int i = 0; i < SAVED_FLAG_COUNT; ++i)
        ASSERT_EQ(saved_flags[i], i == 1 ? 1 : 0) << i;

    std::memset(saved_flags, 7, sizeof saved_flags);
    EXPECT_EQ(saved_flags_read(3), 0);
    for (int i = 0; i < SAVED_FLAG_COUNT; ++i)
        ASSERT_EQ(saved_flags[i], 0) << i;

    file_put("ZembrolShape3.lvl", {1, 0, 1});
    std::memset(saved_flags, 7, sizeof saved_flags);
    EXPECT_EQ(saved_flags_read(3), 1);
    EXPECT_EQ(saved_flags[0], 1);
    EXPECT_EQ(saved_flags[2], 1);
    EXPECT_EQ(saved_flags[3], 0);
    EXPECT_EQ(saved_flags[199], 0);
}

TEST_F(LevelFileTest, ClearingAFlagLeavesTheRest)
{
    ASSERT_EQ(saved_game_write(1, 0, ring_game(6, 1)), 1);
    ASSERT_EQ(saved_game_write(2, 0, ring_game(10, 2)), 1);
    std::vector<uint8_t> expect = file_bytes(FILE0);
    saved_flag_clear(2, 0);
    expect[1] = 0;
    EXPECT_EQ(file_bytes(FILE0), expect);
    saved_flag_clear(0, 0);
    saved_flag_clear(201, 0);
    saved_flag_clear(7, 0);
    EXPECT_EQ(file_bytes(FILE0), expect);

    const std::vector<uint8_t> short_file(199, 1);
    file_put(FILE4, short_file);
    saved_flag_clear(1, 4);
    EXPECT_EQ(file_bytes(FILE4), short_file);

    saved_flag_clear(1, 5);
    EXPECT_FALSE(file_exists("ZembrolShape5.lvl"));
}

// Writes a sound level-2 slot, lets `spoil` change its bytes, and expects the
// read to fail with the caller's record left exactly as it was.
class SlotRefusalTest : public LevelFileTest {
protected:
    void expect_refused(void (*spoil)(std::vector<uint8_t>& file), uint8_t slot = 1)
    {
        ASSERT_EQ(saved_game_write(2, 0, ring_game(10, 42)), 1);
        std::vector<uint8_t> bytes = file_bytes(FILE0);
        spoil(bytes);
        file_put(FILE0, bytes);
        SavedGame g;
        std::memset(&g, 0xA5, sizeof g);
        EXPECT_EQ(saved_game_read(slot, 0, &g), 0);
        for (size_t i = 0; i < sizeof g; ++i)
            ASSERT_EQ(reinterpret_cast<const uint8_t*>(&g)[i], 0xA5) << "byte " << i << " changed";
    }

    // Byte offset of field `at` of vertex i in the level-2 slot.
    static size_t vertex_at(int i, int at) { return size_t(290 + 6 + 14 * i + at); }
};

TEST_F(SlotRefusalTest, SoundSlotIsAccepted)
{
    ASSERT_EQ(saved_game_write(2, 0, ring_game(10, 42)), 1);
    SavedGame g;
    EXPECT_EQ(saved_game_read(1, 0, &g), 1);
    EXPECT_EQ(g.clock_ms, 42u);
}

TEST_F(SlotRefusalTest, MissingOrCutShort)
{
    expect_refused([](std::vector<uint8_t>& b) { b.pop_back(); });
    expect_refused([](std::vector<uint8_t>& b) { b.resize(292); });
    expect_refused([](std::vector<uint8_t>& b) {}, 2);      // past the end
    expect_refused([](std::vector<uint8_t>& b) {}, 150);    // 755 vertices: more than the table
    expect_refused([](std::vector<uint8_t>& b) {}, 200);    // no such level
    SavedGame g;
    EXPECT_EQ(saved_game_read(0, 6, &g), 0);                // no file
}

TEST_F(SlotRefusalTest, WrongVertexCount)
{
    expect_refused([](std::vector<uint8_t>& b) { b[290] = 9; });
    expect_refused([](std::vector<uint8_t>& b) { b[290] = 10; b[291] = 2; });
}

TEST_F(SlotRefusalTest, BadDegreeOrFacing)
{
    expect_refused([](std::vector<uint8_t>& b) { b[vertex_at(4, 5)] = 5; });
    expect_refused([](std::vector<uint8_t>& b) { b[vertex_at(4, 5)] = 255; });
    expect_refused([](std::vector<uint8_t>& b) { b[vertex_at(9, 4)] = 8; });
}

TEST_F(SlotRefusalTest, BadNeighbours)
{
    // Index past the puzzle, negative, and the vertex itself.
    expect_refused([](std::vector<uint8_t>& b) { b[vertex_at(2, 6)] = 10; });
    expect_refused([](std::vector<uint8_t>& b) { b[vertex_at(2, 8)] = 0xFF; b[vertex_at(2, 9)] = 0xFF; });
    expect_refused([](std::vector<uint8_t>& b) { b[vertex_at(2, 6)] = 2; });
    // One neighbour listed twice: vertex 0 lists 1 again, 1 lists 0 back once.
    expect_refused([](std::vector<uint8_t>& b) { b[vertex_at(0, 5)] = 3; b[vertex_at(0, 10)] = 1; });
    // An edge its other end does not list back: 0 -> 5 only.
    expect_refused([](std::vector<uint8_t>& b) { b[vertex_at(0, 5)] = 3; b[vertex_at(0, 10)] = 5; });
}

TEST_F(SlotRefusalTest, UnusedNeighbourEntriesAreNotRead)
{
    ASSERT_EQ(saved_game_write(2, 0, ring_game(10, 42)), 1);
    std::vector<uint8_t> bytes = file_bytes(FILE0);
    bytes[vertex_at(3, 10)] = 0x77;
    bytes[vertex_at(3, 13)] = 0x80;
    file_put(FILE0, bytes);
    SavedGame g;
    ASSERT_EQ(saved_game_read(1, 0, &g), 1);
    EXPECT_TRUE(same_game(g, ring_game(10, 42)));
}

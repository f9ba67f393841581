// Fuzz target: a level file holding any bytes. Reading its flags and a few
// slots must stay inside the tables and accept only sound puzzles; clearing a
// flag and saving a game over it must change exactly the bytes they own and
// keep every other byte of the old file.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "storage/level_file.h"

static const char* const LEVEL_FILE = "ZembrolShape3.lvl";
constexpr uint8_t TRACK = 3;
constexpr size_t FLAGS = SAVED_FLAG_COUNT;
constexpr size_t LEVEL_2_SLOT = 290;          // after the flags and slot 0
constexpr size_t LEVEL_2_SLOT_END = 436;

// What saved_game_read promises of a puzzle it accepts.
static void sound_check(const SavedGame& g, uint8_t slot)
{
    FUZZ_CHECK(g.vertex_count == saved_slot_vertices(slot), "accepted a slot with the wrong vertex count");
    for (int i = 0; i < g.vertex_count; ++i) {
        const SavedVertex& v = g.vertices[i];
        FUZZ_CHECK(v.facing <= 7 && v.degree <= SAVED_MAX_DEGREE, "accepted a bad facing or degree");
        for (int k = 0; k < v.degree; ++k) {
            const int j = v.neighbours[k];
            FUZZ_CHECK(j >= 0 && j < g.vertex_count && j != i, "accepted a bad neighbour");
            const SavedVertex& w = g.vertices[j];
            int back = 0;
            for (int e = 0; e < w.degree; ++e)
                back += w.neighbours[e] == i;
            FUZZ_CHECK(back == 1, "accepted an edge not listed back exactly once");
        }
    }
}

// A ring of the level-2 size, seeded so the saved slot is recognisable.
static SavedGame ring_make(uint32_t seed)
{
    static SavedGame g;
    std::memset(&g, 0, sizeof g);
    const int n = saved_slot_vertices(1);
    g.vertex_count = uint16_t(n);
    g.clock_ms = seed;
    for (int i = 0; i < n; ++i) {
        SavedVertex& v = g.vertices[i];
        v.x = int16_t(seed + uint32_t(i) * 13);
        v.y = int16_t(seed >> 8);
        v.facing = uint8_t(i & 7);
        v.degree = 2;
        v.neighbours[0] = int16_t((i + 1) % n);
        v.neighbours[1] = int16_t((i + n - 1) % n);
    }
    return g;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_directory_enter();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_file_put(LEVEL_FILE, data, size);
    const std::vector<uint8_t> old(data, data + size);

    std::memset(saved_flags, 0x77, sizeof saved_flags);
    FUZZ_CHECK(saved_flags_read(TRACK) == 1, "an existing file gave no flags");
    for (size_t k = 0; k < FLAGS; ++k)
        FUZZ_CHECK(saved_flags[k] == (k < size ? data[k] : 0), "flags differ from the file");

    static SavedGame game;
    const uint8_t picked = size > 0 ? data[size / 2] : 0;
    const uint8_t slots[] = {0, 1, 2, uint8_t(picked % SAVED_FLAG_COUNT), 255};
    for (uint8_t slot : slots) {
        std::memset(&game, 0xA5, sizeof game);
        if (saved_game_read(slot, TRACK, &game))
            sound_check(game, slot);
    }

    // Clearing a flag changes that byte only, and only in a file holding all flags.
    const uint8_t level = uint8_t(1 + picked % SAVED_FLAG_COUNT);
    const uint8_t cleared = saved_flag_clear(level, TRACK);
    std::vector<uint8_t> expect = old;
    if (size >= FLAGS)
        expect[level - 1] = 0;
    FUZZ_CHECK(cleared == (size >= FLAGS ? 1 : 0), "flag clear answered wrongly");
    FUZZ_CHECK(fuzz_file_bytes(LEVEL_FILE) == expect, "flag clear changed more than its flag");

    // Saving level 2: flag 1 set (the others kept, or zero in a file too short
    // for them), slot 0 kept or padded with zeros, slot 1 replaced, the rest kept.
    const SavedGame& ring = ring_make(uint32_t(size) * 2654435761u);
    FUZZ_CHECK(saved_game_write(2, TRACK, ring) == 1, "a sound level-2 game was not saved");
    const std::vector<uint8_t> now = fuzz_file_bytes(LEVEL_FILE);
    const size_t before = expect.size();
    FUZZ_CHECK(now.size() == (before > LEVEL_2_SLOT_END ? before : LEVEL_2_SLOT_END), "saved file has the wrong length");
    for (size_t i = 0; i < now.size(); ++i) {
        uint8_t want;
        if (i < FLAGS)
            want = i == 1 ? 1 : (before >= FLAGS ? expect[i] : 0);
        else if (i < LEVEL_2_SLOT)
            want = i < before ? expect[i] : 0;
        else if (i < LEVEL_2_SLOT_END)
            continue;
        else
            want = expect[i];
        FUZZ_CHECK(now[i] == want, "saving changed a byte it does not own");
    }
    std::memset(&game, 0, sizeof game);
    FUZZ_CHECK(saved_game_read(1, TRACK, &game) == 1, "the saved game does not read back");
    FUZZ_CHECK(game.clock_ms == ring.clock_ms && game.vertices[9].x == ring.vertices[9].x, "read back a different game");
    return 0;
}

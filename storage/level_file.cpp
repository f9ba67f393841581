// Level files: 200 saved marks, then one fixed-size slot per level holding an
// abandoned puzzle and its clock, little-endian whatever the host. Whatever a
// file holds, nothing here reads or writes past its own tables, and a slot that
// is not a sound puzzle is refused whole.
#include "storage/level_file.h"

#include <cstdio>
#include <cstring>

#include "storage/profile.h"

// Marks of the file last read by saved_flags_read; read by the level chooser.
uint8_t saved_flags[SAVED_FLAG_COUNT];

constexpr int LEVEL_FILE_NAME_SIZE = 64;
constexpr int SLOT_HEADER_SIZE = 6;     // vertex count (2) and clock (4)
constexpr int VERTEX_RECORD_SIZE = 14;
constexpr int MAX_FACING = 7;
constexpr int SLOT_BUFFER_SIZE = SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * SAVED_MAX_VERTICES;

int32_t saved_slot_vertices(int32_t slot)
{
    return slot == 0 ? 6 : 5 * slot + 5;
}

int32_t saved_slot_size(int32_t slot)
{
    return SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * saved_slot_vertices(slot);
}

// Slot k starts after the flags and slots 0..k-1 (k <= 200 keeps it under 2 MB).
static long slot_offset(int32_t slot)
{
    long offset = SAVED_FLAG_COUNT;
    for (int32_t i = 0; i < slot; ++i)
        offset += saved_slot_size(i);
    return offset;
}

void level_file_name(uint8_t file, char* out, int size)
{
    std::snprintf(out, size_t(size), "%sZembrolShape%d.lvl", data_dir_prefix, int(file));
}

static FILE* level_file_open(uint8_t file, const char* mode)
{
    char name[LEVEL_FILE_NAME_SIZE];
    level_file_name(file, name, sizeof name);
    return std::fopen(name, mode);
}

static long file_length(FILE* f)
{
    if (std::fseek(f, 0, SEEK_END) != 0)
        return -1;
    const long length = std::ftell(f);
    std::rewind(f);
    return length;
}

static void put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

static uint16_t get16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

// A file shorter than the flags gives its marks and zeros for the rest.
uint8_t saved_flags_read(uint8_t file)
{
    std::memset(saved_flags, 0, sizeof saved_flags);
    FILE* f = level_file_open(file, "rb");
    if (!f)
        return 0;
    const size_t got = std::fread(saved_flags, 1, sizeof saved_flags, f);
    if (got < sizeof saved_flags)
        std::memset(saved_flags + got, 0, sizeof saved_flags - got);
    std::fclose(f);
    return 1;
}

// Every slot is sized for its own level's vertex count, so a puzzle of any
// other size, or a level past the marks, is refused rather than spilling into
// the next slot.
static bool saved_game_fits(uint8_t level, const SavedGame& game)
{
    if (level < 1 || level > SAVED_FLAG_COUNT)
        return false;
    if (game.vertex_count > SAVED_MAX_VERTICES || game.vertex_count != saved_slot_vertices(level - 1))
        return false;
    for (int i = 0; i < game.vertex_count; ++i) {
        if (game.vertices[i].degree > SAVED_MAX_DEGREE)
            return false;
    }
    return true;
}

static void slot_encode(const SavedGame& game, uint8_t* out)
{
    put16(out, game.vertex_count);
    put16(out + 2, game.clock_ms);
    put16(out + 4, game.clock_ms >> 16);
    for (int i = 0; i < game.vertex_count; ++i) {
        const SavedVertex& v = game.vertices[i];
        uint8_t* p = out + SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * i;
        put16(p, uint16_t(v.x));
        put16(p + 2, uint16_t(v.y));
        p[4] = v.facing;
        p[5] = v.degree;
        for (int k = 0; k < SAVED_MAX_DEGREE; ++k)
            put16(p + 6 + 2 * k, k < v.degree ? uint16_t(v.neighbours[k]) : 0);
    }
}

// Slots before this one that lie past the end of the file are padded, each with
// its own number, so the file grows only to the start of the level's slot.
uint8_t saved_game_write(uint8_t level, uint8_t file, const SavedGame& game)
{
    if (!saved_game_fits(level, game))
        return 0;
    FILE* f = level_file_open(file, "rb+");
    if (!f)
        f = level_file_open(file, "wb+");
    if (!f)
        return 0;
    bool ok = true;
    const long length = file_length(f);
    uint8_t flags[SAVED_FLAG_COUNT] = {};
    if (length >= SAVED_FLAG_COUNT && std::fread(flags, 1, sizeof flags, f) != sizeof flags)
        std::memset(flags, 0, sizeof flags);
    flags[level - 1] = 1;
    std::rewind(f);
    ok &= std::fwrite(flags, 1, sizeof flags, f) == sizeof flags;

    long end = length > SAVED_FLAG_COUNT ? length : SAVED_FLAG_COUNT;
    long offset = SAVED_FLAG_COUNT;
    for (int i = 0; ok && i + 1 < level; ++i) {
        offset += saved_slot_size(i);
        if (offset > end) {
            ok &= std::fseek(f, end, SEEK_SET) == 0;
            for (long b = end; ok && b < offset; ++b)
                ok &= std::fputc(i & 0xFF, f) != EOF;
            end = offset;
        } else {
            ok &= std::fseek(f, offset, SEEK_SET) == 0;
        }
    }
    if (ok) {
        static uint8_t slot[SLOT_BUFFER_SIZE];
        const size_t size = size_t(SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * game.vertex_count);
        slot_encode(game, slot);
        ok = std::fwrite(slot, 1, size, f) == size;
    }
    ok &= std::fclose(f) == 0;
    return ok ? 1 : 0;
}

// Degrees within four, neighbours in range and not the vertex itself, no
// neighbour listed twice, and every edge listed back by its other end: then the
// rebuild adds each edge once and no vertex passes four edges.
static bool saved_game_sound(const SavedGame& game)
{
    const int n = game.vertex_count;
    for (int i = 0; i < n; ++i) {
        const SavedVertex& v = game.vertices[i];
        if (v.facing > MAX_FACING || v.degree > SAVED_MAX_DEGREE)
            return false;
        for (int k = 0; k < v.degree; ++k) {
            const int j = v.neighbours[k];
            if (j < 0 || j >= n || j == i)
                return false;
            for (int e = 0; e < k; ++e) {
                if (v.neighbours[e] == j)
                    return false;
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        const SavedVertex& v = game.vertices[i];
        for (int k = 0; k < v.degree; ++k) {
            const SavedVertex& w = game.vertices[v.neighbours[k]];
            bool listed_back = false;
            for (int e = 0; e < w.degree; ++e)
                listed_back |= w.neighbours[e] == i;
            if (!listed_back)
                return false;
        }
    }
    return true;
}

uint8_t saved_game_read(uint8_t slot, uint8_t file, SavedGame* game)
{
    if (slot >= SAVED_FLAG_COUNT)
        return 0;
    const int32_t expected = saved_slot_vertices(slot);
    if (expected > SAVED_MAX_VERTICES)
        return 0;
    FILE* f = level_file_open(file, "rb");
    if (!f)
        return 0;
    static uint8_t bytes[SLOT_BUFFER_SIZE];
    const size_t size = size_t(SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * expected);
    bool ok = std::fseek(f, slot_offset(slot), SEEK_SET) == 0 && std::fread(bytes, 1, size, f) == size;
    std::fclose(f);
    if (!ok || get16(bytes) != expected)
        return 0;

    static SavedGame loaded;
    loaded.vertex_count = uint16_t(expected);
    loaded.clock_ms = uint32_t(get16(bytes + 2)) | (uint32_t(get16(bytes + 4)) << 16);
    for (int i = 0; i < expected; ++i) {
        const uint8_t* p = bytes + SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * i;
        SavedVertex& v = loaded.vertices[i];
        v.x = int16_t(get16(p));
        v.y = int16_t(get16(p + 2));
        v.facing = p[4];
        v.degree = p[5];
        for (int k = 0; k < SAVED_MAX_DEGREE; ++k)
            v.neighbours[k] = int16_t(get16(p + 6 + 2 * k));
    }
    if (!saved_game_sound(loaded))
        return 0;
    *game = loaded;
    return 1;
}

// A file too short to hold the marks is left alone.
void saved_flag_clear(uint8_t level, uint8_t file)
{
    if (level < 1 || level > SAVED_FLAG_COUNT)
        return;
    FILE* f = level_file_open(file, "rb+");
    if (!f)
        return;
    uint8_t flags[SAVED_FLAG_COUNT];
    if (file_length(f) >= SAVED_FLAG_COUNT && std::fread(flags, 1, sizeof flags, f) == sizeof flags) {
        flags[level - 1] = 0;
        std::rewind(f);
        std::fwrite(flags, 1, sizeof flags, f);
    }
    std::fclose(f);
}

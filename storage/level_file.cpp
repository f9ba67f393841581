// Level files: 200 saved marks, then one fixed-size slot per level holding an
// abandoned puzzle and its clock, little-endian whatever the host. Whatever a
// file holds, nothing here reads or writes past its own tables, and a slot that
// is not a sound puzzle is refused whole. Changes are made to a copy of the
// file in memory, which then replaces the file in one step, so a crash never
// leaves a file half patched. Anything but a regular file under a level
// file's name is no file to the readers and is never replaced.
#include "storage/level_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "storage/level_size.h"
#include "storage/profile.h"
#include "storage/save_file.h"

// Marks of the file last read by saved_flags_read; read by the level chooser.
uint8_t saved_flags[SAVED_FLAG_COUNT];

constexpr int SLOT_HEADER_SIZE = 6;     // vertex count (2) and clock (4)
constexpr int VERTEX_RECORD_SIZE = 14;
constexpr int MAX_FACING = 7;
constexpr int SLOT_BUFFER_SIZE = SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * SAVED_MAX_VERTICES;

// Slot k keeps level k + 1 of a track that is not sudden death (those are never saved).
static constexpr int32_t slot_vertices(int32_t slot)
{
    return level_size(false, slot + 1);
}

static constexpr int32_t slot_size(int32_t slot)
{
    return SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * slot_vertices(slot);
}

// Slot k starts after the flags and slots 0..k-1 (k <= 200 keeps it under 2 MB).
static constexpr long slot_offset(int32_t slot)
{
    long offset = SAVED_FLAG_COUNT;
    for (int32_t i = 0; i < slot; ++i)
        offset += slot_size(i);
    return offset;
}

static_assert(LEVEL_FILE_MAX_SIZE == slot_offset(SAVED_FLAG_COUNT));

// The first LEVEL_FILE_MAX_SIZE bytes of the file being changed; every change
// falls inside them. Written and read only inside one write operation.
static uint8_t level_image[LEVEL_FILE_MAX_SIZE];

int32_t saved_slot_vertices(int32_t slot)
{
    return slot_vertices(slot);
}

int32_t saved_slot_size(int32_t slot)
{
    return slot_size(slot);
}

void level_file_name(uint8_t file, char* out, int size)
{
    std::snprintf(out, size_t(size), "%sZembrolShape%d.lvl", data_dir_prefix, int(file));
}

// Opens the level file for reading; null when there is no regular file (see save_file_open).
static FILE* level_file_open(uint8_t file)
{
    char name[SAVE_PATH_SIZE];
    level_file_name(file, name, sizeof name);
    return save_file_open(name);
}

// Loads the start of the file into level_image and returns how many bytes it
// holds: 0 when there is no file, -1 when it exists but cannot be read (it is
// then left alone rather than replaced by a new one). Only the first
// LEVEL_FILE_MAX_SIZE bytes are read, however long the file: nothing past
// them means anything, and the replacement leaves them out.
static long level_image_load(const char* name)
{
    FILE* f = save_file_open(name);
    if (!f)
        return errno == ENOENT ? 0 : -1;
    const size_t got = std::fread(level_image, 1, sizeof level_image, f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return failed ? -1 : long(got);
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
    FILE* f = level_file_open(file);
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
// its own number, so the file grows only to the end of the level's slot; bytes
// the change does not reach stay as they were, up to the end of the last slot.
uint8_t saved_game_write(uint8_t level, uint8_t file, const SavedGame& game)
{
    if (!saved_game_fits(level, game))
        return 0;
    char name[SAVE_PATH_SIZE];
    level_file_name(file, name, sizeof name);
    const long length = level_image_load(name);
    if (length < 0)
        return 0;

    // A file too short for the flags starts them afresh.
    if (length < SAVED_FLAG_COUNT)
        std::memset(level_image, 0, SAVED_FLAG_COUNT);
    level_image[level - 1] = 1;
    long end = length > SAVED_FLAG_COUNT ? length : SAVED_FLAG_COUNT;
    long offset = SAVED_FLAG_COUNT;
    for (int i = 0; i + 1 < level; ++i) {
        offset += slot_size(i);
        if (offset > end) {
            std::memset(level_image + end, i & 0xFF, size_t(offset - end));
            end = offset;
        }
    }
    slot_encode(game, level_image + offset);
    const long slot_end = offset + SLOT_HEADER_SIZE + VERTEX_RECORD_SIZE * game.vertex_count;
    if (slot_end > end)
        end = slot_end;

    return save_file_replace(name, level_image, size_t(end));
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
    FILE* f = level_file_open(file);
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

// A file too short to hold the marks is left alone; one whose mark is already
// clear needs no rewrite.
uint8_t saved_flag_clear(uint8_t level, uint8_t file)
{
    if (level < 1 || level > SAVED_FLAG_COUNT)
        return 0;
    char name[SAVE_PATH_SIZE];
    level_file_name(file, name, sizeof name);
    const long length = level_image_load(name);
    uint8_t done = 0;
    if (length >= SAVED_FLAG_COUNT) {
        if (level_image[level - 1] == 0) {
            done = 1;
        } else {
            level_image[level - 1] = 0;
            done = save_file_replace(name, level_image, size_t(length));
        }
    }
    return done;
}

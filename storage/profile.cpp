// The player's profile file: a 284-byte little-endian image of the Profile,
// read once at start-up and replaced whole on every change, plus the rules that
// keep best times, unlocked levels and top scores.
#include "storage/profile.h"

#include <cstdio>
#include <cstring>

#include "storage/save_file.h"

// The master copy for the whole run; written by the game and the upkeep below.
Profile profile;
// Prefix of every file name the game opens; fixed, the current directory.
const char data_dir_prefix[] = "";

constexpr int PROFILE_PATH_SIZE = SAVE_PATH_SIZE;
constexpr int OFFSET_LEVELS_OPEN = 4;
constexpr int OFFSET_BEST_TIMES = OFFSET_LEVELS_OPEN + 4 * LEVELS_OPEN_COUNT;
constexpr int OFFSET_TOP_SCORES = OFFSET_BEST_TIMES + 2 * BEST_TIME_LEVELS;
static_assert(OFFSET_TOP_SCORES + 4 * TOP_SCORE_COUNT == PROFILE_SIZE);

// The file `profile` is bound to (empty: none); set by profile_open, read by
// profile_read and profile_write.
static char profile_path[PROFILE_PATH_SIZE];

static void put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

static void put32(uint8_t* p, uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

static uint16_t get16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

static uint32_t get32(const uint8_t* p)
{
    return uint32_t(get16(p)) | (uint32_t(get16(p + 2)) << 16);
}

void profile_encode(const Profile& record, uint8_t out[PROFILE_SIZE])
{
    put32(out, uint32_t(record.profile_version));
    for (int i = 0; i < LEVELS_OPEN_COUNT; ++i)
        put32(out + OFFSET_LEVELS_OPEN + 4 * i, record.levels_open[i]);
    for (int i = 0; i < BEST_TIME_LEVELS; ++i)
        put16(out + OFFSET_BEST_TIMES + 2 * i, record.best_times[i]);
    for (int i = 0; i < TOP_SCORE_COUNT; ++i)
        put32(out + OFFSET_TOP_SCORES + 4 * i, uint32_t(record.top_scores[i]));
}

// A short image is taken as if the missing bytes were zero, so fields the file
// does not reach read as 0; bytes past the record's size are ignored.
void profile_decode(const uint8_t* bytes, int32_t length, Profile* record)
{
    uint8_t image[PROFILE_SIZE] = {};
    if (length > PROFILE_SIZE)
        length = PROFILE_SIZE;
    if (length > 0)
        std::memcpy(image, bytes, size_t(length));
    record->profile_version = int32_t(get32(image));
    for (int i = 0; i < LEVELS_OPEN_COUNT; ++i)
        record->levels_open[i] = get32(image + OFFSET_LEVELS_OPEN + 4 * i);
    for (int i = 0; i < BEST_TIME_LEVELS; ++i)
        record->best_times[i] = get16(image + OFFSET_BEST_TIMES + 2 * i);
    for (int i = 0; i < TOP_SCORE_COUNT; ++i)
        record->top_scores[i] = int32_t(get32(image + OFFSET_TOP_SCORES + 4 * i));
}

void profile_reset(Profile* record)
{
    std::memset(record, 0, sizeof *record);
    record->profile_version = 2;
}

// Binds even when the file is missing, so the caller can write a fresh profile.
uint8_t profile_open(const char* name)
{
    std::snprintf(profile_path, sizeof profile_path, "%s%s.sav", data_dir_prefix, name);
    FILE* f = save_file_open(profile_path);
    if (!f)
        return 0;
    std::fclose(f);
    profile_read();
    return 1;
}

uint8_t profile_read()
{
    if (!profile_path[0])
        return 0;
    FILE* f = save_file_open(profile_path);
    if (!f)
        return 0;
    uint8_t image[PROFILE_SIZE];
    const size_t got = std::fread(image, 1, sizeof image, f);
    std::fclose(f);
    profile_decode(image, int32_t(got), &profile);
    return 1;
}

// A failed write leaves the previous file whole; the record in memory stays
// the master copy and goes out again at the next change.
uint8_t profile_write()
{
    if (!profile_path[0])
        return 0;
    uint8_t image[PROFILE_SIZE];
    profile_encode(profile, image);
    return save_file_replace(profile_path, image, sizeof image);
}

// Best times are whole seconds of game time, capped at 99:59. Levels past the
// table (above 100) still unlock but keep no time; a slot outside levels_open
// unlocks nothing.
uint8_t profile_level_solved(uint8_t level, uint8_t slot, uint8_t time_attack, uint32_t clock_ms, uint8_t* new_record)
{
    uint8_t record_set = 0;
    uint8_t changed = 0;
    if (clock_ms > CLOCK_CAP_MS)
        clock_ms = CLOCK_CAP_MS;
    const uint16_t seconds = uint16_t(clock_ms / 1000);
    if (level >= 1 && level <= BEST_TIME_LEVELS) {
        uint16_t& best = profile.best_times[level - 1];
        if (best == 0 || seconds < best) {
            best = seconds;
            record_set = 1;
            changed = 1;
        }
    }
    if (slot < LEVELS_OPEN_COUNT) {
        const uint32_t next = uint32_t(level) + 1;
        if (next > profile.levels_open[slot]) {
            // Time attack is the harder track: clearing a level there opens it
            // in classic play too, never the other way round.
            if (time_attack && next > profile.levels_open[0])
                profile.levels_open[0] = next;
            profile.levels_open[slot] = next;
            changed = 1;
        }
    }
    if (new_record)
        *new_record = record_set;
    if (changed)
        profile_write();
    return changed;
}

uint8_t profile_score_insert(int32_t value)
{
    if (value < 0)
        return 0;
    for (int place = 0; place < TOP_SCORE_COUNT; ++place) {
        if (profile.top_scores[place] < value) {
            for (int below = TOP_SCORE_COUNT - 1; below > place; --below)
                profile.top_scores[below] = profile.top_scores[below - 1];
            profile.top_scores[place] = value;
            profile_write();
            return 1;
        }
    }
    return 0;
}

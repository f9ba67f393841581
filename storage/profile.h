// The player's profile: progress, best times and top scores, kept in one
// 284-byte little-endian file.
#pragma once
#include <cstdint>

constexpr int LEVELS_OPEN_COUNT = 10;
constexpr int BEST_TIME_LEVELS = 100;
constexpr int TOP_SCORE_COUNT = 10;
constexpr int PROFILE_SIZE = 284;
constexpr uint16_t BEST_TIME_CAP_S = 5999;
constexpr uint32_t CLOCK_CAP_MS = BEST_TIME_CAP_S * 1000u;  // 99:59, the most the clock shows

struct Profile {
    int32_t profile_version;                // 2 when created
    uint32_t levels_open[LEVELS_OPEN_COUNT]; // per progress slot: levels the chooser offers
    uint16_t best_times[BEST_TIME_LEVELS];  // seconds, index level - 1; 0 = none
    int32_t top_scores[TOP_SCORE_COUNT];    // highest first
};

// The profile in memory, the master copy for the whole run.
extern Profile profile;
// Directory every file name of the game starts with: empty, the current directory.
extern const char data_dir_prefix[];

// Binds the file "<name>.sav" in the current directory to `profile`; loads it
// and returns 1 when it exists, else 0 with `profile` untouched. Anything but a
// regular file under the name counts as no file (see save_file_open).
uint8_t profile_open(const char* name);
// Reloads the bound file over `profile`; 0 when unbound or the file will not open.
uint8_t profile_read();
// Replaces the bound file with the image of `profile` (see save_file_replace);
// 0, with the old file intact, when unbound or it fails.
uint8_t profile_write();
// The fresh-profile values: version 2, everything else 0.
void profile_reset(Profile* record);

// Little-endian file image of a record, and back (a short image reads as zeros past its end).
void profile_encode(const Profile& record, uint8_t out[PROFILE_SIZE]);
void profile_decode(const uint8_t* bytes, int32_t length, Profile* record);

// Books level `level` (from 1) solved on track `slot` in `profile` with clock_ms
// of game time: best time (levels 1..100 only) and unlocking (time attack also
// unlocks classic play). Sets *new_record (may be null) to 1 when a best time was
// stored, else 0. Writes the profile when it changed and returns 1 then.
uint8_t profile_level_solved(uint8_t level, uint8_t slot, uint8_t time_attack, uint32_t clock_ms, uint8_t* new_record);
// Enters a sudden-death score into the top ten of `profile` (an equal score goes
// below; a negative value means no score). Writes the profile and returns 1 when
// it was entered.
uint8_t profile_score_insert(int32_t value);

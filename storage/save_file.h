// Replacing a save file whole: the new content goes to a temporary file beside
// the old one and takes its place in one rename, so a crash, a kill or a full
// disk leaves either the whole old file or the whole new one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

// The steps of a replacement, in the order they happen.
enum SaveStep : uint8_t {
    SAVE_STEP_OPEN,            // create the temporary file
    SAVE_STEP_WRITE,           // write the new bytes
    SAVE_STEP_FLUSH,           // hand the stream's buffer to the system
    SAVE_STEP_SYNC,            // force the file's data to the disk
    SAVE_STEP_CLOSE,
    SAVE_STEP_RENAME,          // put the temporary file in the old one's place
    SAVE_STEP_NONE,
};

// The step a test makes fail as if the system had refused it; SAVE_STEP_NONE
// in the game. Written only by tests, read by save_file_replace.
extern SaveStep save_fault_step;

// Called after every successful replacement, once the new file is in place;
// null in the desktop game. The browser build sets it to copy the files to
// the page's lasting storage, so that a save survives the page's closing.
extern void (*save_written_hook)();

// Longest path save_file_replace accepts (its temporary name is four longer).
constexpr int SAVE_PATH_SIZE = 256;

// Makes path hold `length` bytes of head followed by whatever is left to read
// of tail (an open file, or null). Returns 1 when the new file is in place and
// flushed to the disk. Returns 0, with path exactly as it was and no temporary
// file left behind, when anything fails, and also when path exists but is not
// a regular file we may write (a player who made the file read-only keeps it).
// The replacement keeps the old file's permission bits.
uint8_t save_file_replace(const char* path, const uint8_t* head, size_t length, FILE* tail);

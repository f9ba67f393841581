// Reading and replacing the game's save files. A reader never waits on what
// lies under a save file's name and takes only a regular file; a replacement
// goes to a temporary file beside the old one and takes its place in one
// rename, so a crash, a kill or a full disk leaves either the whole old file
// or the whole new one.
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

// Longest path save_file_replace and save_file_open accept.
constexpr int SAVE_PATH_SIZE = 256;

// Opens path for reading, or returns null when there is no regular file to
// read there. Never blocks: a named pipe, a device or a directory under the
// name counts as no file (errno is then ENOENT), as does a missing one.
FILE* save_file_open(const char* path);

// Makes path hold exactly `length` bytes. Returns 1 when they are in place and
// flushed to the disk, else 0.
// - A symbolic link is followed to its final target, which is replaced; the
//   link stays.
// - The replacement is made whole in a temporary file beside the target and
//   renamed over it; it keeps the old file's permission bits. On failure the
//   target is exactly as it was and no temporary file is left behind.
// - A folder that takes no new file (no permission, no room for an entry) but
//   holds a target the player may write gets the bytes written into the
//   target in place, synced, the part after the first block before the first
//   block, so a player there still keeps their progress.
// - A target that is not a regular file, or that the player made read-only,
//   is refused and left alone.
// - A write past a file size limit fails like a full disk: the signal such a
//   write raises is ignored from the first save on.
uint8_t save_file_replace(const char* path, const uint8_t* bytes, size_t length);

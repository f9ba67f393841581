// Crash-safe replacement of a save file. The new content is written in full to
// "<path>.tmp" in the same directory, forced to the disk, and renamed over the
// old file; rename within one directory is atomic, so at every moment the
// name holds either the complete old file or the complete new one.
#include "storage/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// The step tests make fail; the game never changes it.
SaveStep save_fault_step = SAVE_STEP_NONE;
// Set by the browser build's platform only.
void (*save_written_hook)() = nullptr;

constexpr char TEMP_SUFFIX[] = ".tmp";
constexpr int TEMP_PATH_SIZE = SAVE_PATH_SIZE + sizeof TEMP_SUFFIX - 1;
constexpr size_t COPY_CHUNK = 16384;
constexpr mode_t NEW_FILE_MODE = 0666;         // narrowed by the umask, as fopen would

// False when the test seam asks this step to fail.
static bool step_allowed(SaveStep step)
{
    return save_fault_step != step;
}

// The temporary file is created afresh, never reused: whatever a crash left
// under its name is removed first, and O_EXCL keeps us from writing through a
// link someone left there.
static FILE* temp_create(const char* temp)
{
    if (!step_allowed(SAVE_STEP_OPEN))
        return nullptr;
    if (unlink(temp) != 0 && errno != ENOENT)
        return nullptr;
    const int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
    if (fd < 0)
        return nullptr;
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        unlink(temp);
    }
    return f;
}

static bool tail_copy(FILE* tail, FILE* to)
{
    char chunk[COPY_CHUNK];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, tail);
        if (got > 0 && std::fwrite(chunk, 1, got, to) != got)
            return false;
        if (got < sizeof chunk)
            return !std::ferror(tail);
    }
}

static bool temp_fill(FILE* f, const uint8_t* head, size_t length, FILE* tail)
{
    if (!step_allowed(SAVE_STEP_WRITE))
        return false;
    if (length > 0 && std::fwrite(head, 1, length, f) != length)
        return false;
    return !tail || tail_copy(tail, f);
}

// The rename is only known to survive a power cut once the directory entry is
// on the disk too. By then the new file is in place, so a failure here cannot
// be undone and is not reported; the content itself was synced before.
static void directory_sync(const char* path)
{
    char dir[SAVE_PATH_SIZE];
    const char* slash = std::strrchr(path, '/');
    if (!slash) {
        std::strcpy(dir, ".");
    } else {
        const size_t n = slash == path ? 1 : size_t(slash - path);
        std::memcpy(dir, path, n);
        dir[n] = '\0';
    }
    const int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

uint8_t save_file_replace(const char* path, const uint8_t* head, size_t length, FILE* tail)
{
    const size_t path_length = std::strlen(path);
    if (path_length == 0 || path_length >= size_t(SAVE_PATH_SIZE))
        return 0;
    char temp[TEMP_PATH_SIZE];
    std::memcpy(temp, path, path_length);
    std::memcpy(temp + path_length, TEMP_SUFFIX, sizeof TEMP_SUFFIX);

    // The old file's write permission is honoured even though the rename
    // would only need the directory's.
    struct stat old;
    const bool had_old = stat(path, &old) == 0;
    if (had_old && (!S_ISREG(old.st_mode) || access(path, W_OK) != 0))
        return 0;

    FILE* f = temp_create(temp);
    if (!f)
        return 0;
    bool ok = !had_old || fchmod(fileno(f), old.st_mode & 07777) == 0;
    ok = ok && temp_fill(f, head, length, tail);
    ok = ok && step_allowed(SAVE_STEP_FLUSH) && std::fflush(f) == 0;
    ok = ok && step_allowed(SAVE_STEP_SYNC) && fsync(fileno(f)) == 0;
    // Closed whatever happened; a close that fails may have lost data.
    ok = std::fclose(f) == 0 && ok && step_allowed(SAVE_STEP_CLOSE);
    ok = ok && step_allowed(SAVE_STEP_RENAME) && std::rename(temp, path) == 0;
    if (!ok) {
        unlink(temp);
        return 0;
    }
    directory_sync(path);
    if (save_written_hook)
        save_written_hook();
    return 1;
}

// Save files on disk. Readers open without waiting and take regular files
// only. A replacement is written in full to "<target>.tmp" beside the file,
// forced to the disk, and renamed over it; rename within one directory is
// atomic, so at every moment the name holds either the complete old file or
// the complete new one. Only a folder that refuses new files makes a save
// write into the old file instead.
#include "storage/save_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// The step tests make fail; the game never changes it.
SaveStep save_fault_step = SAVE_STEP_NONE;
// Set by the browser build's platform only.
void (*save_written_hook)() = nullptr;

constexpr char TEMP_SUFFIX[] = ".tmp";
constexpr int TARGET_PATH_SIZE = PATH_MAX;
constexpr int TEMP_PATH_SIZE = TARGET_PATH_SIZE + sizeof TEMP_SUFFIX - 1;
constexpr int MAX_LINK_HOPS = 40;              // as many as the system itself follows
constexpr mode_t NEW_FILE_MODE = 0666;         // narrowed by the umask, as fopen would
// Written in place, this much of the start goes last: the level files' flags
// and the whole profile lie in it, so a save cut short in place leaves the
// start saying what it said before.
constexpr size_t IN_PLACE_HEAD = 512;

// False when the test seam asks this step to fail.
static bool step_allowed(SaveStep step)
{
    return save_fault_step != step;
}

FILE* save_file_open(const char* path)
{
    if (std::strlen(path) >= size_t(SAVE_PATH_SIZE)) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    // Without O_NONBLOCK a named pipe would hold the game until someone wrote to it.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = ENOENT;
        return nullptr;
    }
    FILE* f = fdopen(fd, "rb");
    if (!f)
        close(fd);
    return f;
}

// A file size limit raises SIGXFSZ, which ends the process, on the write that
// passes it. Ignored, the write just fails with EFBIG, which the save handles
// as it handles a full disk. Set before every save, as cheap as checking it.
static void size_limit_signal_ignore()
{
    signal(SIGXFSZ, SIG_IGN);
}

// Follows path through symbolic links to the name that holds the data, into
// out. A name that does not exist yet is its own target (the save creates it,
// beside a dangling link's end too). False for a loop of links, a link that
// cannot be read or a target too long.
static bool link_target_find(const char* path, char* out)
{
    std::strcpy(out, path);
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
        struct stat st;
        if (lstat(out, &st) != 0)
            return errno == ENOENT;
        if (!S_ISLNK(st.st_mode))
            return true;
        char link[TARGET_PATH_SIZE];
        const ssize_t n = readlink(out, link, sizeof link - 1);
        if (n <= 0)
            return false;
        link[n] = '\0';
        // A relative link is read from the folder the link lies in.
        size_t keep = 0;
        if (link[0] != '/') {
            const char* slash = std::strrchr(out, '/');
            keep = slash ? size_t(slash - out) + 1 : 0;
        }
        if (keep + size_t(n) >= size_t(TARGET_PATH_SIZE))
            return false;
        std::memcpy(out + keep, link, size_t(n) + 1);
    }
    return false;
}

// The temporary file is created afresh, never reused: whatever a crash left
// under its name is removed first, and O_EXCL keeps us from writing through a
// link someone left there. On failure errno says why.
static FILE* temp_create(const char* temp)
{
    if (!step_allowed(SAVE_STEP_OPEN)) {
        errno = EIO;
        return nullptr;
    }
    if (unlink(temp) != 0 && errno != ENOENT)
        return nullptr;
    const int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
    if (fd < 0)
        return nullptr;
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        const int why = errno;
        close(fd);
        unlink(temp);
        errno = why;
    }
    return f;
}

// The rename is only known to survive a power cut once the directory entry is
// on the disk too. By then the new file is in place, so a failure here cannot
// be undone and is not reported; the content itself was synced before.
static void directory_sync(const char* path)
{
    char dir[TARGET_PATH_SIZE];
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

// The whole replacement through a temporary file. When the temporary file
// cannot be created, *create_error holds why (else 0).
static bool replace_by_rename(const char* target, const uint8_t* bytes, size_t length, const struct stat* old,
                              int* create_error)
{
    *create_error = 0;
    char temp[TEMP_PATH_SIZE];
    const size_t target_length = std::strlen(target);
    std::memcpy(temp, target, target_length);
    std::memcpy(temp + target_length, TEMP_SUFFIX, sizeof TEMP_SUFFIX);

    FILE* f = temp_create(temp);
    if (!f) {
        *create_error = errno;
        return false;
    }
    bool ok = !old || fchmod(fileno(f), old->st_mode & 07777) == 0;
    ok = ok && step_allowed(SAVE_STEP_WRITE) && (length == 0 || std::fwrite(bytes, 1, length, f) == length);
    ok = ok && step_allowed(SAVE_STEP_FLUSH) && std::fflush(f) == 0;
    ok = ok && step_allowed(SAVE_STEP_SYNC) && fsync(fileno(f)) == 0;
    // Closed whatever happened; a close that fails may have lost data.
    ok = std::fclose(f) == 0 && ok && step_allowed(SAVE_STEP_CLOSE);
    ok = ok && step_allowed(SAVE_STEP_RENAME) && std::rename(temp, target) == 0;
    if (!ok) {
        unlink(temp);
        return false;
    }
    directory_sync(target);
    return true;
}

// Errors of creating the temporary file that say the folder takes no new
// file, while the old one may still be written where it lies.
static bool folder_refuses_new_files(int error)
{
    return error == EACCES || error == EPERM || error == ENOSPC || error == EDQUOT;
}

static bool bytes_put(int fd, const uint8_t* bytes, size_t length, off_t offset)
{
    while (length > 0) {
        const ssize_t n = pwrite(fd, bytes, length, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        length -= size_t(n);
        offset += n;
    }
    return true;
}

// The fallback when no temporary file can be made: not atomic, so it is
// ordered to do the least harm if cut short. Everything past the first block
// goes first and is synced, then the first block, where our files say what
// the rest means; then the file is cut to its new length and synced again.
static bool write_in_place(const char* target, const uint8_t* bytes, size_t length)
{
    const int fd = open(target, O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const size_t head = length < IN_PLACE_HEAD ? length : IN_PLACE_HEAD;
    ok = ok && step_allowed(SAVE_STEP_WRITE);
    if (ok && length > head)
        ok = bytes_put(fd, bytes + head, length - head, off_t(head)) && fdatasync(fd) == 0;
    ok = ok && bytes_put(fd, bytes, head, 0);
    ok = ok && (st.st_size <= off_t(length) || ftruncate(fd, off_t(length)) == 0);
    ok = ok && step_allowed(SAVE_STEP_SYNC) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok && step_allowed(SAVE_STEP_CLOSE);
    return ok;
}

uint8_t save_file_replace(const char* path, const uint8_t* bytes, size_t length)
{
    size_limit_signal_ignore();
    const size_t path_length = std::strlen(path);
    if (path_length == 0 || path_length >= size_t(SAVE_PATH_SIZE))
        return 0;
    char target[TARGET_PATH_SIZE];
    if (!link_target_find(path, target))
        return 0;

    // The old file's write permission is honoured even though the rename
    // would only need the directory's.
    struct stat old;
    const bool had_old = lstat(target, &old) == 0;
    if (had_old && (!S_ISREG(old.st_mode) || access(target, W_OK) != 0))
        return 0;

    int create_error = 0;
    bool saved = replace_by_rename(target, bytes, length, had_old ? &old : nullptr, &create_error);
    if (!saved && had_old && folder_refuses_new_files(create_error))
        saved = write_in_place(target, bytes, length);
    if (!saved)
        return 0;
    // Every successful save, whichever way it went, ends here.
    if (save_written_hook)
        save_written_hook();
    return 1;
}

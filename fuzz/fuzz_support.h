// Shared by the fuzz targets: a private working directory for the files the
// storage code reads and writes, and a check that turns a broken promise into
// a crash libFuzzer reports.
#pragma once
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// Aborts with the message when cond is false; libFuzzer keeps the input.
#define FUZZ_CHECK(cond, message)                                                  \
    do {                                                                           \
        if (!(cond)) {                                                             \
            std::fprintf(stderr, "fuzz check failed: %s (%s)\n", message, #cond);  \
            std::abort();                                                          \
        }                                                                          \
    } while (0)

inline std::string& fuzz_directory()
{
    static std::string path;
    return path;
}

inline void fuzz_directory_remove()
{
    std::error_code ignored;
    std::filesystem::remove_all(fuzz_directory(), ignored);
}

// Enters a fresh directory for this process, in memory when /dev/shm exists
// so that the saves' syncs cost nothing, and removes it at a normal exit.
// Called once, from LLVMFuzzerInitialize.
inline void fuzz_directory_enter()
{
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/zf-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    FUZZ_CHECK(mkdtemp(name.data()) != nullptr, "cannot make a working directory");
    FUZZ_CHECK(chdir(name.data()) == 0, "cannot enter the working directory");
    fuzz_directory() = name.data();
    std::atexit(fuzz_directory_remove);
}

inline void fuzz_file_put(const char* name, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(name, "wb");
    FUZZ_CHECK(f != nullptr, "cannot create an input file");
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size, "cannot write an input file");
    FUZZ_CHECK(std::fclose(f) == 0, "cannot close an input file");
}

inline std::vector<uint8_t> fuzz_file_bytes(const char* name)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(name, "rb");
    if (!f)
        return bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
    return bytes;
}

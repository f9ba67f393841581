// A fresh empty working directory for one test: files the game writes into the
// current directory land there and are removed afterwards.
#pragma once
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class ScratchDir {
public:
    void enter()
    {
        char* cwd = getcwd(nullptr, 0);
        ASSERT_NE(cwd, nullptr);
        home_ = cwd;
        std::free(cwd);
        std::string pattern = (std::filesystem::temp_directory_path() / "zf-test-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        ASSERT_NE(mkdtemp(buffer.data()), nullptr);
        dir_ = buffer.data();
        ASSERT_EQ(chdir(dir_.c_str()), 0);
    }

    void leave()
    {
        if (!home_.empty()) {
            EXPECT_EQ(chdir(home_.c_str()), 0);
        }
        if (!dir_.empty())
            std::filesystem::remove_all(dir_);
        home_.clear();
        dir_.clear();
    }

private:
    std::string home_;
    std::string dir_;
};

inline std::vector<uint8_t> file_bytes(const char* name)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(name, "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back(uint8_t(c));
    std::fclose(f);
    return bytes;
}

inline void file_put(const char* name, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(name, "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) {
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    std::fclose(f);
}

inline bool file_exists(const char* name) { return std::filesystem::exists(name); }

// What child_run answers when the child could not drop to an unprivileged user.
constexpr int CHILD_NOT_DROPPED = 100;
// Added to the number of the signal that ended a child.
constexpr int CHILD_SIGNALLED = 128;

// Runs body in a child process, in the current directory, and returns what it
// exited with (body's answer, 0..99), or CHILD_SIGNALLED + the signal that
// ended it: a save that kills or hangs the process fails the test without
// taking the test program down. unprivileged: as user and group 65534 when we
// are root, since root passes every permission check. seconds > 0: an alarm
// ends a child that is still running then.
inline int child_run(const std::function<int()>& body, bool unprivileged = false, unsigned seconds = 0)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(CHILD_NOT_DROPPED);
        if (seconds > 0)
            alarm(seconds);
        _exit(body());
    }
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    if (WIFSIGNALED(status))
        return CHILD_SIGNALLED + WTERMSIG(status);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), CHILD_NOT_DROPPED) << "could not drop privileges";
    return WEXITSTATUS(status);
}

class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override { dir_.enter(); }
    void TearDown() override { dir_.leave(); }

private:
    ScratchDir dir_;
};

// The names in a folder, "." and ".." left out, sorted; none when it cannot be read.
inline std::vector<std::string> names_in(const char* folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder)) {
        while (const dirent* e = readdir(dir)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.push_back(e->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A fresh empty working directory for one test: files the game writes into the
// current directory land there and are removed afterwards.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override { dir_.enter(); }
    void TearDown() override { dir_.leave(); }

private:
    ScratchDir dir_;
};

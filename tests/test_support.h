#pragma once

#include <gtest/gtest.h>

#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

// Skips the test for a missing prerequisite, except in CI (CI=true), where
// a test that cannot run is a failure.  Returns from the test either way.
#define SKIP_UNLESS_CI(reason)                                                  \
    do {                                                                        \
        const char* ci = std::getenv("CI");                                     \
        if (ci != nullptr && std::string(ci) == "true") {                       \
            GTEST_FAIL() << (reason) << " (a failure in CI)";                   \
        }                                                                       \
        GTEST_SKIP() << (reason);                                               \
    } while (false)

// A directory of its own for one test, removed with all it holds.
class TempDir {
public:
    TempDir()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/folderreport-test-XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr) {
            std::perror(pattern.c_str());
            std::abort();
        }
        path_ = pattern;
    }
    ~TempDir()
    {
        nftw(path_.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
             FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

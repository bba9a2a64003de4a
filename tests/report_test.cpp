#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "report.h"

namespace {

// A scripted shell: each code answers the plain and the create query as the
// test says, and every call is logged.
struct Answer {
    BOOL plain = 0;
    BOOL create = 0;
    const char* text = nullptr;  // written into the buffer on success; nullptr leaves it
    const char* left = nullptr;  // written into the buffer on failure
};
std::vector<std::pair<int, BOOL>> calls;
Answer (*answerFor)(int csidl) = nullptr;

BOOL WINAPI fakeShell(HWND owner, LPSTR path, int csidl, BOOL create)
{
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(path, pathBuffer);
    calls.emplace_back(csidl, create);
    const Answer answer = answerFor(csidl);
    const BOOL result = create ? answer.create : answer.plain;
    const char* written = result ? answer.text : answer.left;
    if (written != nullptr) {
        std::strcpy(path, written);
    }
    return result;
}

std::string report(const FolderEntry* table, Answer (*answers)(int))
{
    calls.clear();
    answerFor = answers;
    std::FILE* out = std::tmpfile();
    EXPECT_NE(out, nullptr);
    EXPECT_EQ(writeReport(table, fakeShell, out), 0);
    std::string result(static_cast<std::size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    EXPECT_EQ(std::fread(&result[0], 1, result.size(), out), result.size());
    std::fclose(out);
    return result;
}

}  // namespace

TEST(Report, LineFormatsPadShortNamesAndNeverCutLongOnes)
{
    // Each form (found, created, failed with what the shell left, failed
    // with nothing left) with a short name, one of exactly 16 characters and
    // a longer one.
    const FolderEntry table[] = {
        {1, "SYSTEM"}, {2, "DESKTOPDIRECTORY"},  {3, "PROGRAM_FILES_COMMON"},  {4, "SYSTEM"},
        {5, "DESKTOPDIRECTORY"}, {6, "PROGRAM_FILES_COMMON"}, {7, "SYSTEM"}, {8, "DESKTOPDIRECTORY"},
        {9, "PROGRAM_FILES_COMMON"}, {10, "SYSTEM"}, {11, "DESKTOPDIRECTORY"}, {12, "PROGRAM_FILES_COMMON"},
        {-1, nullptr},
    };
    auto answers = [](int csidl) -> Answer { return {csidl <= 3, csidl <= 6, "C:\\p", csidl <= 9 ? "C:\\q" : nullptr}; };
    EXPECT_EQ(report(table, answers),
              "SYSTEM          : C:\\p\n"
              "DESKTOPDIRECTORY: C:\\p\n"
              "PROGRAM_FILES_COMMON: C:\\p\n"
              "SYSTEM          : CREATED (C:\\p)\n"
              "DESKTOPDIRECTORY: CREATED (C:\\p)\n"
              "PROGRAM_FILES_COMMON: CREATED (C:\\p)\n"
              "SYSTEM          : FAILED (C:\\q)\n"
              "DESKTOPDIRECTORY: FAILED (C:\\q)\n"
              "PROGRAM_FILES_COMMON: FAILED (C:\\q)\n"
              "SYSTEM          : FAILED ()\n"
              "DESKTOPDIRECTORY: FAILED ()\n"
              "PROGRAM_FILES_COMMON: FAILED ()\n");
}

TEST(Report, AsksPlainFirstAndCreatesOnlyWhatThePlainQueryMissed)
{
    // Even codes are found, codes divisible by three are created, the rest fail.
    auto answers = [](int csidl) -> Answer { return {csidl % 2 == 0, csidl % 3 == 0, "/x"}; };
    report(folderTable, answers);

    std::vector<std::pair<int, BOOL>> expected;
    for (const FolderEntry* row = folderTable; row->csidl != endOfTable; ++row) {
        expected.emplace_back(row->csidl, 0);
        if (row->csidl % 2 != 0) {
            expected.emplace_back(row->csidl, 1);
        }
    }
    EXPECT_EQ(calls, expected);
}

TEST(Report, FailedLineNeverShowsAnEarlierRowsPath)
{
    const FolderEntry table[] = {{5, "PERSONAL"}, {12, "MYDOCUMENTS"}, {-1, nullptr}};
    auto answers = [](int csidl) -> Answer { return {csidl == 5, 0, "/home/me/Documents"}; };
    EXPECT_EQ(report(table, answers),
              "PERSONAL        : /home/me/Documents\n"
              "MYDOCUMENTS     : FAILED ()\n");
}

TEST(Report, UnterminatedBufferIsCutAtItsLastByte)
{
    const FolderEntry table[] = {{1, "SYSTEM"}, {-1, nullptr}};
    calls.clear();
    auto fill = [](HWND, LPSTR path, int, BOOL) -> BOOL {
        std::memset(path, 'x', MAX_PATH);
        return 1;
    };
    std::FILE* out = std::tmpfile();
    ASSERT_EQ(writeReport(table, fill, out), 0);
    std::rewind(out);
    char line[1024] = {};
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    std::fclose(out);
    EXPECT_EQ(std::string(line), "SYSTEM          : " + std::string(MAX_PATH - 1, 'x') + "\n");
}

// An output whose chosen writes fail, the first with ENOSPC and any later
// one with EIO, and whose close may fail with EBADF.  Line-buffered, it is
// written once per line; fully buffered, once when it is flushed.
struct FailingOutput {
    std::set<int> failingWrites;
    bool closeFails = false;
    int writes = 0;
    int failures = 0;
    std::string written;
};

std::FILE* openFailingOutput(FailingOutput& output, int buffering)
{
    cookie_io_functions_t functions{};
    functions.write = [](void* cookie, const char* data, std::size_t size) -> ssize_t {
        auto& self = *static_cast<FailingOutput*>(cookie);
        if (self.failingWrites.count(++self.writes) != 0) {
            errno = self.failures++ == 0 ? ENOSPC : EIO;
            return -1;
        }
        self.written.append(data, size);
        return static_cast<ssize_t>(size);
    };
    functions.close = [](void* cookie) {
        if (!static_cast<FailingOutput*>(cookie)->closeFails) {
            return 0;
        }
        errno = EBADF;
        return -1;
    };
    std::FILE* out = fopencookie(&output, "w", functions);
    static char buffer[4096];
    std::setvbuf(out, buffer, buffering, sizeof buffer);
    return out;
}

TEST(Report, FailedWritesNeitherStopTheWalkNorHideTheFirstError)
{
    const struct {
        std::set<int> failingWrites;
        int buffering;
        bool closeFails;
        int error;  // what the report ends with
    } cases[] = {
        {{}, _IOLBF, false, 0},
        {{3, 5, 6}, _IOLBF, false, ENOSPC},
        {{3}, _IOLBF, true, ENOSPC},  // a line fails, then the close: the line's cause
        {{}, _IOLBF, true, EBADF},
        {{1}, _IOFBF, true, ENOSPC},  // the flush fails, then the close: the flush's cause
        {{1}, _IOFBF, false, ENOSPC},
    };
    auto answers = [](int) -> Answer { return {1, 0, "/x"}; };
    for (const auto& c : cases) {
        calls.clear();
        answerFor = answers;
        FailingOutput output;
        output.failingWrites = c.failingWrites;
        output.closeFails = c.closeFails;
        std::FILE* out = openFailingOutput(output, c.buffering);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(closeReport(out, writeReport(folderTable, fakeShell, out)), c.error) << std::strerror(c.error);
        EXPECT_EQ(calls.size(), 14u) << "every row is still asked for";
        if (c.buffering == _IOLBF) {
            EXPECT_EQ(output.writes, 14) << "every line is still written";
            EXPECT_EQ(output.failures, static_cast<int>(c.failingWrites.size()));
            EXPECT_EQ(std::count(output.written.begin(), output.written.end(), '\n'), 14 - static_cast<int>(c.failingWrites.size()));
            EXPECT_EQ(output.written.find("LOCAL_APPDATA   : /x\n") != std::string::npos, c.failingWrites.count(14) == 0);
        }
    }
}

TEST(FolderTable, FourteenDistinctCodesThenTheTerminator)
{
    std::set<int> codes;
    std::size_t rows = 0;
    for (const FolderEntry* row = folderTable; row->csidl != endOfTable; ++row, ++rows) {
        codes.insert(row->csidl);
        EXPECT_GE(std::strlen(row->name), 6u);
        EXPECT_LE(std::strlen(row->name), 20u);
    }
    EXPECT_EQ(rows, 14u);
    EXPECT_EQ(codes.size(), 14u);
    EXPECT_EQ(folderTable[14].name, nullptr);
}

#include <gtest/gtest.h>

#include <cerrno>
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
    if (result && answer.text != nullptr) {
        std::strcpy(path, answer.text);
    }
    return result;
}

std::string report(const FolderEntry* table, Answer (*answers)(int))
{
    calls.clear();
    answerFor = answers;
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    EXPECT_EQ(writeReport(table, fakeShell, out), 0);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

}  // namespace

TEST(Report, LineFormatsPadShortNamesAndNeverCutLongOnes)
{
    const FolderEntry table[] = {{1, "SYSTEM"}, {2, "DESKTOPDIRECTORY"}, {3, "PROGRAM_FILES_COMMON"}, {-1, nullptr}};
    auto answers = [](int csidl) -> Answer {
        switch (csidl) {
        case 1: return {1, 0, "C:\\Windows\\system32"};
        case 2: return {0, 1, "C:\\Users\\me\\Desktop"};
        default: return {0, 0, nullptr};
        }
    };
    EXPECT_EQ(report(table, answers),
              "SYSTEM          : C:\\Windows\\system32\n"
              "DESKTOPDIRECTORY: CREATED (C:\\Users\\me\\Desktop)\n"
              "PROGRAM_FILES_COMMON: FAILED ()\n");
}

TEST(Report, AsksPlainFirstAndCreatesOnlyWhatThePlainQueryMissed)
{
    // Even codes are found, codes divisible by three are created, the rest fail.
    auto answers = [](int csidl) -> Answer { return {csidl % 2 == 0, csidl % 3 == 0, "/x"}; };
    const std::string out = report(folderTable, answers);

    std::vector<std::pair<int, BOOL>> expected;
    std::string expectedOut;
    for (const FolderEntry* row = folderTable; row->csidl != -1; ++row) {
        expected.emplace_back(row->csidl, 0);
        std::string field = std::string(row->name) + std::string(16 - std::min<std::size_t>(16, std::strlen(row->name)), ' ') + ": ";
        if (row->csidl % 2 == 0) {
            expectedOut += field + "/x\n";
            continue;
        }
        expected.emplace_back(row->csidl, 1);
        expectedOut += field + (row->csidl % 3 == 0 ? "CREATED (/x)\n" : "FAILED ()\n");
    }
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(out, expectedOut);
}

TEST(Report, EveryRowFailingStillGivesEveryLine)
{
    const std::string out = report(folderTable, [](int) -> Answer { return {}; });
    EXPECT_EQ(calls.size(), 28u);
    std::size_t failed = 0;
    for (std::size_t at = out.find(": FAILED ()\n"); at != std::string::npos; at = out.find(": FAILED ()\n", at + 1)) {
        ++failed;
    }
    EXPECT_EQ(failed, 14u);
}

TEST(Report, EmptyTableAsksNothingAndPrintsNothing)
{
    const FolderEntry table[] = {{-1, "never read"}};
    EXPECT_EQ(report(table, [](int) -> Answer { return {1, 1, "/x"}; }), "");
    EXPECT_TRUE(calls.empty());
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

TEST(Report, ReportsTheErrorOfAFailedWrite)
{
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    calls.clear();
    answerFor = [](int) -> Answer { return {1, 0, "/x"}; };
    EXPECT_EQ(writeReport(folderTable, fakeShell, full), ENOSPC);
    EXPECT_EQ(calls.size(), 14u) << "a failed write must not stop the walk";
    std::fclose(full);
}

TEST(FolderTable, FourteenDistinctCodesThenTheTerminator)
{
    std::set<int> codes;
    std::size_t rows = 0;
    for (const FolderEntry* row = folderTable; row->csidl != -1; ++row, ++rows) {
        codes.insert(row->csidl);
        EXPECT_GE(std::strlen(row->name), 6u);
        EXPECT_LE(std::strlen(row->name), 20u);
    }
    EXPECT_EQ(rows, 14u);
    EXPECT_EQ(codes.size(), 14u);
    EXPECT_EQ(folderTable[14].name, nullptr);
}

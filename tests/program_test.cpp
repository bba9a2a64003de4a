#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstring>
#include <string>

#include "test_support.h"

namespace {

struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the built program with `home` as its only environment.
ProgramRun runProgram(const std::string& home, const std::string& args = "", const std::string& output = "")
{
    TempDir scratch;
    const std::string outFile = output.empty() ? scratch.path() + "/out" : output;
    const std::string command = "env -i HOME='" + home + "' " FOLDERREPORT_EXE " " + args + " >" + outFile +
                                " 2>" + scratch.path() + "/err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output.empty() ? readFile(outFile) : "",
            readFile(scratch.path() + "/err")};
}

}  // namespace

TEST(Program, FreshHomeGetsItsFoldersCreatedThenFound)
{
    // The machine-wide folders of any Debian-like system.
    ASSERT_EQ(access("/opt", F_OK), 0);
    ASSERT_EQ(access("/usr/share", F_OK), 0);
    TempDir home;
    const std::string h = home.path();
    const std::string first = runProgram(h).out;
    EXPECT_EQ(first,
              "SYSTEM          : FAILED ()\n"
              "WINDOWS         : FAILED ()\n"
              "DESKTOPDIRECTORY: CREATED (" + h + "/Desktop)\n"
              "STARTMENU       : CREATED (" + h + "/.config/menus)\n"
              "PROGRAMS        : CREATED (" + h + "/.local/share/applications)\n"
              "PROGRAM_FILES   : /opt\n"
              "PROGRAM_FILES_COMMON: FAILED ()\n"
              "PERSONAL        : CREATED (" + h + "/Documents)\n"
              "MYDOCUMENTS     : FAILED ()\n"
              "MYPICTURES      : CREATED (" + h + "/Pictures)\n"
              "APPDATA         : " + h + "/.config\n"
              "COMMON_APPDATA  : /usr/share\n"
              "COMMON_DOCUMENTS: CREATED (" + h + "/Public)\n"
              "LOCAL_APPDATA   : " + h + "/.local/share\n");
    const ProgramRun second = runProgram(h);
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(second.out.find("CREATED"), std::string::npos) << second.out;
    EXPECT_EQ(second.out.find(h + "/Pictures\n"), second.out.find("MYPICTURES      : ") + 18);
}

TEST(Program, ArgumentsChangeNothing)
{
    TempDir home;
    runProgram(home.path());
    const ProgramRun plain = runProgram(home.path());
    const ProgramRun withArgs = runProgram(home.path(), "--help -v '' /? \"$(printf '\\377\\376')\"");
    EXPECT_EQ(withArgs.out, plain.out);
    EXPECT_EQ(withArgs.status, 0);
    EXPECT_EQ(withArgs.err, "");
}

TEST(Program, UnwritableOutputIsAnError)
{
    TempDir home;
    const ProgramRun full = runProgram(home.path(), "", "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "folderreport: write error: No space left on device\n");
    EXPECT_EQ(access((home.path() + "/Public").c_str(), F_OK), 0) << "a failed write stopped the walk";
}

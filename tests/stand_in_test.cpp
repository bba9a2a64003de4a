#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "folder_codes.h"
#include "folder_table.h"
#include "stand_in_shell.h"
#include "test_support.h"

namespace {

using namespace csidl;
// A failure, as the report's failed line shows it: the folder that could
// not be found or made, or nothing where there is none to name.
std::string failedAt(const std::string& folder) { return "FAILED (" + folder + ")"; }
const std::string failed = failedAt("");

// The stand-in in a temporary home with no XDG variables set; the variables
// the test changes are put back afterwards.
class StandIn : public ::testing::Test {
protected:
    static constexpr const char* variables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};

    void SetUp() override
    {
        for (std::size_t i = 0; i < std::size(variables); ++i) {
            const char* value = std::getenv(variables[i]);
            saved[i] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
        }
        setenv("HOME", home.path().c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
    }

    void TearDown() override
    {
        for (std::size_t i = 0; i < std::size(variables); ++i) {
            if (saved[i]) {
                setenv(variables[i], saved[i]->c_str(), 1);
            } else {
                unsetenv(variables[i]);
            }
        }
    }

    std::string ask(int csidl, BOOL create)
    {
        static StandInContext context;
        loadStandInContext(context);
        char path[MAX_PATH];
        std::memset(path, '?', sizeof path);
        const BOOL found = queryStandIn(context, path, csidl, create);
        if (std::memchr(path, '\0', sizeof path) == nullptr) {
            ADD_FAILURE() << "no NUL in the buffer";
            return "<unterminated>";
        }
        return found ? std::string(path) : failedAt(path);
    }

    void writeUserDirs(const std::string& content)
    {
        mkdir((home.path() + "/.config").c_str(), 0700);
        writeFile(home.path() + "/.config/user-dirs.dirs", content);
    }

    static mode_t modeOf(const std::string& path)
    {
        struct stat status{};
        stat(path.c_str(), &status);
        return status.st_mode & 07777;
    }

    TempDir home;
    const std::string h = home.path();
    std::optional<std::string> saved[std::size(variables)];
};

}  // namespace

TEST_F(StandIn, EmptyHomeIsFilledOnCreateThenFound)
{
    const mode_t mask = umask(022);
    const struct {
        int csidl;
        std::string path;
        mode_t mode;
    } rows[] = {
        {desktopDirectory, h + "/Desktop", 0755},           {startMenu, h + "/.config/menus", 0700},
        {programs, h + "/.local/share/applications", 0700}, {personal, h + "/Documents", 0755},
        {myPictures, h + "/Pictures", 0755},       {appData, h + "/.config", 0700},
        {commonDocuments, h + "/Public", 0755},    {localAppData, h + "/.local/share", 0700},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(ask(row.csidl, 0), row.path == h + "/.config" || row.path == h + "/.local/share" ? row.path : failedAt(row.path));
        EXPECT_EQ(ask(row.csidl, 1), row.path);
        EXPECT_EQ(ask(row.csidl, 0), row.path);
        EXPECT_EQ(modeOf(row.path), row.mode);
    }
    EXPECT_EQ(modeOf(h + "/.local"), 0700u);
    umask(mask);
}

TEST_F(StandIn, CodesWithoutANativeFolderAlwaysFail)
{
    for (int csidl : {csidl::system, csidl::windows, programFilesCommon, myDocuments, 0, -1, 0x7FFFFFFF}) {
        EXPECT_EQ(ask(csidl, 0), failed) << csidl;
        EXPECT_EQ(ask(csidl, 1), failed) << csidl;
    }
}

TEST_F(StandIn, MachineWideFoldersAreReportedButNeverCreated)
{
    for (auto [csidl, path] : {std::pair{programFiles, "/opt"}, std::pair{commonAppData, "/usr/share"}}) {
        const bool present = access(path, F_OK) == 0;
        EXPECT_EQ(ask(csidl, 1), present ? path : failedAt(path));
        EXPECT_EQ(access(path, F_OK) == 0, present) << path << " was created";
    }
}

TEST_F(StandIn, XdgBaseVariablesCountOnlyWhenAbsolute)
{
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(ask(appData, 1), h + "/.config");
    EXPECT_EQ(ask(localAppData, 1), h + "/.local/share");

    setenv("XDG_CONFIG_HOME", (h + "/cfg").c_str(), 1);
    setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
    EXPECT_EQ(ask(startMenu, 1), h + "/cfg/menus");
    EXPECT_EQ(ask(programs, 1), h + "/data/applications");
    // user-dirs.dirs is looked for in the configured place
    writeFile(h + "/cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/from-cfg\"\n");
    EXPECT_EQ(ask(desktopDirectory, 1), h + "/from-cfg");
}

TEST_F(StandIn, HomeFromThePasswordDatabaseWhenHomeIsNotAbsolute)
{
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative"}) {
        if (value == nullptr) {
            unsetenv("HOME");
        } else {
            setenv("HOME", value, 1);
        }
        static StandInContext context;
        loadStandInContext(context);
        EXPECT_EQ(std::string(context.home), entry->pw_dir) << (value != nullptr ? value : "unset");
    }
}

// Names hold any byte from 0x7F up (DEL and U+0085 too), in whatever
// encoding the user chose.
TEST_F(StandIn, NonAsciiNamesAreOrdinaryNames)
{
    setenv("XDG_CONFIG_HOME", (h + "/.config").c_str(), 1);
    for (const std::string name : {"Jürgen", "Дмитрий", "田中", "J\xfcrgen \xff\x80\x7f\xc2\x85"}) {
        const std::string home = h + "/" + name;
        ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/Dätä").c_str(), 1);
        writeUserDirs("XDG_PICTURES_DIR=\"$HOME/" + name + "\"\n");
        EXPECT_EQ(ask(desktopDirectory, 1), home + "/Desktop");
        EXPECT_EQ(ask(myPictures, 1), home + "/" + name);
        EXPECT_EQ(ask(programs, 1), home + "/Dätä/applications");
    }
}

// Folders and homes reached through symlinks are the folders they lead to.
TEST_F(StandIn, SymlinksToFoldersAreFollowed)
{
    ASSERT_EQ(mkdir((h + "/elsewhere").c_str(), 0700), 0);
    ASSERT_EQ(symlink("elsewhere", (h + "/Desktop").c_str()), 0);
    ASSERT_EQ(symlink(".", (h + "/home-link").c_str()), 0);
    setenv("HOME", (h + "/home-link").c_str(), 1);
    EXPECT_EQ(ask(desktopDirectory, 0), h + "/home-link/Desktop");
    EXPECT_EQ(ask(personal, 1), h + "/home-link/Documents");
}

TEST_F(StandIn, UserDirsFileDecidesTheUserFolders)
{
    ASSERT_EQ(mkdir((h + "/my docs").c_str(), 0700), 0);
    writeUserDirs("# written by xdg-user-dirs-update\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
                  "  XDG_DOCUMENTS_DIR =\t\"" + h + "/my docs\"  # trailing text is ignored\n"
                  "XDG_PICTURES_DIR=\"$HOME\"\n"
                  "XDG_PUBLICSHARE_DIR=\"$HOME/a\"\n"
                  "XDG_PUBLICSHARE_DIR=\"$HOME/b\"\n"
                  "XDG_DESKTOP_DIR=\"$HOMEWORK/x\"\n"
                  "XDG_DESKTOP_DIR=\"relative\"\n");
    EXPECT_EQ(ask(desktopDirectory, 0), failedAt(h + "/Bureau"));
    EXPECT_EQ(ask(desktopDirectory, 1), h + "/Bureau");
    EXPECT_EQ(ask(personal, 0), h + "/my docs") << "blanks before the key and around '='";
    EXPECT_EQ(ask(myPictures, 0), h);
    EXPECT_EQ(ask(commonDocuments, 1), h + "/b");
}

// While the home named is missing, nothing is made, outside it either.
TEST_F(StandIn, MissingHomeIsNeverCreated)
{
    const std::string gone = h + "/gone";
    setenv("HOME", gone.c_str(), 1);
    setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
    for (auto [csidl, folder] : {std::pair{desktopDirectory, gone + "/Desktop"}, std::pair{appData, gone + "/.config"},
                                 std::pair{startMenu, gone + "/.config/menus"}, std::pair{localAppData, h + "/data"}}) {
        EXPECT_EQ(ask(csidl, 1), failedAt(folder));
    }
    EXPECT_NE(access(gone.c_str(), F_OK), 0);
    EXPECT_NE(access((h + "/data").c_str(), F_OK), 0);
}

TEST_F(StandIn, UserDirsFileThatIsNoRegularFileIsIgnored)
{
    // A FIFO with no writer would block a plain open for ever.
    mkdir((h + "/.config").c_str(), 0700);
    ASSERT_EQ(mkfifo((h + "/.config/user-dirs.dirs").c_str(), 0600), 0);
    EXPECT_EQ(ask(desktopDirectory, 1), h + "/Desktop");
    ASSERT_EQ(remove((h + "/.config/user-dirs.dirs").c_str()), 0);
    ASSERT_EQ(mkdir((h + "/.config/user-dirs.dirs").c_str(), 0700), 0);
    EXPECT_EQ(ask(personal, 1), h + "/Documents");
}

TEST_F(StandIn, PathsWithControlCharactersAreRefusedAndNeverCreated)
{
    for (const char* bad : {"\n", "\r", "\t", "\x01", "\x1f"}) {
        const std::string folder = h + "/cfg" + bad + "x";
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        EXPECT_EQ(ask(appData, 1), failed);
        EXPECT_EQ(ask(startMenu, 1), failed);
        EXPECT_NE(access(folder.c_str(), F_OK), 0) << "created a path with a control character";
    }
    // Its user-dirs.dirs is read all the same, wherever the path leads.
    const std::string tabbed = h + "/cfg\tx";
    ASSERT_EQ(mkdir(tabbed.c_str(), 0700), 0);
    writeFile(tabbed + "/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/from-tab\"\n");
    setenv("XDG_CONFIG_HOME", tabbed.c_str(), 1);
    EXPECT_EQ(ask(desktopDirectory, 1), h + "/from-tab");
    unsetenv("XDG_CONFIG_HOME");
    // A line feed ends a line of user-dirs.dirs; the others can stand in a value.
    for (const char* bad : {"\r", "\t", "\x01", "\x1f"}) {
        writeUserDirs(std::string("XDG_PICTURES_DIR=\"$HOME/pic") + bad + "x\"\n");
        EXPECT_EQ(ask(myPictures, 1), failed);
        EXPECT_NE(access((h + "/pic" + bad + "x").c_str(), F_OK), 0);
    }
}

TEST_F(StandIn, PathsAreKeptInCanonicalForm)
{
    for (const char* spelling : {"/", "//", "///"}) {
        setenv("HOME", spelling, 1);
        setenv("XDG_DATA_HOME", "//data//", 1);
        StandInContext context;
        loadStandInContext(context);
        EXPECT_STREQ(context.home, "/");
        EXPECT_STREQ(context.configHome, "/.config");
        EXPECT_STREQ(context.dataHome, "/data");
    }
    setenv("HOME", (h + "/./x/../").c_str(), 1);
    StandInContext context;
    loadStandInContext(context);
    EXPECT_EQ(std::string(context.home), h + "/./x/..") << "'.' and '..' are kept as written";
}

TEST_F(StandIn, UserDirsFileIsReadOnlyUpToItsBound)
{
    // A sparse file far larger than any disk could read in the test's time.
    writeUserDirs("XDG_DESKTOP_DIR=\"$HOME/first\"\n");
    const std::string file = h + "/.config/user-dirs.dirs";
    const std::string past = "\nXDG_DOCUMENTS_DIR=\"$HOME/past\"\n";
    const int fd = open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, past.data(), past.size(), off_t{1} << 36), static_cast<ssize_t>(past.size()));
    close(fd);
    EXPECT_EQ(ask(desktopDirectory, 1), h + "/first");
    EXPECT_EQ(ask(personal, 1), h + "/Documents");
}

TEST_F(StandIn, FileInTheWayFailsTheCreateQuery)
{
    writeFile(h + "/Desktop", "not a folder");
    writeFile(h + "/.local", "not a folder");
    EXPECT_EQ(ask(desktopDirectory, 1), failedAt(h + "/Desktop"));
    EXPECT_EQ(ask(programs, 1), failedAt(h + "/.local/share/applications"));
    EXPECT_EQ(readFile(h + "/Desktop"), "not a folder");
}

TEST_F(StandIn, PathsOf260CharactersFailAndAreNeverCut)
{
    // home + "/Desktop" is 259 characters in one home and 260 in the next
    for (std::size_t length : {259u, 260u}) {
        const std::string longHome = h + "/" + std::string(length - h.size() - 1 - 8, 'd');
        ASSERT_EQ(mkdir(longHome.c_str(), 0700), 0);
        setenv("HOME", longHome.c_str(), 1);
        EXPECT_EQ(ask(desktopDirectory, 1), length == 259 ? longHome + "/Desktop" : failed);
        EXPECT_EQ(access((longHome + "/Desktop").c_str(), F_OK) == 0, length == 259);
    }
}

TEST_F(StandIn, HomeTooLongForItsBaseDirectoriesFailsThem)
{
    const std::string longHome = h + "/" + std::string(255 - h.size() - 1, 'h');
    ASSERT_EQ(mkdir(longHome.c_str(), 0700), 0);
    setenv("HOME", longHome.c_str(), 1);
    for (auto [csidl, stray] : {std::pair{startMenu, "/menus"}, std::pair{programs, "/applications"}}) {
        const bool strayBefore = access(stray, F_OK) == 0;
        EXPECT_EQ(ask(csidl, 1), failed) << csidl;
        if (!strayBefore && access(stray, F_OK) == 0) {
            ADD_FAILURE() << "created " << stray;
            rmdir(stray);
        }
    }
}

// A folder's mode follows from what the folder is, whichever row makes it
// and in whatever order the rows come: private for the XDG base
// directories, the folders that lead to them and all inside them.
TEST_F(StandIn, AFolderHasOneModeWhicheverRowMakesIt)
{
    const struct {
        const char* configHome;  // below the home; null for the default
        const char* dataHome;
        const char* userDirs;
        std::vector<std::pair<const char*, mode_t>> modes;  // folders below the home
    } cases[] = {
        // user dirs that are, lead to or lie inside XDG base directories
        {"/Desktop", nullptr, "", {{"/Desktop", 0700}}},
        {nullptr, nullptr, "XDG_DESKTOP_DIR=\"$HOME/.local/share\"\n", {{"/.local", 0700}, {"/.local/share", 0700}}},
        {nullptr, nullptr, "XDG_DESKTOP_DIR=\"$HOME/.local\"\n", {{"/.local", 0700}}},
        {nullptr, nullptr,
         "XDG_DESKTOP_DIR=\"$HOME/.local/share/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/.config/deeper/Documents\"\n"
         "XDG_PICTURES_DIR=\"$HOME/pics/Pictures\"\n",
         {{"/.local/share/Desktop", 0700}, {"/.config/deeper", 0700}, {"/.config/deeper/Documents", 0700},
          {"/pics", 0755}, {"/pics/Pictures", 0755}}},
        // folders beside a base directory, whose names only begin alike
        {nullptr, "/data",
         "XDG_DOCUMENTS_DIR=\"$HOME/.config-backup/Documents\"\nXDG_PICTURES_DIR=\"$HOME/.loc/Pictures\"\n"
         "XDG_PUBLICSHARE_DIR=\"$HOME/data2/Public\"\n",
         {{"/.config-backup", 0755}, {"/.loc", 0755}, {"/data2", 0755}, {"/data2/Public", 0755}}},
    };
    std::vector<int> codes;
    for (const FolderEntry* row = folderTable; row->csidl != endOfTable; ++row) {
        codes.push_back(row->csidl);
    }
    int number = 0;
    for (const auto& c : cases) {
        for (bool reverse : {false, true}) {
            const std::string home = h + "/" + std::to_string(++number);
            ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
            setenv("HOME", home.c_str(), 1);
            const std::string config = home + (c.configHome != nullptr ? c.configHome : "/.config");
            setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            setenv("XDG_DATA_HOME", (home + (c.dataHome != nullptr ? c.dataHome : "/.local/share")).c_str(), 1);
            if (c.userDirs[0] != '\0') {
                ASSERT_EQ(mkdir(config.c_str(), 0700), 0);
                writeFile(config + "/user-dirs.dirs", c.userDirs);
            }
            // the walk, in one process, rows in table order or the reverse
            const mode_t mask = umask(022);
            static StandInContext context;
            loadStandInContext(context);
            for (std::size_t i = 0; i < codes.size(); ++i) {
                const int code = codes[reverse ? codes.size() - 1 - i : i];
                char path[MAX_PATH];
                if (!queryStandIn(context, path, code, 0)) {
                    queryStandIn(context, path, code, 1);
                }
            }
            umask(mask);
            for (auto [folder, mode] : c.modes) {
                EXPECT_EQ(modeOf(home + folder), mode) << home + folder << (reverse ? ", rows reversed" : "");
            }
        }
    }
}

// The bounds: MAX_PATH for each path the report prints, counted after runs
// of '/' are folded; the system's own for the bases and user-dirs.dirs.
TEST_F(StandIn, OnlyPrintedPathsAreBoundByMaxPath)
{
    // A user-dirs.dirs whose own path is over 260 characters is read.
    const std::string longConfig = h + "/" + std::string(255 - h.size() - 1, 'c');
    ASSERT_EQ(mkdir(longConfig.c_str(), 0700), 0);
    writeFile(longConfig + "/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    setenv("XDG_CONFIG_HOME", longConfig.c_str(), 1);
    EXPECT_EQ(ask(desktopDirectory, 1), h + "/Bureau");
    EXPECT_EQ(ask(appData, 0), longConfig);
    EXPECT_EQ(ask(startMenu, 1), failed) << "its menus folder is 261 characters: too long to print";
    unsetenv("XDG_CONFIG_HOME");

    // So is one below a home of 243 characters, with the default config home.
    const std::string longHome = h + "/" + std::string(243 - h.size() - 1, 'h');
    ASSERT_EQ(mkdir(longHome.c_str(), 0700), 0);
    setenv("HOME", longHome.c_str(), 1);
    ASSERT_EQ(mkdir((longHome + "/.config").c_str(), 0700), 0);
    writeFile(longHome + "/.config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/P\"\n");
    EXPECT_EQ(ask(myPictures, 1), longHome + "/P");

    // A home too long for any path it holds leaves absolute XDG variables,
    // and absolute user dirs, as they are.
    const std::string tooLongHome = h + "/" + std::string(200, 'x') + "/" + std::string(100, 'x');
    ASSERT_EQ(mkdir(tooLongHome.substr(0, h.size() + 201).c_str(), 0700), 0);
    ASSERT_EQ(mkdir(tooLongHome.c_str(), 0700), 0);
    setenv("HOME", tooLongHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (h + "/cfg").c_str(), 1);
    setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
    ASSERT_EQ(mkdir((h + "/cfg").c_str(), 0700), 0);
    writeFile(h + "/cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + h + "/docs\"\n");
    EXPECT_EQ(ask(appData, 1), h + "/cfg");
    EXPECT_EQ(ask(startMenu, 1), h + "/cfg/menus");
    EXPECT_EQ(ask(localAppData, 1), h + "/data");
    EXPECT_EQ(ask(personal, 1), h + "/docs");
    EXPECT_EQ(ask(desktopDirectory, 1), failed);

    // Runs of '/' count once, wherever they are written.
    setenv("HOME", h.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    const std::string slashes(300, '/');
    writeUserDirs("XDG_DESKTOP_DIR=\"$HOME" + slashes + "Desk" + slashes + "\"\n"
                  "XDG_PUBLICSHARE_DIR=\"" + slashes + h.substr(1) + slashes + "Pub\"\n");
    EXPECT_EQ(ask(desktopDirectory, 1), h + "/Desk");
    EXPECT_EQ(ask(commonDocuments, 1), h + "/Pub");
}

TEST(UserDirs, ReadsQuotingEscapesAndOnlyWellFormedLines)
{
    using namespace std::string_literals;
    std::string text = "XDG_DESKTOP_DIR=\"$HOME/a \\\"b\\\" \\$c \\`d\\` \\\\e\"\n"
                       "XDG_DOCUMENTS_DIR=\"/open quote\n"
                       "XDG_PICTURES_DIR=\"\\$HOME/escaped\"\n"
                       "XDG_PICTURES_DIR=\"/nul\0inside\"\n"
                       "XDG_PUBLICSHARE_DIR=\"$HOME\" XDG_DESKTOP_DIR=\"/on the same line\""s;
    UserDirs userDirs;
    userDirs.parse(text.data(), text.size());
    const UserDirValue& d = userDirs.value(UserDir::Desktop);
    EXPECT_EQ(d.kind, UserDirValue::HomeRelative);
    EXPECT_STREQ(d.text, "/a \"b\" $c `d` \\e");
    EXPECT_EQ(userDirs.value(UserDir::Documents).kind, UserDirValue::Unset);
    EXPECT_EQ(userDirs.value(UserDir::Pictures).kind, UserDirValue::Unset);
    EXPECT_EQ(userDirs.value(UserDir::PublicShare).kind, UserDirValue::HomeRelative);
    EXPECT_STREQ(userDirs.value(UserDir::PublicShare).text, "");
}

// For files in the format xdg-user-dirs writes, the folder is the one that
// the xdg-user-dir command prints (it sources the file as a shell script).
TEST_F(StandIn, AgreesWithXdgUserDir)
{
    if (std::system("command -v xdg-user-dir >/dev/null") != 0) {
        SKIP_UNLESS_CI("no xdg-user-dir: scripts/install-deps installs it");
    }
    const std::string files[] = {
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/My Documents\"\n"
        "XDG_PICTURES_DIR=\"" + h + "/absolute pictures\"\nXDG_PUBLICSHARE_DIR=\"$HOME/\"\n",
        "XDG_DESKTOP_DIR=\"$HOME/a\"\nXDG_DESKTOP_DIR=\"$HOME/b\"\n# XDG_DOCUMENTS_DIR=\"/no\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/say \\\"cheese\\\"\"\nXDG_PICTURES_DIR=\"$HOME/\\$HOME \\`id\\`\"\n"
        "XDG_PUBLICSHARE_DIR=\"$HOME\"\n",
        "XDG_DOCUMENTS_DIR=\"$HOME/only this one\"\n",
    };
    const struct {
        const char* name;
        int csidl;
        const char* byDefault;
    } names[] = {{"DESKTOP", desktopDirectory, "/Desktop"},
                 {"DOCUMENTS", personal, "/Documents"},
                 {"PICTURES", myPictures, "/Pictures"},
                 {"PUBLICSHARE", commonDocuments, "/Public"}};
    for (const std::string& file : files) {
        writeUserDirs(file);
        for (auto [name, csidl, byDefault] : names) {
            std::FILE* pipe = popen((std::string("xdg-user-dir ") + name).c_str(), "r");
            char line[1024] = {};
            ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
            pclose(pipe);
            std::string expected(line, std::strcspn(line, "\n"));
            if (expected.size() > 1 && expected.back() == '/') {
                expected.pop_back();
            }
            // For a key the file does not set, xdg-user-dir prints the home
            // (~/Desktop for DESKTOP), the stand-in its default folder.
            if (file.find(std::string("XDG_") + name + "_DIR=") == std::string::npos) {
                EXPECT_EQ(expected, csidl == desktopDirectory ? h + byDefault : h) << name;
                expected = h + byDefault;
            }
            ASSERT_EQ(mkdir(expected.c_str(), 0700) == 0 || errno == EEXIST, true) << expected;
            EXPECT_EQ(ask(csidl, 0), expected) << file;
        }
    }
}

#include "stand_in_shell.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <optional>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "folder_codes.h"
#include "make_directories.h"

char* joinPath(char* out, std::size_t size, std::initializer_list<const char*> pieces) noexcept
{
    std::size_t length = 0;
    bool slash = false;  // a '/' that is written only if something follows it
    for (const char* piece : pieces) {
        for (; *piece != '\0'; ++piece) {
            if (*piece == '/') {
                slash = true;
                continue;
            }
            if (length + (slash ? 2 : 1) >= size) {
                out[0] = '\0';
                return nullptr;
            }
            if (slash) {
                out[length++] = '/';
                slash = false;
            }
            out[length++] = *piece;
        }
    }
    if (slash && length == 0) {
        out[length++] = '/';
    }
    out[length] = '\0';
    return out + length;
}

namespace {

// Where a folder code leads on a POSIX desktop: the native folder holding the
// same kind of content, after the XDG base-directory and user-dirs rules.
// Each folder is a path below one of four bases; the user dirs are the ones
// user-dirs.dirs may name instead.
enum class Base : unsigned char { Root, Home, ConfigHome, DataHome };

struct Mapping {
    int csidl;
    Base base;
    const char* below;               // the path below the base, no leading '/'; "" for the base itself
    std::optional<UserDir> userDir;  // the entry of user-dirs.dirs that, when set, replaces the path
};

const Mapping mappings[] = {
    {csidl::desktopDirectory, Base::Home, "Desktop", UserDir::Desktop},
    {csidl::startMenu, Base::ConfigHome, "menus", {}},
    {csidl::programs, Base::DataHome, "applications", {}},
    {csidl::programFiles, Base::Root, "opt", {}},
    {csidl::personal, Base::Home, "Documents", UserDir::Documents},
    {csidl::myPictures, Base::Home, "Pictures", UserDir::Pictures},
    {csidl::appData, Base::ConfigHome, "", {}},
    {csidl::commonAppData, Base::Root, "usr/share", {}},
    {csidl::commonDocuments, Base::Home, "Public", UserDir::PublicShare},
    {csidl::localAppData, Base::DataHome, "", {}},
};

// An XDG base directory: the variable when it holds an absolute path,
// whatever the home is, else the default below the home.
void loadBaseDirectory(char (&out)[systemPathMax], const char* variable, const char* belowHome, const char* home)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        joinPath(out, sizeof out, {value});
    } else if (home[0] != '\0') {
        joinPath(out, sizeof out, {home, belowHome});
    } else {
        out[0] = '\0';
    }
}

void loadHome(char (&home)[systemPathMax])
{
    const char* value = std::getenv("HOME");
    if (value == nullptr || value[0] != '/') {
        const passwd* entry = getpwuid(getuid());
        value = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (value == nullptr || value[0] != '/' || !joinPath(home, sizeof home, {value})) {
        home[0] = '\0';
    }
}

// Reads at most userDirsReadLimit bytes of the file, which may be of any
// size, into one buffer.
void readUserDirs(UserDirs& userDirs, const char* configHome)
{
    static char fileName[systemPathMax];
    if (configHome[0] == '\0' || !joinPath(fileName, sizeof fileName, {configHome, "/user-dirs.dirs"})) {
        return;
    }
    // O_NONBLOCK so that a FIFO in the file's place cannot hang the report.
    const int fd = open(fileName, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    static char text[userDirsReadLimit + 1];  // and room for the reader's last NUL
    std::size_t size = 0;
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        while (size < userDirsReadLimit) {
            const ssize_t count = read(fd, text + size, userDirsReadLimit - size);
            if (count > 0) {
                size += static_cast<std::size_t>(count);
            } else if (count == 0 || errno != EINTR) {
                break;
            }
        }
    }
    close(fd);
    userDirs.parse(text, size);
}

// True when no byte of [path, end) is from 1 to 31: Windows allows them in
// no name, and they would break the report's one line per folder.  (The
// lowest byte, in one pass that the compiler vectorises.)
bool isPrintable(const char* path, const char* end)
{
    unsigned char lowest = 0xff;
    for (; path < end; ++path) {
        lowest = std::min(lowest, static_cast<unsigned char>(*path));
    }
    return lowest >= 0x20;
}

// Writes the folder `mapping` leads to into `out` (MAX_PATH characters), or
// empties it when there is none the report can print.
void resolve(const StandInContext& context, const Mapping& mapping, char* out)
{
    const char* base = "/";
    const char* below = mapping.below;
    switch (mapping.base) {
    case Base::Root: break;
    case Base::Home: base = context.home; break;
    case Base::ConfigHome: base = context.configHome; break;
    case Base::DataHome: base = context.dataHome; break;
    }
    if (mapping.userDir) {
        const UserDirValue& value = context.userDirs.value(*mapping.userDir);
        if (value.kind == UserDirValue::Absolute) {
            base = "/";
        }
        if (value.kind != UserDirValue::Unset) {
            below = value.text;
        }
    }
    const char* end = base[0] != '\0' ? joinPath(out, MAX_PATH, {base, "/", below}) : nullptr;
    if (end == nullptr || !isPrintable(out, end)) {
        out[0] = '\0';
    }
}

}  // namespace

void loadStandInContext(StandInContext& context)
{
    loadHome(context.home);
    loadBaseDirectory(context.configHome, "XDG_CONFIG_HOME", "/.config", context.home);
    loadBaseDirectory(context.dataHome, "XDG_DATA_HOME", "/.local/share", context.home);
    context.userDirs = UserDirs{};
    readUserDirs(context.userDirs, context.configHome);
}

BOOL queryStandIn(const StandInContext& context, LPSTR path, int csidl, BOOL create)
{
    if (path == nullptr) {
        return 0;
    }
    const auto* row = std::find_if(std::begin(mappings), std::end(mappings),
                                   [csidl](const Mapping& mapping) { return mapping.csidl == csidl; });
    path[0] = '\0';
    if (row != std::end(mappings)) {
        resolve(context, *row, path);
    }
    // Failed or not, `path` names the folder, where the row has one.
    if (path[0] == '\0') {
        return 0;
    }
    return isDirectory(path) || (create && makeDirectories(context, path)) ? 1 : 0;
}

namespace {

// Read once: the report asks up to twice for each of fourteen folders.
StandInContext processContext;
bool processContextLoaded = false;

}  // namespace

extern "C" BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create)
{
    if (!processContextLoaded) {
        loadStandInContext(processContext);
        processContextLoaded = true;
    }
    return queryStandIn(processContext, path, csidl, create);
}

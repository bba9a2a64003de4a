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
#include "printable.h"

namespace {

// Writes the pieces one after the other into `out`, in canonical form: each
// run of '/' folded into one, no trailing '/' but in "/" itself; ".", ".."
// and symlinks stay as written.  The end of what it wrote, its NUL; null,
// with `out` emptied, when the whole would not fit in `size` bytes.
// (noexcept, so that callers' lists need no code of the C++ unwinder's.)
char* joinPath(char* out, std::size_t size, std::initializer_list<const char*> pieces) noexcept
{
    std::size_t length = 0;
    for (const char* piece : pieces) {
        for (char c; (c = *piece) != '\0'; ++piece) {
            if (c == '/' && length > 0 && out[length - 1] == '/') {
                continue;
            }
            if (length >= size) {
                out[0] = '\0';
                return nullptr;
            }
            out[length++] = c;
        }
    }
    if (length > 1 && out[length - 1] == '/') {
        --length;  // a trailing '/', for which `out` had room
    }
    if (length >= size) {
        out[0] = '\0';
        return nullptr;
    }
    out[length] = '\0';
    return out + length;
}

// Where a folder code leads on a POSIX desktop: the native folder holding the
// same kind of content, after the XDG base-directory and user-dirs rules.
// Each folder is a path below one of the context's bases, or the root's own;
// the user dirs are the ones user-dirs.dirs may name instead.
struct Mapping {
    int csidl;
    char (StandInContext::*base)[systemPathMax];  // null for the root
    const char* below;                            // the path below the base: "/..." or "" for the base itself
    std::optional<UserDir> userDir;               // the entry of user-dirs.dirs that, when set, replaces the path
};

// The folders on the root are the system's: they are never made.
const Mapping mappings[] = {
    {csidl::desktopDirectory, &StandInContext::home, "/Desktop", UserDir::Desktop},
    {csidl::startMenu, &StandInContext::configHome, "/menus", {}},
    {csidl::programs, &StandInContext::dataHome, "/applications", {}},
    {csidl::programFiles, nullptr, "/opt", {}},
    {csidl::personal, &StandInContext::home, "/Documents", UserDir::Documents},
    {csidl::myPictures, &StandInContext::home, "/Pictures", UserDir::Pictures},
    {csidl::appData, &StandInContext::configHome, "", {}},
    {csidl::commonAppData, nullptr, "/usr/share", {}},
    {csidl::commonDocuments, &StandInContext::home, "/Public", UserDir::PublicShare},
    {csidl::localAppData, &StandInContext::dataHome, "", {}},
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

// The home: HOME when it is an absolute path, else the user's password entry.
void loadHome(StandInContext& context)
{
    const char* value = std::getenv("HOME");
    if (value == nullptr || value[0] != '/') {
        const passwd* entry = getpwuid(getuid());
        value = entry != nullptr ? entry->pw_dir : nullptr;
    }
    const bool named = value != nullptr && value[0] == '/';
    if (!named || !joinPath(context.home, sizeof context.home, {value})) {
        context.home[0] = '\0';  // too long for the system: named all the same, and missing
    }
    context.homeState = named ? StandInContext::Home::Named : StandInContext::Home::None;
    context.resolvedHome[0] = '\0';
}

// Reads at most userDirsReadLimit bytes of the file, which may be of any
// size, into one buffer.  False where the file is there but cannot be read;
// one that is missing, or no regular file, sets nothing.
bool readUserDirs(UserDirs& userDirs, const char* configHome)
{
    static char fileName[systemPathMax];
    static char text[userDirsReadLimit + 1];  // and room for the reader's last NUL
    if (configHome[0] == '\0' || !joinPath(fileName, sizeof fileName, {configHome, "/user-dirs.dirs"})) {
        return true;
    }
    // O_NONBLOCK so that a FIFO in the file's place cannot hang the report.
    const int fd = open(fileName, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat status;
    if (fd < 0) {
        return stat(fileName, &status) != 0;  // false where it is there all the same
    }
    std::size_t size = 0;
    bool readable = true;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        while (size < userDirsReadLimit) {
            const ssize_t count = read(fd, text + size, userDirsReadLimit - size);
            if (count > 0) {
                size += static_cast<std::size_t>(count);
            } else if (count == 0 || errno != EINTR) {
                readable = count == 0;
                break;
            }
        }
    }
    close(fd);
    userDirs.parse(text, size);
    return readable;
}

// Writes the folder `mapping` leads to into `out` (MAX_PATH characters), or
// empties it when there is none the report can print.
void resolve(const StandInContext& context, const Mapping& mapping, char* out)
{
    const char* base = mapping.base != nullptr ? context.*mapping.base : "/";
    const char* below = mapping.below;
    if (mapping.userDir) {
        const UserDirValue& value = context.userDirs.value(*mapping.userDir);
        base = !context.userDirsKnown ? "" : value.kind == UserDirValue::Absolute ? "/" : base;
        below = value.kind != UserDirValue::Unset ? value.text : below;
    }
    const char* end = base[0] != '\0' ? joinPath(out, MAX_PATH, {base, below}) : nullptr;
    if (end == nullptr || !isPrintable(out, end)) {
        out[0] = '\0';
    }
}

// Makes `path`, with its parents, unless the home is missing.  Never made:
// the home, the folders on the root, nor any folder above them.
bool makeFolder(StandInContext& context, const char* path)
{
    using Home = StandInContext::Home;
    if (context.homeState == Home::Named) {
        const bool found = realpath(context.home, context.resolvedHome) != nullptr && isDirectory(context.resolvedHome);
        context.homeState = found ? Home::Resolved : Home::Missing;
    }
    if (context.homeState == Home::Missing) {
        return false;
    }
    const char* privateFolders[] = {context.configHome, context.dataHome, nullptr};
    const char* neverMade[std::size(mappings) + 2] = {context.resolvedHome};
    std::size_t count = 1;
    for (const Mapping& mapping : mappings) {
        if (mapping.base == nullptr) {
            neverMade[count++] = mapping.below;
        }
    }
    return makeDirectories(path, privateFolders, neverMade);
}

// Read once: the report asks up to twice for each of fourteen folders.
StandInContext processContext;
bool processContextLoaded = false;

}  // namespace

void loadStandInContext(StandInContext& context)
{
    loadHome(context);
    loadBaseDirectory(context.configHome, "XDG_CONFIG_HOME", "/.config", context.home);
    loadBaseDirectory(context.dataHome, "XDG_DATA_HOME", "/.local/share", context.home);
    context.userDirs = UserDirs{};
    context.userDirsKnown = readUserDirs(context.userDirs, context.configHome);
}

BOOL queryStandIn(StandInContext& context, LPSTR path, int csidl, BOOL create)
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
    return isDirectory(path) || (create && makeFolder(context, path)) ? 1 : 0;
}

extern "C" BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create)
{
    if (!processContextLoaded) {
        loadStandInContext(processContext);
        processContextLoaded = true;
    }
    return queryStandIn(processContext, path, csidl, create);
}

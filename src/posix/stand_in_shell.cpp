#include "stand_in_shell.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "folder_codes.h"

namespace {

// Where a folder code leads on a POSIX desktop: the native folder holding the
// same kind of content, after the XDG base-directory and user-dirs rules.
enum class Base : unsigned char { Fixed, ConfigHome, DataHome, UserDirectory };

struct Mapping {
    int csidl;
    Base base;
    const char* text;  // the fixed path, the part below the base, or the default user dir
    UserDir userDir;
};

const Mapping mappings[] = {
    {csidl::desktopDirectory, Base::UserDirectory, "Desktop", UserDir::Desktop},
    {csidl::startMenu, Base::ConfigHome, "/menus", {}},
    {csidl::programs, Base::DataHome, "/applications", {}},
    {csidl::programFiles, Base::Fixed, "/opt", {}},
    {csidl::personal, Base::UserDirectory, "Documents", UserDir::Documents},
    {csidl::myPictures, Base::UserDirectory, "Pictures", UserDir::Pictures},
    {csidl::appData, Base::ConfigHome, "", {}},
    {csidl::commonAppData, Base::Fixed, "/usr/share", {}},
    {csidl::commonDocuments, Base::UserDirectory, "Public", UserDir::PublicShare},
    {csidl::localAppData, Base::DataHome, "", {}},
};

// Writes the pieces one after the other into `out`, in canonical form: each
// run of '/' folded into one, no trailing '/' but in "/" itself (nothing is
// resolved: ".", ".." and symlinks stay as written).  False, with `out`
// emptied, when the whole would not fit a path: a path is never cut short.
bool joinPath(char (&out)[MAX_PATH], const char* first, const char* second = "", const char* third = "")
{
    std::size_t length = 0;
    bool slash = false;  // a '/' that is written only if something follows it
    auto put = [&](char c) {
        if (length == MAX_PATH - 1) {
            return false;
        }
        out[length++] = c;
        return true;
    };
    for (const char* piece : {first, second, third}) {
        for (; *piece != '\0'; ++piece) {
            if (*piece == '/') {
                slash = true;
            } else if ((slash && !put('/')) || !put(*piece)) {
                out[0] = '\0';
                return false;
            } else {
                slash = false;
            }
        }
    }
    if (slash && length == 0) {
        out[length++] = '/';
    }
    out[length] = '\0';
    return true;
}

// An XDG base directory: the variable when it holds an absolute path, else
// the default below home.
void loadBaseDirectory(char (&out)[MAX_PATH], const char* variable, const char* belowHome, const char* home)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        joinPath(out, value);
    } else if (home[0] != '\0') {
        joinPath(out, home, belowHome);
    } else {
        out[0] = '\0';
    }
}

void loadHome(char (&home)[MAX_PATH])
{
    const char* value = std::getenv("HOME");
    if (value == nullptr || value[0] != '/') {
        const passwd* entry = getpwuid(getuid());
        value = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (value == nullptr || value[0] != '/' || !joinPath(home, value)) {
        home[0] = '\0';
    }
}

// Reads at most userDirsReadLimit bytes of the file, which may be of any
// size, into one buffer.
void readUserDirs(UserDirs& userDirs, const char* configHome)
{
    char fileName[MAX_PATH];
    if (configHome[0] == '\0' || !joinPath(fileName, configHome, "/user-dirs.dirs")) {
        return;
    }
    // O_NONBLOCK so that a FIFO in the file's place cannot hang the report.
    const int fd = open(fileName, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    static char text[userDirsReadLimit];
    std::size_t size = 0;
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        while (size < sizeof text) {
            const ssize_t count = read(fd, text + size, sizeof text - size);
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

// Windows allows no control character in a path, and a line feed in one
// would break the report's one line per folder.
bool hasControlCharacter(const char* path)
{
    for (; *path != '\0'; ++path) {
        if (static_cast<unsigned char>(*path) < 0x20) {
            return true;
        }
    }
    return false;
}

bool isDirectory(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// True when the first `length` characters of `path` name the home or a
// folder above it, as spelled.
bool isHomeOrAbove(const char* path, std::size_t length, const char* home)
{
    return home[0] != '\0' && std::strncmp(home, path, length) == 0 &&
           (home[length] == '\0' || home[length] == '/' || length == 1);
}

// How many of the home's leading parts exist as the system resolves them,
// through "..", symlinks and any other spelling.  A folder whose creation
// raises it was the home, or a folder above it, under another name.
std::size_t homeReach(const char* home)
{
    char prefix[MAX_PATH];
    std::size_t reach = 0;
    for (std::size_t end = 1;; ++end) {
        if (home[end] == '/' || home[end] == '\0') {
            std::memcpy(prefix, home, end);
            prefix[end] = '\0';
            struct stat status;
            reach += stat(prefix, &status) == 0 ? 1 : 0;
        }
        if (home[end] == '\0') {
            return reach;
        }
    }
}

// Creates `path` and its missing parents as `mkdir -p` does: the folder
// gets `mode` less the umask, and each parent that too with the owner's
// write and search permission added, so that a restrictive umask cannot
// block what lies below it.  The home and the folders above it are never
// created.  When the folder cannot be made, the folders made on the way are
// removed again, deepest first; rmdir leaves any that is no longer empty.
// Someone else creating a part meanwhile is fine, and is never undone.
bool makeDirectories(const char* path, mode_t mode, const char* home)
{
    const mode_t mask = umask(0);
    const mode_t folderMode = mode & ~mask;
    const mode_t parentMode = folderMode | S_IWUSR | S_IXUSR;
    const bool homeMissing = home[0] != '\0' && !isDirectory(home);
    const std::size_t reach = homeMissing ? homeReach(home) : 0;

    const std::size_t length = std::strlen(path);
    char partial[MAX_PATH];
    std::memcpy(partial, path, length + 1);
    std::size_t made[MAX_PATH];  // where each folder this call made ends in `path`
    std::size_t madeCount = 0;
    bool ok = true;
    for (std::size_t end = 1; ok && end <= length; ++end) {
        if (end < length && path[end] != '/') {
            continue;
        }
        partial[end] = '\0';
        if (isHomeOrAbove(partial, end, home)) {
            ok = isDirectory(partial);
        } else if (mkdir(partial, end == length ? folderMode : parentMode) == 0) {
            made[madeCount++] = end;
            ok = !homeMissing || homeReach(home) == reach;
        } else {
            ok = errno == EEXIST;
        }
        partial[end] = path[end];
    }
    ok = ok && isDirectory(path);
    while (!ok && madeCount > 0) {
        partial[made[--madeCount]] = '\0';
        rmdir(partial);
    }
    umask(mask);
    return ok;
}

// The folder `mapping` leads to, or false when there is none or it is too long.
bool resolve(const StandInContext& context, const Mapping& mapping, char (&out)[MAX_PATH])
{
    if (mapping.base == Base::Fixed) {
        return joinPath(out, mapping.text);
    }
    if (context.home[0] == '\0') {
        return false;  // every per-user folder needs a home
    }
    if (mapping.base != Base::UserDirectory) {
        const char* base = mapping.base == Base::ConfigHome ? context.configHome : context.dataHome;
        return base[0] != '\0' && joinPath(out, base, mapping.text);  // empty: too long a home
    }
    const UserDirValue& value = context.userDirs.value(mapping.userDir);
    if (value.tooLong) {
        return false;
    }
    if (value.kind == UserDirValue::Absolute) {
        return joinPath(out, value.text);
    }
    return joinPath(out, context.home, "/", value.kind == UserDirValue::Unset ? mapping.text : value.text);
}

}  // namespace

void loadStandInContext(StandInContext& context)
{
    loadHome(context.home);
    loadBaseDirectory(context.configHome, "XDG_CONFIG_HOME", "/.config", context.home);
    loadBaseDirectory(context.dataHome, "XDG_DATA_HOME", "/.local/share", context.home);
    context.userDirs = UserDirs{};
    if (context.home[0] != '\0') {
        readUserDirs(context.userDirs, context.configHome);
    }
}

BOOL queryStandIn(const StandInContext& context, LPSTR path, int csidl, BOOL create)
{
    if (path == nullptr) {
        return 0;
    }
    path[0] = '\0';
    const Mapping* mapping = nullptr;
    for (const Mapping& candidate : mappings) {
        if (candidate.csidl == csidl) {
            mapping = &candidate;
        }
    }
    char folder[MAX_PATH];
    if (mapping == nullptr || !resolve(context, *mapping, folder) || hasControlCharacter(folder)) {
        return 0;
    }
    bool present = isDirectory(folder);
    if (!present && create && mapping->base != Base::Fixed) {
        // XDG base directories are private to the user; user dirs follow the umask.
        const mode_t mode = mapping->base == Base::UserDirectory ? 0777 : 0700;
        present = makeDirectories(folder, mode, context.home);
    }
    if (!present) {
        return 0;
    }
    std::memcpy(path, folder, std::strlen(folder) + 1);
    return 1;
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

#include "stand_in_shell.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <optional>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "folder_codes.h"

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

// Writes the pieces one after the other into `out`, in canonical form: each
// run of '/' folded into one, no trailing '/' but in "/" itself (nothing is
// resolved: ".", ".." and symlinks stay as written).  False, with `out`
// emptied, when the whole would not fit, for a path is never cut short, or,
// for a path the report prints, when it holds a byte from 1 to 31: Windows
// allows them in no name, and they would break the report's one line per
// folder.
bool joinPath(char* out, std::size_t size, bool printed, const char* first, const char* second = "",
              const char* third = "")
{
    const unsigned char lowest = printed ? 0x20 : 0x01;
    std::size_t length = 0;
    bool slash = false;  // a '/' that is written only if something follows it
    for (const char* piece : {first, second, third}) {
        for (; *piece != '\0'; ++piece) {
            if (*piece == '/') {
                slash = true;
                continue;
            }
            if (length + (slash ? 2 : 1) >= size || static_cast<unsigned char>(*piece) < lowest) {
                out[0] = '\0';
                return false;
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
    return true;
}

// A path the system takes, which the report does not print.
template <std::size_t size>
bool joinPath(char (&out)[size], const char* first, const char* second = "")
{
    return joinPath(out, size, false, first, second);
}

// An XDG base directory: the variable when it holds an absolute path,
// whatever the home is, else the default below the home.
void loadBaseDirectory(char (&out)[systemPathMax], const char* variable, const char* belowHome, const char* home)
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

void loadHome(char (&home)[systemPathMax])
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
    static char fileName[systemPathMax];
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
        if (value.tooLong) {
            base = "";
        } else if (value.kind == UserDirValue::Absolute) {
            base = "/";
            below = value.text;
        } else if (value.kind == UserDirValue::HomeRelative) {
            below = value.text;
        }
    }
    if (base[0] == '\0' || !joinPath(out, MAX_PATH, true, base, "/", below)) {
        out[0] = '\0';
    }
}

bool isDirectory(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool isSameFolder(const char* a, const char* b)
{
    struct stat first;
    struct stat second;
    return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// True when the canonical absolute path `a` is `b` or a folder above it.
bool leadsTo(const char* a, const char* b)
{
    if (a[0] != '/' || b[0] != '/') {
        return false;
    }
    if (a[1] == '\0') {
        return true;  // "/" is above every other path
    }
    const std::size_t length = std::strlen(a);
    return std::strncmp(a, b, length) == 0 && (b[length] == '\0' || b[length] == '/');
}

// The XDG base directories, every folder inside them and the folders that
// lead to them are private to the user, as the XDG rules ask; every other
// folder is open to all, as the umask allows.  Paths are compared as written.
mode_t modeFor(const StandInContext& context, const char* folder)
{
    for (const char* base : {context.configHome, context.dataHome}) {
        if (leadsTo(folder, base) || leadsTo(base, folder)) {
            return 0700;
        }
    }
    return 0777;
}

// True when `folder`, whose last name starts at `name`, would be /opt or
// /usr/share, however its path gets there: that name, in the folder that is
// "/" or "/usr".  Its parent exists by now, so the system says which it is.
bool isMachineWide(char* folder, std::size_t name)
{
    const char* parent = std::strcmp(folder + name, "opt") == 0     ? "/"
                         : std::strcmp(folder + name, "share") == 0 ? "/usr"
                                                                     : nullptr;
    if (parent == nullptr) {
        return false;
    }
    folder[name - 1] = '\0';
    const bool machineWide = isSameFolder(name == 1 ? "/" : folder, parent);
    folder[name - 1] = '/';
    return machineWide;
}

// How many of the home's leading parts exist as the system resolves them,
// through "..", symlinks and any other spelling.  A folder whose creation
// raises it was the home, or a folder above it, under another name.
std::size_t homeReach(const char* home)
{
    static char prefix[systemPathMax];
    std::size_t reach = 0;
    for (std::size_t end = 1;; ++end) {
        if (home[end] == '/' || home[end] == '\0') {
            std::memcpy(prefix, home, end);
            prefix[end] = '\0';
            reach += isDirectory(prefix) ? 1 : 0;
        }
        if (home[end] == '\0') {
            return reach;
        }
    }
}

// A folder makeDirectories made: where its name ends in the path, and the
// folder as the system knows it, whatever its name comes to mean later.
struct Made {
    std::size_t end;
    dev_t device;
    ino_t inode;
};
Made made[MAX_PATH / 2 + 1];
char partial[MAX_PATH];

// Creates `path` and its missing parents as `mkdir -p` does: each folder with
// the mode of what it is less the umask, a parent with the owner's write and
// search permission added, which it keeps.  Never made: /opt, /usr/share, and
// the missing home or a folder above it, however spelled (a mkdir that makes
// more of the home exist fails the create).  When the folder cannot be made,
// the folders made on the way are removed again, deepest first, each only
// while it is still the folder made here, and empty.
bool makeDirectories(const StandInContext& context, const char* path)
{
    const bool homeMissing = context.home[0] != '\0' && !isDirectory(context.home);
    const std::size_t reach = homeMissing ? homeReach(context.home) : 0;
    const mode_t mask = umask(0);
    const std::size_t length = std::strlen(path);
    std::memcpy(partial, path, length + 1);
    std::size_t madeCount = 0;
    bool ok = true;
    for (std::size_t end = 1, name = 1; ok && end <= length; ++end) {
        if (path[end] != '/' && path[end] != '\0') {
            continue;
        }
        partial[end] = '\0';
        const mode_t mode = (modeFor(context, partial) & ~mask) | (end < length ? S_IWUSR | S_IXUSR : 0);
        if (isMachineWide(partial, name) || mkdir(partial, mode) != 0) {
            ok = isDirectory(partial);
        } else {
            struct stat status;
            if (lstat(partial, &status) == 0) {
                made[madeCount++] = {end, status.st_dev, status.st_ino};
            }
            ok = !homeMissing || homeReach(context.home) == reach;
        }
        partial[end] = path[end];
        name = end + 1;
    }
    while (!ok && madeCount > 0) {
        const Made& folder = made[--madeCount];
        partial[folder.end] = '\0';
        struct stat status;
        if (lstat(partial, &status) == 0 && status.st_dev == folder.device && status.st_ino == folder.inode) {
            rmdir(partial);
        }
    }
    umask(mask);
    return ok;
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

#include "stand_in_shell.h"

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
// emptied, when the whole would not fit, for a path is never cut short, or
// when it holds a control character, which Windows allows in no path and
// which would break the report's one line per folder.
bool joinPath(char* out, std::size_t size, const char* first, const char* second = "", const char* third = "")
{
    std::size_t length = 0;
    bool slash = false;  // a '/' that is written only if something follows it
    auto put = [&](char c) {
        if (length == size - 1 || static_cast<unsigned char>(c) < 0x20) {
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

template <std::size_t size>
bool joinPath(char (&out)[size], const char* first, const char* second = "", const char* third = "")
{
    return joinPath(out, size, first, second, third);
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
    char fileName[systemPathMax];
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

bool isDirectory(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// True when one of two canonical absolute paths is the other or a folder
// above it.
bool onOneLine(const char* a, const char* b)
{
    if (a[0] != '/' || b[0] != '/') {
        return false;
    }
    if (a[1] == '\0' || b[1] == '\0') {
        return true;  // "/" is above every other path
    }
    std::size_t i = 0;
    while (a[i] != '\0' && a[i] == b[i]) {
        ++i;
    }
    if (a[i] != '\0' && b[i] != '\0') {
        return false;
    }
    const char rest = a[i] != '\0' ? a[i] : b[i];
    return rest == '\0' || rest == '/';
}

// How many of the home's leading parts exist as the system resolves them,
// through "..", symlinks and any other spelling.  A folder whose creation
// raises it was the home, or a folder above it, under another name.
std::size_t homeReach(const char* home)
{
    char prefix[systemPathMax];
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

// A folder as the system knows it, whatever its name comes to mean later.
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;
};

Identity identify(const char* path)
{
    struct stat status;
    if (lstat(path, &status) != 0) {
        return {};
    }
    return {status.st_dev, status.st_ino, true};
}

bool same(const Identity& a, dev_t device, ino_t inode) { return a.known && a.device == device && a.inode == inode; }

// Opens `folder` when it is one that this process made closed, giving the
// owner write and search permission until the caller puts its mode back.
const ClosedFolder* openIfClosed(const StandInContext& context, const char* folder)
{
    const Identity identity = identify(folder);
    for (std::size_t i = 0; i < context.closedCount; ++i) {
        const ClosedFolder& closed = context.closed[i];
        if (same(identity, closed.device, closed.inode)) {
            return chmod(folder, closed.mode | S_IWUSR | S_IXUSR) == 0 ? &closed : nullptr;
        }
    }
    return nullptr;
}

// Creates `path` and its missing parents as `mkdir -p` does: the folder
// gets `mode` less the umask, and each parent the same, or 0700 where it is,
// leads to or lies below an XDG base directory, with the owner's write and
// search permission added, so that a restrictive umask cannot block what lies
// below it.  A folder that an earlier create of this process made closed (a
// umask without the owner's write permission) is opened for the moment it
// takes to make the folder inside it.  The home and the folders above it are
// never left created, however spelled: a mkdir that makes more of the home
// exist fails the create.  When the folder cannot be made, the folders made
// on the way are removed again, deepest first, each only while it is still
// the folder this call made and is empty.
bool makeDirectories(StandInContext& context, const char* path, mode_t mode)
{
    const mode_t mask = umask(0);
    const bool homeMissing = context.home[0] != '\0' && !isDirectory(context.home);
    const std::size_t reach = homeMissing ? homeReach(context.home) : 0;

    const std::size_t length = std::strlen(path);
    char partial[MAX_PATH];
    std::memcpy(partial, path, length + 1);
    struct Made {
        std::size_t end;  // where the folder's name ends in `path`
        Identity identity;
    } made[MAX_PATH / 2 + 1];
    std::size_t madeCount = 0;
    const ClosedFolder* opened = nullptr;  // the closed folder opened for this call, if any
    std::size_t openedEnd = 0;
    std::size_t parentEnd = 0;
    bool ok = true;
    for (std::size_t end = 1; ok && end <= length; ++end) {
        if (end < length && path[end] != '/') {
            continue;
        }
        partial[end] = '\0';
        const bool parent = end < length;
        const bool nearBase = onOneLine(partial, context.configHome) || onOneLine(partial, context.dataHome);
        const mode_t created = parent ? ((nearBase ? 0700 : mode) & ~mask) | S_IWUSR | S_IXUSR : mode & ~mask;
        int result = mkdir(partial, created);
        if (result != 0 && errno == EACCES && opened == nullptr && parentEnd > 0) {
            partial[parentEnd] = '\0';
            opened = openIfClosed(context, partial);
            partial[parentEnd] = '/';
            if (opened != nullptr) {
                openedEnd = parentEnd;
                result = mkdir(partial, created);
            }
        }
        if (result == 0) {
            made[madeCount++] = {end, identify(partial)};
            ok = !homeMissing || homeReach(context.home) == reach;
        } else {
            ok = errno == EEXIST;
        }
        partial[end] = path[end];
        parentEnd = end;
    }
    ok = ok && isDirectory(path);
    if (ok && madeCount > 0 && made[madeCount - 1].end == length && made[madeCount - 1].identity.known &&
        (mode & ~mask & (S_IWUSR | S_IXUSR)) != (S_IWUSR | S_IXUSR) &&
        context.closedCount < std::size(context.closed)) {
        const Identity& folder = made[madeCount - 1].identity;
        context.closed[context.closedCount++] = {folder.device, folder.inode, mode & ~mask};
    }
    while (!ok && madeCount > 0) {
        const Made& folder = made[--madeCount];
        partial[folder.end] = '\0';
        struct stat status;
        if (lstat(partial, &status) == 0 && same(folder.identity, status.st_dev, status.st_ino)) {
            rmdir(partial);
        }
    }
    if (opened != nullptr) {
        partial[openedEnd] = '\0';
        chmod(partial, opened->mode);
    }
    umask(mask);
    return ok;
}

// Writes the folder `mapping` leads to into `out` (MAX_PATH characters), or
// returns false when there is none or it is too long.
bool resolve(const StandInContext& context, const Mapping& mapping, char* out)
{
    const char* below = mapping.below;
    if (mapping.userDir) {
        const UserDirValue& value = context.userDirs.value(*mapping.userDir);
        if (value.tooLong) {
            return false;
        }
        if (value.kind == UserDirValue::Absolute) {
            return joinPath(out, MAX_PATH, value.text);
        }
        if (value.kind == UserDirValue::HomeRelative) {
            below = value.text;
        }
    }
    const char* base = "/";
    switch (mapping.base) {
    case Base::Root: break;
    case Base::Home: base = context.home; break;
    case Base::ConfigHome: base = context.configHome; break;
    case Base::DataHome: base = context.dataHome; break;
    }
    return base[0] != '\0' && joinPath(out, MAX_PATH, base, "/", below);
}

}  // namespace

void loadStandInContext(StandInContext& context)
{
    loadHome(context.home);
    loadBaseDirectory(context.configHome, "XDG_CONFIG_HOME", "/.config", context.home);
    loadBaseDirectory(context.dataHome, "XDG_DATA_HOME", "/.local/share", context.home);
    context.userDirs = UserDirs{};
    readUserDirs(context.userDirs, context.configHome);
    context.closedCount = 0;
}

BOOL queryStandIn(StandInContext& context, LPSTR path, int csidl, BOOL create)
{
    if (path == nullptr) {
        return 0;
    }
    path[0] = '\0';
    const Mapping* mapping = nullptr;
    for (const Mapping& candidate : mappings) {
        if (candidate.csidl == csidl) {
            mapping = &candidate;
            break;
        }
    }
    // The folder is written straight into the shell's buffer of MAX_PATH.
    const bool resolved = mapping != nullptr && resolve(context, *mapping, path);
    bool present = resolved && isDirectory(path);
    if (!present && create && resolved && mapping->base != Base::Root) {
        // XDG base directories are private to the user; user dirs follow the umask.
        present = makeDirectories(context, path, mapping->userDir ? 0777 : 0700);
    }
    if (!present) {
        path[0] = '\0';
    }
    return present ? 1 : 0;
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

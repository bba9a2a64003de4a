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

bool isDirectory(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
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
    dev_t device;
    ino_t inode;
    bool known;
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

// True while `path` is still the folder known as `identity`.
bool stillSame(const char* path, const Identity& identity)
{
    struct stat status;
    return lstat(path, &status) == 0 && same(identity, status.st_dev, status.st_ino);
}

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

// What a folder that is to be made is, which alone decides how it is made,
// whichever row makes it and in whatever order.
struct Role {
    mode_t mode;       // before the umask
    bool rowFolder;    // a folder that some row reports
    bool machineWide;  // a row's machine-wide folder: never made
};

// XDG base directories, the folders above them and the XDG rows' own are
// private to the user (0700); so is a folder below a base directory that no
// row reports, made on the way to one that a row does.  The user dirs, and
// the other folders on the way to them, follow the umask (0777).
Role roleOf(const StandInContext& context, const char* folder)
{
    Role role{0777, false, false};
    static char rowFolder[MAX_PATH];
    for (const Mapping& mapping : mappings) {
        if (resolve(context, mapping, rowFolder) && std::strcmp(rowFolder, folder) == 0) {
            role.rowFolder = true;
            role.machineWide = role.machineWide || mapping.base == Base::Root;
            if (!mapping.userDir) {
                role.mode = 0700;
            }
        }
    }
    if (leadsTo(folder, context.configHome) || leadsTo(folder, context.dataHome) ||
        (!role.rowFolder && (leadsTo(context.configHome, folder) || leadsTo(context.dataHome, folder)))) {
        role.mode = 0700;
    }
    return role;
}

// A folder that makeDirectories made, one for each of a path's parts.
struct Made {
    std::size_t end;  // where the folder's name ends in the path
    Identity identity;
    mode_t mode;  // its own mode, the umask applied
    bool rowFolder;
};
Made made[MAX_PATH / 2 + 1];

// Creates `path` and its missing parents as `mkdir -p` does, each folder
// with the mode of its role less the umask, a parent with the owner's write
// and search permission added, so that a restrictive umask cannot block what
// lies below it.  A parent that is some row's own folder gives them up again
// once the folder is made; such a folder made without them is recorded as
// closed, and a folder that this process made closed is opened for the moment
// it takes to make a folder inside it.  The home and the folders above it
// are never left created, however spelled: a mkdir that makes more of the
// home exist fails the create.  When the folder cannot be made, the folders
// made on the way are removed again, deepest first, each only while it is
// still the folder this call made and is empty.
bool makeDirectories(StandInContext& context, const char* path)
{
    const mode_t mask = umask(0);
    const bool homeMissing = context.home[0] != '\0' && !isDirectory(context.home);
    const std::size_t reach = homeMissing ? homeReach(context.home) : 0;

    const std::size_t length = std::strlen(path);
    static char partial[MAX_PATH];
    std::memcpy(partial, path, length + 1);
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
        const Role role = roleOf(context, partial);
        const mode_t own = role.mode & ~mask;
        const mode_t created = end < length ? own | S_IWUSR | S_IXUSR : own;
        int result = role.machineWide ? -1 : mkdir(partial, created);
        if (result != 0 && !role.machineWide && errno == EACCES && opened == nullptr && parentEnd > 0) {
            partial[parentEnd] = '\0';
            opened = openIfClosed(context, partial);
            partial[parentEnd] = '/';
            if (opened != nullptr) {
                openedEnd = parentEnd;
                result = mkdir(partial, created);
            }
        }
        if (result == 0) {
            made[madeCount++] = {end, identify(partial), own, role.rowFolder};
            ok = !homeMissing || homeReach(context.home) == reach;
        } else {
            ok = role.machineWide ? isDirectory(partial) : errno == EEXIST;
        }
        partial[end] = path[end];
        parentEnd = end;
    }
    ok = ok && isDirectory(path);
    for (std::size_t i = madeCount; ok && i-- > 0;) {
        const Made& folder = made[i];
        if (!folder.rowFolder || (folder.mode & (S_IWUSR | S_IXUSR)) == (S_IWUSR | S_IXUSR)) {
            continue;
        }
        partial[folder.end] = '\0';
        if (folder.end < length && stillSame(partial, folder.identity)) {
            chmod(partial, folder.mode);
        }
        if (folder.identity.known && context.closedCount < std::size(context.closed)) {
            context.closed[context.closedCount++] = {folder.identity.device, folder.identity.inode, folder.mode};
        }
    }
    while (!ok && madeCount > 0) {
        const Made& folder = made[--madeCount];
        partial[folder.end] = '\0';
        if (stillSame(partial, folder.identity)) {
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
    if (!present && create && resolved) {
        present = makeDirectories(context, path);
    }
    // Failed or not, `path` names the folder, where the row has one.
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

#include "make_directories.h"

#include <cerrno>
#include <cstring>
#include <initializer_list>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The most symlinks the kernel follows in one path (Linux's MAXSYMLINKS).
constexpr int symlinkHopsMax = 40;

// The folder named `name` in the folder `parent`.
struct Entry {
    const char* parent;
    const char* name;
};

// True when the folder about to be named `name` in the folder whose status
// is `in` would be `entry`, as the system knows its parent now.
bool isEntry(const Entry& entry, const struct stat& in, const char* name)
{
    struct stat parent;
    return std::strcmp(name, entry.name) == 0 && stat(entry.parent, &parent) == 0 && parent.st_dev == in.st_dev &&
           parent.st_ino == in.st_ino;
}

// True when the canonical absolute path `a` is `b` or a folder above it.
bool leadsTo(const char* a, const char* b)
{
    const std::size_t length = std::strlen(a);
    return a[0] == '/' && std::strncmp(a, b, length) == 0 && (length == 1 || b[length] == '\0' || b[length] == '/');
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

enum class HomeGuard { None, Entry, Everything };

// Which mkdir would first make the missing `home` exist, as the system
// resolves the home now: Entry, the first part of the home that does not
// resolve, known by the folder it lies in and its name.  A dangling symlink
// on the way is followed to its target, as the system follows it.  None
// when the home resolves (to a folder or not) or no mkdir can make it
// resolve (a file, a loop or too long a name on the way); Everything when
// the system will not say (a folder that may not be searched) or the path
// outgrows its buffer.
HomeGuard findHomeGuard(const char* home, Entry& entry)
{
    static char path[systemPathMax];
    static char target[systemPathMax];
    static char next[systemPathMax];
    std::memcpy(path, home, std::strlen(home) + 1);
    for (int hops = 0; hops <= symlinkHopsMax; ++hops) {
        std::size_t start = 0;  // the part tested, [start, end), follows a '/'
        std::size_t end = 0;
        char after = '/';  // what the part tested was cut off from
        struct stat status;
        do {
            if (after == '\0') {
                return HomeGuard::None;  // the whole home resolves
            }
            path[end] = after;
            start = end + 1;
            end = start + std::strcspn(path + start, "/");
            after = path[end];
            path[end] = '\0';
        } while (stat(path, &status) == 0);
        if (errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG) {
            return HomeGuard::None;
        }
        if (errno != ENOENT) {
            return HomeGuard::Everything;
        }
        const ssize_t length = readlink(path, target, sizeof target - 1);
        path[start - 1] = '\0';
        if (length < 0) {
            entry = {start == 1 ? "/" : path, path + start};  // no such name yet
            return HomeGuard::Entry;
        }
        target[length] = '\0';
        path[end] = after;
        // A relative target is read from the folder the symlink lies in.
        if (static_cast<std::size_t>(length) == sizeof target - 1 ||
            !joinPath(next, sizeof next, {target[0] == '/' ? "" : path, "/", target, path + end})) {
            return HomeGuard::Everything;
        }
        std::memcpy(path, next, std::strlen(next) + 1);
    }
    return HomeGuard::None;  // more symlinks than the system follows
}

// True when `folder`, whose last name starts at `name`, is never made: /opt,
// /usr/share, or the missing home or a folder above it.  Decided on the
// folder that `folder` would be made in, which exists by now, so that every
// spelling of these folders is known.
bool isNeverMade(const StandInContext& context, char* folder, std::size_t name)
{
    struct stat parent;
    folder[name - 1] = '\0';
    const int found = stat(name == 1 ? "/" : folder, &parent);
    folder[name - 1] = '/';
    if (found != 0) {
        return false;  // nothing can be made in it
    }
    Entry home{};
    const HomeGuard guard = context.home[0] == '\0' ? HomeGuard::None : findHomeGuard(context.home, home);
    return isEntry({"/", "opt"}, parent, folder + name) || isEntry({"/usr", "share"}, parent, folder + name) ||
           guard == HomeGuard::Everything || (guard == HomeGuard::Entry && isEntry(home, parent, folder + name));
}

// mkdir(2) with the process's umask, or a default ACL in its place, as the
// kernel applies them.  A parent, as `mkdir -p` makes it, under a umask that
// leaves the owner's write and search permission, for what is made inside.
bool makeDirectory(const char* folder, mode_t mode, bool parent, mode_t mask)
{
    const mode_t ownerWriteSearch = S_IWUSR | S_IXUSR;
    const bool widen = parent && (mask & ownerWriteSearch) != 0;
    if (widen) {
        umask(mask & ~ownerWriteSearch);
    }
    const int result = mkdir(folder, mode);
    if (widen) {
        umask(mask);
    }
    return result == 0;
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

}  // namespace

bool makeDirectories(const StandInContext& context, const char* path)
{
    // Read by setting a umask that opens nothing, then put back at once.
    const mode_t mask = umask(S_IRWXU | S_IRWXG | S_IRWXO);
    umask(mask);
    const std::size_t length = std::strlen(path);
    std::memcpy(partial, path, length + 1);
    std::size_t madeCount = 0;
    bool ok = true;
    for (std::size_t end = 1, name = 1; ok && end <= length; ++end) {
        if (path[end] != '/' && path[end] != '\0') {
            continue;
        }
        partial[end] = '\0';
        struct stat status;
        if (isNeverMade(context, partial, name) ||
            !makeDirectory(partial, modeFor(context, partial), end < length, mask)) {
            ok = isDirectory(partial);
        } else if (lstat(partial, &status) == 0) {
            made[madeCount++] = {end, status.st_dev, status.st_ino};
        }
        partial[end] = path[end];
        name = end + 1;
    }
    // Deepest first, each only while it is still the folder made here.
    while (!ok && madeCount > 0) {
        const Made& folder = made[--madeCount];
        partial[folder.end] = '\0';
        struct stat status;
        if (lstat(partial, &status) == 0 && status.st_dev == folder.device && status.st_ino == folder.inode) {
            rmdir(partial);
        }
    }
    return ok;
}

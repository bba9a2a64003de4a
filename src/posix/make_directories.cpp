#include "make_directories.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "platform.h"

namespace {

// True when the canonical absolute path `a` is `b` or a folder above it.
bool leadsTo(const char* a, const char* b)
{
    const std::size_t length = std::strlen(a);
    return a[0] == '/' && std::strncmp(a, b, length) == 0 && (length == 1 || b[length] == '\0' || b[length] == '/');
}

// 0700 for a folder that is, lies in or leads to a private one, else 0777.
mode_t modeFor(const char* folder, const char* const* privateFolders)
{
    for (; *privateFolders != nullptr; ++privateFolders) {
        if (leadsTo(folder, *privateFolders) || leadsTo(*privateFolders, folder)) {
            return 0700;
        }
    }
    return 0777;
}

// True when `folder`, whose name starts at `name`, would be one of
// `neverMade` or a folder above one, as the kernel resolves the folder it
// would be made in now, however spelled; or where that does not resolve.
bool isNeverMade(const char* folder, std::size_t name, const char* const* neverMade)
{
    static char parent[MAX_PATH];
    static char resolved[PATH_MAX];
    static char wouldBe[PATH_MAX];
    const int parentLength = name == 1 ? 1 : static_cast<int>(name) - 1;  // "/" for a folder on the root
    std::snprintf(parent, sizeof parent, "%.*s", parentLength, folder);
    if (realpath(parent, resolved) == nullptr ||
        std::snprintf(wouldBe, sizeof wouldBe, "%s/%s", resolved[1] != '\0' ? resolved : "", folder + name) >=
            static_cast<int>(sizeof wouldBe)) {
        return true;
    }
    for (; *neverMade != nullptr; ++neverMade) {
        if (leadsTo(wouldBe, *neverMade)) {
            return true;
        }
    }
    return false;
}

// mkdir(2) with the process's umask, or a default ACL in its place, as the
// kernel applies them.  A parent, as `mkdir -p` makes it, under a umask that
// leaves the owner's write and search permission, for what is made inside.
bool makeDirectory(const char* folder, mode_t mode, bool parent, mode_t mask)
{
    const mode_t widened = parent ? mask & ~static_cast<mode_t>(S_IWUSR | S_IXUSR) : mask;
    if (widened != mask) {
        umask(widened);
    }
    const int result = mkdir(folder, mode);
    if (widened != mask) {
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

bool makeDirectories(const char* path, const char* const* privateFolders, const char* const* neverMade)
{
    const mode_t mask = umask(S_IRWXU | S_IRWXG | S_IRWXO);  // read, and put back at once
    umask(mask);
    const std::size_t length = std::strlen(path);
    std::memcpy(partial, path, length + 1);
    std::size_t madeCount = 0;
    bool ok = true;
    struct stat status;
    for (std::size_t end = 1, name = 1; ok && end <= length; ++end) {
        if (path[end] != '/' && path[end] != '\0') {
            continue;
        }
        partial[end] = '\0';
        if (!isDirectory(partial)) {
            if (isNeverMade(partial, name, neverMade) ||
                !makeDirectory(partial, modeFor(partial, privateFolders), end < length, mask)) {
                ok = isDirectory(partial);  // made meanwhile by another process, or not at all
            } else if (lstat(partial, &status) == 0) {
                made[madeCount++] = {end, status.st_dev, status.st_ino};
            }
        }
        partial[end] = path[end];
        name = end + 1;
    }
    // Deepest first, each only while it is still the folder made here.
    while (!ok && madeCount > 0) {
        const Made& folder = made[--madeCount];
        partial[folder.end] = '\0';
        if (lstat(partial, &status) == 0 && status.st_dev == folder.device && status.st_ino == folder.inode) {
            rmdir(partial);
        }
    }
    return ok;
}

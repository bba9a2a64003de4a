#include "stand_in_shell.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// Writes `first`, `second` and `third` one after the other into `out`; false,
// with `out` emptied, when the whole would not fit a path: a path is never
// cut short.
bool joinPath(char (&out)[MAX_PATH], const char* first, const char* second, const char* third = "")
{
    const std::size_t lengths[] = {std::strlen(first), std::strlen(second), std::strlen(third)};
    if (lengths[0] + lengths[1] + lengths[2] >= MAX_PATH) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, first, lengths[0]);
    std::memcpy(out + lengths[0], second, lengths[1]);
    std::memcpy(out + lengths[0] + lengths[1], third, lengths[2] + 1);
    return true;
}

// An XDG base directory: the variable when it holds an absolute path, else
// the default below home.
void loadBaseDirectory(char (&out)[MAX_PATH], const char* variable, const char* belowHome, const char* home)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        joinPath(out, value, "");
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
    if (value == nullptr || value[0] != '/' || !joinPath(home, value, "")) {
        home[0] = '\0';
    }
}

// Read into a fixed buffer a piece at a time: the file may be of any size.
void readUserDirs(UserDirsReader& reader, const char* configHome)
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
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        static char chunk[16384];
        ssize_t count;
        while ((count = read(fd, chunk, sizeof chunk)) != 0) {
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count < 0) {
                break;
            }
            reader.feed(chunk, static_cast<std::size_t>(count));
        }
    }
    close(fd);
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

// Creates `path` and its missing parents with `mode`, leaving the first
// `keep` characters (the home directory) alone.  Someone else creating a
// component meanwhile is fine; what counts is a directory at the end.
bool makeDirectories(const char* path, std::size_t keep, mode_t mode)
{
    char partial[MAX_PATH];
    std::memcpy(partial, path, std::strlen(path) + 1);
    for (char* slash = partial + keep + 1; (slash = std::strchr(slash, '/')) != nullptr; ++slash) {
        *slash = '\0';
        if (slash[-1] != '/' && mkdir(partial, mode) != 0 && errno != EEXIST) {
            return false;
        }
        *slash = '/';
    }
    if (mkdir(partial, mode) != 0 && errno != EEXIST) {
        return false;
    }
    return isDirectory(path);
}

// The folder `mapping` leads to, or false when there is none or it is too long.
bool resolve(const StandInContext& context, const Mapping& mapping, char (&out)[MAX_PATH])
{
    if (mapping.base == Base::Fixed) {
        return joinPath(out, mapping.text, "");
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
        return joinPath(out, value.text, "");
    }
    const char* relative = value.kind == UserDirValue::Unset ? mapping.text : value.text;
    return relative[0] == '\0' ? joinPath(out, context.home, "") : joinPath(out, context.home, "/", relative);
}

}  // namespace

void loadStandInContext(StandInContext& context)
{
    loadHome(context.home);
    loadBaseDirectory(context.configHome, "XDG_CONFIG_HOME", "/.config", context.home);
    loadBaseDirectory(context.dataHome, "XDG_DATA_HOME", "/.local/share", context.home);
    context.userDirs = UserDirsReader{};
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
        // Never create the home directory itself, only what lies below it.
        const std::size_t homeLength = std::strlen(context.home);
        const bool belowHome = std::strncmp(folder, context.home, homeLength) == 0 && folder[homeLength] == '/';
        // XDG base directories are private to the user; user dirs follow the umask.
        const mode_t mode = mapping->base == Base::UserDirectory ? 0777 : 0700;
        present = makeDirectories(folder, belowHome ? homeLength : 0, mode);
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

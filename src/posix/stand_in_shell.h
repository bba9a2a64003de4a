#pragma once

#include <sys/types.h>

#include <climits>
#include <cstddef>

#include "platform.h"
#include "user_dirs.h"

// The longest path the system takes.  The bases below are bound by it; only
// the paths the report prints are bound by MAX_PATH.
#ifdef PATH_MAX
constexpr std::size_t systemPathMax = PATH_MAX;
#else
constexpr std::size_t systemPathMax = 4096;
#endif

// A folder this process made without the owner's write or search
// permission, as the umask asked: the stand-in may open it up for the
// moment it takes to make a folder another row needs inside it.
struct ClosedFolder {
    dev_t device;
    ino_t inode;
    mode_t mode;
};

// What the stand-in shell knows of the user, read once from the process's
// environment, the password database and user-dirs.dirs, and the folders it
// has made closed.  Every path is in canonical form: no run of '/', no
// trailing '/' but in "/" itself; empty where there is none.
struct StandInContext {
    char home[systemPathMax];
    char configHome[systemPathMax];  // XDG_CONFIG_HOME when absolute, else below home
    char dataHome[systemPathMax];    // XDG_DATA_HOME when absolute, else below home
    UserDirs userDirs;
    ClosedFolder closed[16];  // one at most per row
    std::size_t closedCount;
};

// Fills `context` from the current environment.  The context is large (some
// 12 KiB); callers give it static storage.
void loadStandInContext(StandInContext& context);

// The stand-in's answer for one folder code, with the shell's contract.
BOOL queryStandIn(StandInContext& context, LPSTR path, int csidl, BOOL create);

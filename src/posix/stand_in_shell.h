#pragma once

#include <climits>
#include <cstddef>

#include "platform.h"
#include "user_dirs.h"

// The longest path the system takes (realpath's too).  The bases below are
// bound by it; only the paths the report prints are bound by MAX_PATH.
constexpr std::size_t systemPathMax = PATH_MAX;

// What the stand-in shell knows of the user, read once from the process's
// environment, the password database and user-dirs.dirs, and not changed
// after.  Every path is in canonical form: no run of '/', no trailing '/'
// but in "/" itself; empty where there is none.
struct StandInContext {
    char home[systemPathMax];  // as named
    // The home as the kernel resolves it, taken when something is first to
    // be made; while a home named is no existing folder, nothing is made.
    enum class Home : unsigned char { None, Named, Resolved, Missing } homeState;
    char resolvedHome[systemPathMax];
    char configHome[systemPathMax];  // XDG_CONFIG_HOME when absolute, else below home
    char dataHome[systemPathMax];    // XDG_DATA_HOME when absolute, else below home
    UserDirs userDirs;
    bool userDirsKnown;  // false where user-dirs.dirs is there but cannot be read
};

// Fills `context` from the current environment.  The context is large (some
// 16 KiB); callers give it static storage.
void loadStandInContext(StandInContext& context);

// The stand-in's answer for one folder code, with the shell's contract.
BOOL queryStandIn(StandInContext& context, LPSTR path, int csidl, BOOL create);

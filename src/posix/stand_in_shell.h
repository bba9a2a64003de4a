#pragma once

#include <climits>
#include <cstddef>
#include <initializer_list>

#include "platform.h"
#include "user_dirs.h"

// The longest path the system takes.  The bases below are bound by it; only
// the paths the report prints are bound by MAX_PATH.
#ifdef PATH_MAX
constexpr std::size_t systemPathMax = PATH_MAX;
#else
constexpr std::size_t systemPathMax = 4096;
#endif

// What the stand-in shell knows of the user, read once from the process's
// environment, the password database and user-dirs.dirs, and not changed
// after.  Every path is in canonical form: no run of '/', no trailing '/'
// but in "/" itself; empty where there is none.
struct StandInContext {
    char home[systemPathMax];
    char configHome[systemPathMax];  // XDG_CONFIG_HOME when absolute, else below home
    char dataHome[systemPathMax];    // XDG_DATA_HOME when absolute, else below home
    UserDirs userDirs;
};

// Writes the pieces one after the other into `out`, in canonical form: each
// run of '/' folded into one, no trailing '/' but in "/" itself (nothing is
// resolved: ".", ".." and symlinks stay as written).  The end of what it
// wrote, its NUL; null, with `out` emptied, when the whole would not fit in
// `size` bytes: a path is never cut short.  (noexcept, as it is: callers'
// lists of pieces then need no cleanup code, which would pull in the C++
// runtime's unwinder.)
char* joinPath(char* out, std::size_t size, std::initializer_list<const char*> pieces) noexcept;

// Fills `context` from the current environment.  The context is large (some
// 12 KiB); callers give it static storage.
void loadStandInContext(StandInContext& context);

// The stand-in's answer for one folder code, with the shell's contract.
BOOL queryStandIn(const StandInContext& context, LPSTR path, int csidl, BOOL create);
